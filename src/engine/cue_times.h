// SPDX-License-Identifier: GPL-3.0-or-later
// What a shift does to the start and end of one cue, judged by that cue's
// own times alone, whatever stands before it in the file: the one rule both
// file shifters follow.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "engine/shift_settings.h"

namespace orvane::engine {

enum class CueFate {
    Shifted,  // both times moved
    Trimmed,  // cut mode or a map: moved, its start raised to the cut (zero for an
              // opening or a map); or across the start of a cut span, now ending there
    Cut,      // cut mode or a map: both moved times at or before the cut, or wholly
              // below zero; its times stay as they were
    Kept,     // direct mode: outside the range of cues to move; cut mode: wholly before
              // a cut span; written as it was
};

struct CueTimes {
    CueFate fate = CueFate::Shifted;
    double start = 0;
    double end = 0;
};

// A cue's times in whole milliseconds.
struct CueMillis {
    CueFate fate = CueFate::Shifted;
    std::int64_t start = 0;
    std::int64_t end = 0;
};

// A cue's new times: in whole milliseconds when a shifter could count them
// so, in seconds otherwise.
struct NewCueTimes {
    bool inMillis = false;
    CueMillis millis;
    CueTimes seconds;
    CueFate Fate() const { return inMillis ? millis.fate : seconds.fate; }
};

class CueTimeShifter {
public:
    explicit CueTimeShifter(const ShiftSettings& settings);

    // Direct mode moves every cue (never below zero); through a map, a cue
    // moved wholly below zero is cut and one across zero trimmed, as the
    // cut treats the opening's cues. Cut mode moves a cue
    // earlier by the cut and the extra advance (through the map, when there
    // is one, as ShiftSettings says): a cue whose moved start and
    // end are both at or below zero would be an empty cue at zero and is
    // cut; otherwise a moved time below zero becomes zero. A cut span that
    // begins at s > 0 does the same to the file from s on, with s in place
    // of zero, and keeps the cues that end by s as they are; a cue across s
    // keeps its start and ends at s, or, when it reaches past the span,
    // where its moved end lies. Times are compared as the whole
    // milliseconds a file writes.
    CueTimes Shift(double start, double end);

    // Shift for times in whole milliseconds, for a shift, cut and advance of
    // whole milliseconds: the same fates, and the times Shift gives for the
    // seconds of the same codes once they are rounded (below zero as zero).
    // A time read from a code strays from its milliseconds, in a double, by
    // far less than the half a millisecond that would change a rounding.
    // Fills `shifted` and returns true; returns false, having changed
    // nothing, for amounts that are not whole (unless a map scales the
    // times: then the arithmetic is Shift's) and for times read or made at
    // or past `limit` (at most 2^40): those are left to Shift. The result is
    // filled in place because a copy of it, read back whole, would wait for
    // its parts.
    bool ShiftMillis(std::int64_t start, std::int64_t end, std::int64_t limit, CueMillis& shifted);

    // Seconds: the most a time of a moved cue has moved so far, either way;
    // kept only when the cues go through a map (otherwise the amounts say it).
    double LargestChange() const {
        return std::max(largestSeconds_, static_cast<double>(largestMillis_) / 1000);
    }

private:
    CueTimes Move(double start, double end) const;
    // ShiftMillis through a map that does more than add whole milliseconds:
    // the same arithmetic as Shift on the seconds the codes read as, written
    // back in whole milliseconds as the formatters would round them.
    bool MoveThroughMap(std::int64_t start, std::int64_t end, std::int64_t limit,
                        CueMillis& shifted);

    // The amounts in whole milliseconds, when they are whole: what is added
    // to every time moved (the shift, or the cut and the advance taken
    // away, with a map that only adds), and the direct range.
    struct Millis {
        std::int64_t shift = 0;
        std::int64_t from = 0;  // direct: the range's start; cut: the span's
        std::int64_t until = 0;
    };

    // MoveThroughMap for the common retiming: one segment, direct mode,
    // every cue. The same arithmetic, without the general road's lookups;
    // false for a cue it leaves to that road (one moved below zero, or
    // past the limit).
    bool MoveThroughLine(std::int64_t start, std::int64_t end, std::int64_t limit,
                         CueMillis& shifted);

    const ShiftSettings& settings_;
    const TimingMap* map_;  // the map with at least one segment, or null
    // The segment, when the map is one and every cue of a direct run follows it.
    std::optional<TimingSegment> line_;
    std::optional<Millis> millis_;
    double largestSeconds_ = 0;
    std::int64_t largestMillis_ = 0;
};

}  // namespace orvane::engine
