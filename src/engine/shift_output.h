// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/shift_stats.h"
#include "textio/failure.h"

namespace orvane::engine {

// What a shifter makes of a file's lines: the output text (CR LF line ends),
// or the reason the file cannot be shifted.
struct ShiftOutput {
    std::optional<textio::FailureKind> failure;  // nothing: shifted
    std::string text;
    ShiftStats stats;
};

// Receives the output text in pieces that end at line breaks, so a large
// file is never held whole; what is passed on leaves ShiftOutput::text.
using TextChunkFn = std::function<void(std::string_view)>;

inline constexpr std::size_t kChunkBytes = std::size_t{256} * 1024;

// Room for the output of `inputBytes` of input: all of it, or one piece and
// the cue that passes the mark when it is passed on in pieces.
inline std::size_t OutputReserve(std::size_t inputBytes, const TextChunkFn& onChunk) {
    const std::size_t whole = inputBytes + inputBytes / 16;
    return onChunk ? std::min(whole, kChunkBytes + kChunkBytes / 4) : whole;
}

// Appends a piece of the output. A large one is passed on as it stands,
// after what came before it: a huge line is then never held a second time,
// nor a third while the output grows around it.
inline void AppendOutput(std::string& text, std::string_view piece, const TextChunkFn& onChunk) {
    if (onChunk && piece.size() >= kChunkBytes) {
        onChunk(text);
        text.clear();
        onChunk(piece);
        return;
    }
    text += piece;
}

// Passes `text` on and empties it once it has grown large.
inline void PassOnIfLarge(std::string& text, const TextChunkFn& onChunk) {
    if (onChunk && text.size() >= kChunkBytes) {
        onChunk(text);
        text.clear();
    }
}

}  // namespace orvane::engine
