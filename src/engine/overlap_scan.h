// SPDX-License-Identifier: GPL-3.0-or-later
// How much two sets of cues overlap as one of them moves: over every offset
// in a range at once, exactly, and how far the best offset stands out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane::engine::overlap {

// The step of the scan over all offsets: the overlap is exact at each step,
// and the best offset is then found to the millisecond around the best step.
inline constexpr std::int64_t kCoarseStep = 10;

// A cue in whole milliseconds.
struct Span {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

// The reference for overlap queries: its cues in order of start, those
// that overlap merged into one.
struct Reference {
    std::vector<Span> spans;
    std::int64_t longest = 0;
};
Reference MakeReference(std::vector<Span> spans);

// The total overlap of `cues` moved by each offset lo, lo + step, ... hi
// (milliseconds) with the reference: exact at every offset, as it is a sum
// of ramps with a kink wherever an edge of a cue meets an edge of a
// reference cue.
std::vector<double> OverlapCurve(const std::vector<Span>& cues, const Reference& reference,
                                 std::int64_t lo, std::int64_t hi, std::int64_t step);

// The overlap of one cue moved by `offset` with the reference.
double CueOverlap(const Span& cue, const Reference& reference, std::int64_t offset);

struct Peak {
    std::int64_t offset = 0;  // milliseconds
    double overlap = 0;
    double confidence = 0;   // see Judge
    double aboveChance = 0;  // see Judge
    double prominence = 0;   // see Judge
};

// The best offset for `cues` within ±maxOffset, to the millisecond.
Peak BestOffset(const std::vector<Span>& cues, const Reference& reference, std::int64_t maxOffset);

// A curve of overlaps at the offsets lo, lo + step, ...
struct Scan {
    std::int64_t lo = 0;
    std::int64_t step = 1;
    std::vector<double> curve;

    std::int64_t OffsetAt(std::size_t i) const { return lo + static_cast<std::int64_t>(i) * step; }
    std::size_t IndexNear(std::int64_t offset) const;
};

// The overlaps of `cues` at offsets within ±maxOffset, `step` apart (or
// further apart, for a range of millions of steps).
Scan ScanOffsets(const std::vector<Span>& cues, const Reference& reference, std::int64_t maxOffset,
                 std::int64_t step);

// The scan's best offset, to the millisecond.
Peak PeakOf(const Scan& scan, const std::vector<Span>& cues, const Reference& reference);

// The best offset to the millisecond within `radius` of `around`.
Peak Refine(const std::vector<Span>& cues, const Reference& reference, std::int64_t around,
            std::int64_t radius);

// Scores the overlap at `peak.offset`: its confidence is how far it stands
// above the best overlap more than a few seconds away, and aboveChance how
// far above the overlap at random offsets, both in standard deviations of
// the overlap over the scan (less its slow trend); its prominence is the
// overlap above that trend, in milliseconds.
void Judge(const Scan& scan, Peak& peak);

}  // namespace orvane::engine::overlap
