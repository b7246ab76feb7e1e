// SPDX-License-Identifier: GPL-3.0-or-later
// Retiming beyond a constant shift: the maps for a change of frame rate and
// for a sync on two points, and amounts given in frames. Frame rates are
// exact fractions: 23.976 is 24000/1001, as the video itself runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/shift_settings.h"
#include "engine/timing_map.h"

namespace orvane::engine {

struct FrameRate {
    std::int64_t numerator = 25;
    std::int64_t denominator = 1;

    double PerSecond() const {
        return static_cast<double>(numerator) / static_cast<double>(denominator);
    }
};

// "25", "24000/1001", or a decimal; 23.976, 29.97, 47.952, 59.94 and 119.88
// are the NTSC rates N×1000/1001. Nothing for a text that is none of these
// or a rate outside (0, 1000].
std::optional<FrameRate> ParseFrameRate(std::string_view text);

// Re-times a file made for a video at `from` frames a second to the same
// video at `to`: each frame keeps its number, so t becomes t × from / to.
// A time at `anchor` stays where it is.
TimingMap FrameRateMap(FrameRate from, FrameRate to, double anchor = 0);

// The map that takes `t1` to `u1` and `t2` to `u2` and every other time
// along the same line. Nothing when the two source times are the same
// millisecond or the line does not rise (it would reverse the cues' order
// or heap them on one time).
std::optional<TimingMap> TwoPointMap(double t1, double u1, double t2, double u2);

// The seconds `frames` frames last at `rate`.
double FramesToSeconds(double frames, FrameRate rate);

// A run that only retimes: every cue follows `map` and nothing else moves
// it (no cut, no amount), whatever `base` said of them; its range and its
// output choices stay.
ShiftSettings RetimeOnly(ShiftSettings base, TimingMap map);

// A run that cuts the span [start, end) found in the film, its times taken
// in whole milliseconds as they are shown: cut mode from `start`, no extra
// advance; its range and its output choices stay.
ShiftSettings CutSpanOnly(ShiftSettings base, double start, double end);

// A frame-rate change as a mode of its own: RetimeOnly with the map from
// `from` to `to`, anchored at the start of the range when one is given.
ShiftSettings FrameRateConversion(ShiftSettings base, FrameRate from, FrameRate to);

// Adds a frame-rate change to a run that also shifts or cuts: in direct
// mode anchored where the moved range begins, so that a cue there stays;
// the amounts apply after it.
void AddFrameRateChange(ShiftSettings& settings, FrameRate from, FrameRate to);

// A one-segment map as the reports show it, in seconds:
// "t × 1.04270833 + 0.000" (the unit is each report's own word).
std::string MapFormula(const TimingMap& map);

}  // namespace orvane::engine
