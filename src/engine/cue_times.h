// SPDX-License-Identifier: GPL-3.0-or-later
// What a shift does to the start and end of one cue, cue after cue in file
// order: the one rule both file shifters follow.
#pragma once

#include "engine/shift_settings.h"

namespace orvane::engine {

enum class CueFate {
    Shifted,  // both times moved
    Trimmed,  // cut mode: the cue across the cut, now starting at zero
    Cut,      // cut mode: wholly inside the opening; its times stay as they were
    Kept,     // direct mode: outside the range of cues to move; written as it was
};

struct CueTimes {
    CueFate fate = CueFate::Shifted;
    double start = 0;
    double end = 0;
};

class CueTimeShifter {
public:
    explicit CueTimeShifter(const ShiftSettings& settings) : settings_(settings) {}

    // Direct mode moves every cue (never below zero). Cut mode drops the cues
    // that end before the cut until one reaches it; from that cue on, every
    // cue moves earlier by the cut and the extra advance, whatever its times.
    CueTimes Shift(double start, double end);

    // Cut mode: the first kept cue has been met.
    bool PassedCut() const { return passedCut_; }

private:
    const ShiftSettings& settings_;
    bool passedCut_ = false;
};

}  // namespace orvane::engine
