// SPDX-License-Identifier: GPL-3.0-or-later
// Shifting the cues of a SubRip file.
#pragma once

#include <cstddef>
#include <string>

#include "engine/shift_output.h"
#include "engine/shift_settings.h"
#include "textio/progress.h"
#include "textio/record_loader.h"

namespace orvane::engine {

// Where a shift of a SubRip file's cues stands between two cues: what the
// line shifter needs to carry on a run whose first cues were shifted
// another way.
struct SrtRunState {
    ShiftOutput out;          // the text not yet passed on, and the counts
    std::size_t written = 0;  // cues written; cut mode numbers from it
    bool anyNumber = false;
    bool anyTimed = false;
    std::size_t linesBefore = 0;  // record lines of the file before the next cue, for progress
};

// Shifts the record lines of an SRT file (loaded with the SubRip layout) cue
// by cue: a cue is its number line, its time line and the text lines up to
// the next cue. Cues with one, two or more text lines mix freely.
//
// Direct mode moves every cue and keeps its number. Cut mode judges every
// cue by its own times, in file order or not: it drops the cues that would
// lie wholly at or before zero, starts those across the cut at zero, moves
// the rest and numbers the kept cues from 1. Language removal acts only on cues that
// hold both languages; conversion to Simplified leaves markup alone.
//
// With `from`, the lines begin at the number line of the next cue after
// those already shifted.
ShiftOutput ShiftSrtLines(const textio::RecordLines& lines, const ShiftSettings& settings,
                          const textio::ProgressFn& progress = {}, const TextChunkFn& onChunk = {},
                          SrtRunState from = {});

// Writes the number cut mode gives the `number`th cue it keeps.
void AppendCueNumber(std::string& text, std::size_t number);

}  // namespace orvane::engine
