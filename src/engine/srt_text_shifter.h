// SPDX-License-Identifier: GPL-3.0-or-later
// Shifting a SubRip file straight from its text, in one walk over the bytes.
#pragma once

#include <cstddef>

#include "engine/shift_output.h"
#include "engine/shift_settings.h"
#include "textio/file_bytes.h"
#include "textio/progress.h"

namespace orvane::engine {

// Shifts a decoded SRT text as ShiftSrtLines shifts its record lines, with
// the same output. Cues in the form nearly every file holds them (a number,
// a time line with "-->", text lines, blank lines up to the next number)
// are shifted as the walk meets them, with no table of lines; from the
// first cue in any other form on, and for language removal and conversion,
// the rest of the text goes through the record lines and ShiftSrtLines.
//
// `walked`, when given, receives how many bytes the walk shifted before the
// record lines took over: the whole text when they never did.
ShiftOutput ShiftSrtText(textio::FileBytes text, const ShiftSettings& settings,
                         const textio::ProgressFn& progress = {}, const TextChunkFn& onChunk = {},
                         std::size_t* walked = nullptr);

}  // namespace orvane::engine
