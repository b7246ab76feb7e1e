// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/alignment_run.h"

#include <cmath>
#include <iterator>

#include "engine/cue_intervals.h"
#include "engine/cue_times.h"
#include "engine/file_shift.h"

namespace orvane::engine {

bool IsSubtitleReference(const std::filesystem::path& reference) {
    return KindOfFile(reference) != SubtitleKind::Other;
}

std::vector<Interval> CutIntervals(const std::vector<Interval>& cues, double cutSeconds) {
    ShiftSettings cut;
    cut.mode = ShiftMode::Cut;
    cut.cutSeconds = cutSeconds;
    CueTimeShifter shifter(cut);
    std::vector<Interval> left;
    left.reserve(cues.size());
    for (const Interval& cue : cues) {
        const CueTimes moved = shifter.Shift(cue.start, cue.end);
        if (moved.fate != CueFate::Cut) {
            left.push_back({moved.start, moved.end});
        }
    }
    return left;
}

FileAlignment AlignFile(const std::filesystem::path& file, const std::vector<Interval>& reference,
                        const AlignSettings& settings, std::string_view forcedCharset,
                        std::optional<double> cutSeconds) {
    FileAlignment aligned;
    CueIntervalsResult cues = ReadCueIntervals(file, forcedCharset);
    if (cues.failure) {
        aligned.failure = std::move(cues.failure);
        return aligned;
    }
    if (cutSeconds) {
        cues.cues = CutIntervals(cues.cues, *cutSeconds);
        if (cues.cues.empty()) {
            textio::Failure failure;
            failure.kind = textio::FailureKind::NothingLeft;
            failure.path = file;
            aligned.failure = failure;
            return aligned;
        }
    }
    aligned.report = Align(cues.cues, reference, settings);
    return aligned;
}

ShiftSettings AlignedSettings(const ShiftSettings& base, const TimingMap& map,
                              std::optional<double> cutSeconds) {
    ShiftSettings settings = base;
    // Every cue follows the segment that holds its start, and nothing more
    // is added.
    settings.shiftSeconds = 0;
    settings.later = false;
    settings.extraAdvance = false;
    settings.from.reset();
    settings.until.reset();
    settings.map = map;
    if (cutSeconds) {
        settings.mode = ShiftMode::Cut;
        settings.cutSeconds = *cutSeconds;
    } else {
        settings.mode = ShiftMode::Direct;
    }
    return settings;
}

std::string ScaleName(double scale) {
    const char* const kNames[] = {"25/24",     "24/25",     "25/23.976",
                                  "23.976/25", "24/23.976", "23.976/24"};
    const std::vector<double> scales = FrameRateScales();
    for (std::size_t i = 0; i < scales.size() && i < std::size(kNames); ++i) {
        if (std::abs(scale - scales[i]) < 1e-12) {
            return kNames[i];
        }
    }
    return {};
}

}  // namespace orvane::engine
