// SPDX-License-Identifier: GPL-3.0-or-later
// Shifting the event times of an Advanced SubStation or SubStation file.
#pragma once

#include "engine/shift_output.h"
#include "engine/shift_settings.h"
#include "textio/file_bytes.h"
#include "textio/progress.h"
#include "textio/record_loader.h"

namespace orvane::engine {

// Shifts every line from the first "Dialogue:" line on that holds a start and
// end time (Comment lines too). Lines it does not change are written as they
// were. The output runs from the "[Script Info]" line to the last non-blank
// line; a file without "[Script Info]" is refused.
//
// Cut mode leaves out the dialogue lines that end before the cut and keeps
// every other line: headers, styles, the events' Format line, comments.
ShiftOutput ShiftAssLines(const textio::RecordLines& lines, const ShiftSettings& settings,
                          const textio::ProgressFn& progress = {}, const TextChunkFn& onChunk = {});

// The same straight from a decoded text, line by line as it is read, with
// no table of lines.
ShiftOutput ShiftAssText(textio::FileBytes text, const ShiftSettings& settings,
                         const textio::ProgressFn& progress = {}, const TextChunkFn& onChunk = {});

}  // namespace orvane::engine
