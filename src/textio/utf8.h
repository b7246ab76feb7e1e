// SPDX-License-Identifier: GPL-3.0-or-later
// Small UTF-8 helpers shared by the readers and the line tests.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane::textio {

// True when every byte sequence in `bytes` is well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
// The same as it runs on processors without AVX2, for the tests of a
// machine that has it.
bool IsValidUtf8InSixteenByteBlocks(std::string_view bytes);

// Decodes the code point starting at `pos` and advances `pos` past it.
// Malformed sequences yield U+FFFD and advance by at least one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

// Number of code points in `text` (each malformed byte counts as one).
std::size_t CountCodePoints(std::string_view text);

void AppendUtf8(std::string& out, char32_t cp);

std::string_view TrimSpacesSlowly(std::string_view text);

// Removes U+0020 spaces, and nothing else, from both ends. Inline, since
// every line of a file passes here and most have no space at either end.
inline std::string_view TrimSpaces(std::string_view text) {
    if (text.empty() || (text.front() != ' ' && text.back() != ' ')) {
        return text;
    }
    return TrimSpacesSlowly(text);
}

}  // namespace orvane::textio
