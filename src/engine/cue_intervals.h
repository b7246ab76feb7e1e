// SPDX-License-Identifier: GPL-3.0-or-later
// The times of a subtitle file's cues, without their text: what an
// alignment needs of a reference file.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/align.h"
#include "engine/file_shift.h"
#include "textio/failure.h"

namespace orvane::engine {

// SubRip: every time line. ASS/SSA: every "Dialogue:" event; "Comment:"
// events are not shown, so they are left out. In file order, in seconds.
std::vector<Interval> CueIntervalsOfText(std::string_view text, SubtitleKind kind);

struct CueIntervalsResult {
    std::optional<textio::Failure> failure;  // nothing: read
    std::vector<Interval> cues;
};

// Reads a subtitle file (in `forcedCharset` when one is named) for its cue
// times. A file without one timed cue is refused as NoTimeLines.
CueIntervalsResult ReadCueIntervals(const std::filesystem::path& path,
                                    std::string_view forcedCharset = {});

}  // namespace orvane::engine
