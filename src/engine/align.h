// SPDX-License-Identifier: GPL-3.0-or-later
// Finds the timing map that lays a subtitle's cues over a well-timed
// reference: the offset that makes the two sets of intervals overlap most,
// the breaks where that offset changes (an advert one release has and the
// other lacks), and a frame-rate conversion. The answer comes with a
// confidence, and is "unsure" when the cues do not clearly fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/overlap_scan.h"
#include "engine/timing_map.h"

namespace orvane::engine {

// A stretch of time in seconds, a cue's start and end.
struct Interval {
    double start = 0;
    double end = 0;
};

// The scales tried for a frame-rate conversion, besides 1: 25/24,
// 25/23.976, 24/23.976 (23.976 is 24000/1001) and their inverses.
std::vector<double> FrameRateScales();

struct AlignSettings {
    double maxOffset = 900.0;  // seconds either way
    bool split = true;
    // The overlap, in seconds of cue time, a break must gain to be made.
    double splitPenalty = 6.0;
    bool guessFrameRate = true;
    // Below this confidence the answer is unsure.
    double unsureBelow = 4.0;
};

struct AlignedSegment {
    // The file's cues this segment moves, by their times in the file.
    double firstStart = 0;
    double lastEnd = 0;
    std::size_t cueCount = 0;
    double scale = 1.0;
    double offset = 0;
    // How far the overlap at this offset stands above the best overlap at
    // any other offset (more than a few seconds away), in standard
    // deviations of the overlap over all offsets tried.
    double confidence = 0;
};

struct AlignReport {
    TimingMap map;  // one segment per AlignedSegment
    std::vector<AlignedSegment> segments;
    double scale = 1.0;
    // The weakest segment's confidence, or lower: that of a part left at a
    // neighbour's offset because it did not stand out, though it fits its
    // own offset much better.
    double confidence = 0;
    // How far the whole map's best overlap stands above the mean overlap
    // at random offsets, in standard deviations.
    double aboveChance = 0;
    bool unsure = true;
};

// Aligns `file` to `reference`. Intervals may come in any order; those that
// are not finite or end before they start are left out.
AlignReport Align(const std::vector<Interval>& file, const std::vector<Interval>& reference,
                  const AlignSettings& settings = {});

// The pieces, exposed for their tests.
namespace align_detail {

// One offset per cue (in order) among `candidates`, maximising the overlap
// less `penalty` for each change of offset. Returns the chosen candidate's
// index for each cue.
std::vector<std::size_t> ChooseOffsets(const std::vector<overlap::Span>& cues,
                                       const overlap::Reference& reference,
                                       const std::vector<std::int64_t>& candidates, double penalty);

}  // namespace align_detail
}  // namespace orvane::engine
