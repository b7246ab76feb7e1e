// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/overlap_scan.h"

#include <algorithm>
#include <cmath>

namespace orvane::engine::overlap {
namespace {

// The runner-up must lie this far from the best offset: nearer offsets
// are the same alignment, slightly worse.
constexpr std::int64_t kRunnerUpDistance = 5000;
// The most points one scan holds: ±15 minutes at 10 ms is 180,001.
constexpr std::int64_t kMostPoints = std::int64_t{1} << 19;

// The curve's grid: offsets lo, lo + step, ...; never empty.
std::size_t GridSize(std::int64_t lo, std::int64_t hi, std::int64_t step) {
    return hi <= lo ? 1 : static_cast<std::size_t>((hi - lo) / step) + 1;
}

// Adds weight * max(0, d - at) to every point of the curve, as a change of
// slope at `at` (split between the two grid points around it, which keeps
// the value at every grid point exact), or at the curve's start.
class RampSum {
public:
    RampSum(std::int64_t lo, std::int64_t step, std::size_t size)
        : lo_(lo), step_(step), slopeChange_(size + 1, 0.0) {}

    void Add(std::int64_t at, double weight) {
        if (at <= lo_) {
            startValue_ += weight * static_cast<double>(lo_ - at);
            startSlope_ += weight;
            return;
        }
        const auto index = static_cast<std::size_t>((at - lo_) / step_);
        if (index + 1 >= slopeChange_.size()) {
            return;  // past the last point: adds nothing to any
        }
        const double past = static_cast<double>((at - lo_) % step_) / static_cast<double>(step_);
        slopeChange_[index] += weight * (1.0 - past);
        slopeChange_[index + 1] += weight * past;
    }

    std::vector<double> Values() const {
        std::vector<double> values(slopeChange_.size() - 1);
        double value = startValue_;
        double slope = startSlope_;
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] = value;
            slope += slopeChange_[i];
            value += slope * static_cast<double>(step_);
        }
        return values;
    }

private:
    std::int64_t lo_;
    std::int64_t step_;
    std::vector<double> slopeChange_;
    double startValue_ = 0;
    double startSlope_ = 0;
};

// The first reference cue that can overlap a cue starting at `start`.
std::vector<Span>::const_iterator FirstReach(const Reference& reference, std::int64_t start) {
    return std::lower_bound(reference.spans.begin(), reference.spans.end(),
                            start - reference.longest,
                            [](const Span& s, std::int64_t t) { return s.start < t; });
}

// The curve less its moving average over kTrendReach either side: what
// stands out from the overlap that cues of that density give anyway, which
// falls as the offset moves the cues past the reference's ends.
constexpr std::int64_t kTrendReach = 30000;

std::vector<double> Detrended(const std::vector<double>& curve, std::int64_t step) {
    const auto reach = static_cast<std::size_t>(kTrendReach / step);
    std::vector<double> sums(curve.size() + 1, 0.0);
    for (std::size_t i = 0; i < curve.size(); ++i) {
        sums[i + 1] = sums[i] + curve[i];
    }
    std::vector<double> residual(curve.size());
    for (std::size_t i = 0; i < curve.size(); ++i) {
        const std::size_t first = i > reach ? i - reach : 0;
        const std::size_t last = std::min(curve.size(), i + reach + 1);
        residual[i] = curve[i] - (sums[last] - sums[first]) / static_cast<double>(last - first);
    }
    return residual;
}

double Deviation(const std::vector<double>& values) {
    double sum = 0;
    double squares = 0;
    for (const double v : values) {
        sum += v;
        squares += v * v;
    }
    const double n = static_cast<double>(values.size());
    const double mean = sum / n;
    return std::sqrt(std::max(0.0, squares / n - mean * mean));
}

// The index of the middle of the highest plateau's first run.
std::size_t PeakIndex(const std::vector<double>& curve) {
    const auto best = std::max_element(curve.begin(), curve.end());
    const double tolerance = 1e-6 * std::max(1.0, std::abs(*best));
    auto last = best;
    while (last + 1 != curve.end() && *best - *(last + 1) <= tolerance) {
        ++last;
    }
    return static_cast<std::size_t>((best - curve.begin()) + (last - best) / 2);
}

}  // namespace

std::size_t Scan::IndexNear(std::int64_t offset) const {
    const std::int64_t index = (offset - lo + step / 2) / step;
    return static_cast<std::size_t>(
        std::clamp<std::int64_t>(index, 0, static_cast<std::int64_t>(curve.size()) - 1));
}

