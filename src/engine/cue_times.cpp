// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cue_times.h"

#include <cmath>

#include "engine/timecode.h"

namespace orvane::engine {
namespace {

// Times compared as the whole milliseconds files write: 1.118 typed and
// "00:00:01,118" read are one moment, though their doubles may differ in
// the last bit.
double Milliseconds(double t) {
    return std::nearbyint(t * 1000);
}

}  // namespace

CueTimes CueTimeShifter::Shift(double start, double end) {
    if (settings_.mode == ShiftMode::Direct) {
        const double at = Milliseconds(start);
        const bool inRange = (!settings_.from || at >= Milliseconds(*settings_.from)) &&
                             (!settings_.until || at < Milliseconds(*settings_.until));
        if (!inRange) {
            return {CueFate::Kept, start, end};
        }
        return {CueFate::Shifted, ShiftDirect(start, settings_.shiftSeconds, settings_.later),
                ShiftDirect(end, settings_.shiftSeconds, settings_.later)};
    }
    const double cut = settings_.cutSeconds;
    const double extra = settings_.ExtraSeconds();
    if (passedCut_ || start >= cut) {
        passedCut_ = true;
        return {CueFate::Shifted, ShiftAfterCut(start, cut, extra), ShiftAfterCut(end, cut, extra)};
    }
    if (cut <= end) {
        passedCut_ = true;
        return {CueFate::Trimmed, 0.0, ShiftAfterCut(end, cut, extra)};
    }
    return {CueFate::Cut, start, end};
}

}  // namespace orvane::engine
