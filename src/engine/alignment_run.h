// SPDX-License-Identifier: GPL-3.0-or-later
// A run that aligns files to a reference, for the window and orvane-shift
// alike: which references are read for their cues, a file's cues as the
// aligner takes them (after the opening is cut, when one is), and the
// settings a file is then written with. The aligner itself is align.h.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/align.h"
#include "engine/shift_settings.h"
#include "textio/failure.h"

namespace orvane::engine {

// A subtitle file (.srt, .ass, .ssa) is read for its cues; any other
// reference is taken for a video or a sound, read for its speech.
bool IsSubtitleReference(const std::filesystem::path& reference);

// The cues as the cut of an opening of `cutSeconds` leaves them: those
// wholly inside it gone, the one across it starting at zero, the others
// earlier by the cut (the cut mode's rule).
std::vector<Interval> CutIntervals(const std::vector<Interval>& cues, double cutSeconds);

struct FileAlignment {
    std::optional<textio::Failure> failure;  // the file's cues could not be read
    AlignReport report;
};

// Reads `file`'s cues (in `forcedCharset` when one is named), cuts the
// opening first when `cutSeconds` is given, and aligns what is left.
FileAlignment AlignFile(const std::filesystem::path& file, const std::vector<Interval>& reference,
                        const AlignSettings& settings, std::string_view forcedCharset = {},
                        std::optional<double> cutSeconds = std::nullopt);

// The settings a file aligned by `map` is written with: `base`'s output
// choices and the map; with `cutSeconds` the opening is cut first and the
// map laid over what follows (cut mode), otherwise the map alone moves the
// cues (a direct run of no amount, no range).
ShiftSettings AlignedSettings(const ShiftSettings& base, const TimingMap& map,
                              std::optional<double> cutSeconds = std::nullopt);

// The frame-rate conversion a scale stands for: "25/24", "23.976/25"; empty
// for any other scale.
std::string ScaleName(double scale);

}  // namespace orvane::engine