void Judge(const Scan& scan, Peak& peak) {
    const std::vector<double> residual = Detrended(scan.curve, scan.step);
    const double deviation = Deviation(residual);
    const std::size_t index = scan.IndexNear(peak.offset);
    const auto reach = static_cast<std::size_t>(kRunnerUpDistance / scan.step);
    double runnerUp = 0;
    for (std::size_t i = 0; i < residual.size(); ++i) {
        if (i + reach < index || i > index + reach) {
            runnerUp = std::max(runnerUp, residual[i]);
        }
    }
    const double value = residual[index];
    peak.prominence = value;
    if (deviation > 1e-9 * std::max(1.0, std::abs(scan.curve[index]))) {
        peak.confidence = std::max(0.0, value - runnerUp) / deviation;
        peak.aboveChance = value / deviation;
    }
}

Peak Refine(const std::vector<Span>& cues, const Reference& reference, std::int64_t around,
            std::int64_t radius) {
    const std::vector<double> fine =
        OverlapCurve(cues, reference, around - radius, around + radius, 1);
    const std::size_t index = PeakIndex(fine);
    Peak peak;
    peak.offset = around - radius + static_cast<std::int64_t>(index);
    peak.overlap = fine[index];
    return peak;
}

Reference MakeReference(std::vector<Span> spans) {
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.start < b.start; });
    // Cues shown together (two languages, a sign over dialogue) are one
    // stretch of time: a cue overlapping both counts its time once.
    Reference reference;
    for (const Span& s : spans) {
        if (!reference.spans.empty() && s.start <= reference.spans.back().end) {
            reference.spans.back().end = std::max(reference.spans.back().end, s.end);
        } else {
            reference.spans.push_back(s);
        }
    }
    for (const Span& s : reference.spans) {
        reference.longest = std::max(reference.longest, s.end - s.start);
    }
    return reference;
}

std::vector<double> OverlapCurve(const std::vector<Span>& cues, const Reference& reference,
                                 std::int64_t lo, std::int64_t hi, std::int64_t step) {
    const std::size_t size = GridSize(lo, hi, step);
    RampSum sum(lo, step, size);
    const std::int64_t last = lo + static_cast<std::int64_t>(size - 1) * step;
    for (const Span& cue : cues) {
        // As a function of the offset, the overlap with one reference cue is
        // a trapezoid: four ramps, at the offsets where the edges meet.
        for (auto ref = FirstReach(reference, cue.start + lo); ref != reference.spans.end();
             ++ref) {
            if (ref->start - cue.end >= last) {
                break;
            }
            if (ref->end - cue.start <= lo) {
                continue;
            }
            sum.Add(ref->start - cue.end, 1.0);
            sum.Add(ref->start - cue.start, -1.0);
            sum.Add(ref->end - cue.end, -1.0);
            sum.Add(ref->end - cue.start, 1.0);
        }
    }
    return sum.Values();
}

double CueOverlap(const Span& cue, const Reference& reference, std::int64_t offset) {
    const std::int64_t start = cue.start + offset;
    const std::int64_t end = cue.end + offset;
    double overlap = 0;
    for (auto ref = FirstReach(reference, start); ref != reference.spans.end(); ++ref) {
        if (ref->start >= end) {
            break;
        }
        overlap += static_cast<double>(
            std::max<std::int64_t>(0, std::min(end, ref->end) - std::max(start, ref->start)));
    }
    return overlap;
}

Scan ScanOffsets(const std::vector<Span>& cues, const Reference& reference, std::int64_t maxOffset,
                 std::int64_t step) {
    // A wide range is scanned in longer steps, so the curve's memory stays
    // bounded; the best step is refined around anyway.
    step = std::max(step, 2 * maxOffset / kMostPoints + 1);
    const std::int64_t reach = maxOffset / step * step;
    return {-reach, step, OverlapCurve(cues, reference, -reach, reach, step)};
}

Peak PeakOf(const Scan& scan, const std::vector<Span>& cues, const Reference& reference) {
    return Refine(cues, reference, scan.OffsetAt(PeakIndex(scan.curve)), 2 * scan.step);
}

Peak BestOffset(const std::vector<Span>& cues, const Reference& reference, std::int64_t maxOffset) {
    const Scan scan = ScanOffsets(cues, reference, maxOffset, kCoarseStep);
    Peak peak = PeakOf(scan, cues, reference);
    Judge(scan, peak);
    return peak;
}

}  // namespace orvane::engine::overlap
