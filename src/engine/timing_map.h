// SPDX-License-Identifier: GPL-3.0-or-later
// A change of a file's time axis: in each segment of source time, t moves to
// scale * t + offset. A constant shift, a frame-rate conversion and a sync on
// two points are maps of one segment; an alignment that finds an advert
// break gives one segment on each side of it. A cue follows the segment that
// holds its start.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

namespace orvane::engine {

struct TimingSegment {
    // Source times at or after `from`, up to the next segment's `from`.
    double from = -std::numeric_limits<double>::infinity();
    double scale = 1.0;
    double offset = 0.0;

    double Apply(double t) const { return scale * t + offset; }
};

class TimingMap {
public:
    // Every time moved by `offset` seconds.
    static TimingMap Constant(double offset) { return Linear(1.0, offset); }
    // t -> scale * t + offset over the whole file.
    static TimingMap Linear(double scale, double offset) {
        TimingMap map;
        map.segments_.push_back({-std::numeric_limits<double>::infinity(), scale, offset});
        return map;
    }

    TimingMap() = default;

    // Adds the segment that starts at `segment.from`; segments are kept in
    // order of `from`, and one starting where another does replaces it.
    void Add(const TimingSegment& segment) {
        auto at =
            std::lower_bound(segments_.begin(), segments_.end(), segment.from,
                             [](const TimingSegment& s, double from) { return s.from < from; });
        if (at != segments_.end() && at->from == segment.from) {
            *at = segment;
        } else {
            segments_.insert(at, segment);
        }
    }

    const std::vector<TimingSegment>& Segments() const { return segments_; }
    bool Empty() const { return segments_.empty(); }

    // The segment that holds `t`: the last one starting at or before it, or
    // the first one for times before every segment. The map must not be empty.
    const TimingSegment& SegmentFor(double t) const {
        auto after =
            std::upper_bound(segments_.begin(), segments_.end(), t,
                             [](double time, const TimingSegment& s) { return time < s.from; });
        return after == segments_.begin() ? segments_.front() : *(after - 1);
    }

    double Apply(double t) const { return SegmentFor(t).Apply(t); }

private:
    std::vector<TimingSegment> segments_;
};

}  // namespace orvane::engine
