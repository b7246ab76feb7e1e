// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/align.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>

namespace orvane::engine {
namespace align_detail {

using overlap::CueOverlap;
using overlap::Reference;
using overlap::Span;

std::vector<std::size_t> ChooseOffsets(const std::vector<Span>& cues, const Reference& reference,
                                       const std::vector<std::int64_t>& candidates,
                                       double penalty) {
    const std::size_t count = candidates.size();
    if (cues.empty() || count == 0) {
        return std::vector<std::size_t>(cues.size(), 0);
    }
    // total[k]: the best score of the cues so far with the last one at
    // candidate k; came[i][k]: the candidate of cue i - 1 on that path.
    std::vector<double> total(count, 0.0);
    std::vector<std::vector<std::size_t>> came(cues.size(), std::vector<std::size_t>(count));
    for (std::size_t i = 0; i < cues.size(); ++i) {
        const auto leader =
            static_cast<std::size_t>(std::max_element(total.begin(), total.end()) - total.begin());
        const double switched = total[leader] - penalty;
        for (std::size_t k = 0; k < count; ++k) {
            const bool stay = i == 0 || total[k] >= switched;
            came[i][k] = stay ? k : leader;
            total[k] = (stay ? total[k] : switched) + CueOverlap(cues[i], reference, candidates[k]);
        }
    }
    std::vector<std::size_t> chosen(cues.size());
    auto k = static_cast<std::size_t>(std::max_element(total.begin(), total.end()) - total.begin());
    for (std::size_t i = cues.size(); i-- > 0;) {
        chosen[i] = k;
        k = came[i][k];
    }
    return chosen;
}

}  // namespace align_detail

namespace {

using overlap::Peak;
using overlap::Reference;
using overlap::Span;

// Cues in a window that proposes an offset for the split search.
constexpr std::size_t kWindowCues = 40;
// A window's scan is coarser: its best is refined, and the split refines
// it again.
constexpr std::int64_t kWindowStep = 40;
// A non-unit scale must beat scale 1 by this factor, in the overlap that
// stands above what the density of the cues gives at any offset (files
// whose cues overlap one another overlap much everywhere).
constexpr double kScaleMargin = 1.04;
// How many cues a break may move, and how much overlap (milliseconds) it
// may give up to stand in a wider gap.
constexpr std::size_t kBreakReach = 8;
constexpr double kBreakTolerance = 1500.0;
// A part that joins a neighbour while losing the overlap of this many
// breaks makes the map doubtful.
constexpr double kLostSplits = 2.0;
// Offsets closer than this propose the same alignment.
constexpr std::int64_t kSameOffset = 100;
// A cue longer than this counts as this long: a stray cue of an hour
// would otherwise outweigh every other.
constexpr double kLongestCue = 30.0;
// Times beyond this (about 30 years) are not subtitle times.
constexpr double kLatestTime = 1e9;

std::int64_t Millis(double seconds) {
    return std::llround(seconds * 1000.0);
}

// The usable intervals, sorted by start.
std::vector<Interval> Usable(const std::vector<Interval>& intervals) {
    std::vector<Interval> usable;
    for (const Interval& i : intervals) {
        if (std::isfinite(i.start) && std::isfinite(i.end) && i.end >= i.start &&
            std::abs(i.start) < kLatestTime && std::abs(i.end) < kLatestTime) {
            usable.push_back(i);
        }
    }
    std::stable_sort(usable.begin(), usable.end(),
                     [](const Interval& a, const Interval& b) { return a.start < b.start; });
    return usable;
}

std::vector<Span> Spans(const std::vector<Interval>& intervals, double scale) {
    std::vector<Span> spans;
    spans.reserve(intervals.size());
    for (const Interval& i : intervals) {
        const double end = std::min(i.end, i.start + kLongestCue);
        spans.push_back({Millis(scale * i.start), Millis(scale * end)});
    }
    return spans;
}

struct ScaledPeak {
    double scale = 1.0;
    Peak peak;
};

// The scale whose single best offset stands out most; another than 1
// only when it clearly beats 1.
ScaledPeak ChooseScale(const std::vector<Interval>& file, const Reference& reference,
                       const AlignSettings& settings, std::int64_t maxOffset) {
    ScaledPeak unit{1.0, overlap::BestOffset(Spans(file, 1.0), reference, maxOffset)};
    if (!settings.guessFrameRate) {
        return unit;
    }
    ScaledPeak best = unit;
    for (const double scale : FrameRateScales()) {
        const Peak peak = overlap::BestOffset(Spans(file, scale), reference, maxOffset);
        if (peak.prominence > best.peak.prominence) {
            best = {scale, peak};
        }
    }
    return best.peak.prominence > kScaleMargin * unit.peak.prominence ? best : unit;
}

// Offsets proposed by windows of cues, and the whole file's best.
std::vector<std::int64_t> Candidates(const std::vector<Span>& cues, const Reference& reference,
                                     std::int64_t wholeFile, std::int64_t maxOffset) {
    std::vector<std::int64_t> offsets{wholeFile};
    // Short files get short windows, so that even two cues may propose.
    const std::size_t size = std::clamp<std::size_t>(cues.size() / 4, 2, kWindowCues);
    const std::size_t stride = size / 2;
    for (std::size_t first = 0; first + stride < cues.size(); first += stride) {
        const std::size_t last = std::min(cues.size(), first + size);
        const std::vector<Span> window(cues.begin() + static_cast<std::ptrdiff_t>(first),
                                       cues.begin() + static_cast<std::ptrdiff_t>(last));
        const overlap::Scan scan = overlap::ScanOffsets(window, reference, maxOffset, kWindowStep);
        offsets.push_back(overlap::PeakOf(scan, window, reference).offset);
    }
    std::sort(offsets.begin(), offsets.end());
    std::vector<std::int64_t> distinct;
    for (const std::int64_t offset : offsets) {
        if (distinct.empty() || offset - distinct.back() >= kSameOffset) {
            distinct.push_back(offset);
        }
    }
    return distinct;
}

// Moves each change of offset, within a few cues, to the widest gap among
// the places that fit nearly as well as the best: a break sits in a pause,
// and a lone cue in one should not decide where.
void MoveBreaksToGaps(std::vector<std::size_t>& chosen, const std::vector<Span>& cues,
                      const Reference& reference, const std::vector<std::int64_t>& candidates) {
    for (std::size_t at = 1; at < chosen.size(); ++at) {
        if (chosen[at] == chosen[at - 1]) {
            continue;
        }
        const std::size_t before = chosen[at - 1];
        const std::size_t after = chosen[at];
        // The cues that may change side: both neighbours' offsets, no other.
        std::size_t first = at;
        while (first > 1 && at - first < kBreakReach && chosen[first - 2] == before) {
            --first;
        }
        std::size_t last = at;
        while (last + 1 < chosen.size() && last - at < kBreakReach && chosen[last + 1] == after) {
            ++last;
        }
        // gain[p]: the overlap with the break before cue p, less that with
        // the break before cue `first`.
        double gain = 0;
        double bestGain = 0;
        std::vector<double> gains{0.0};
        for (std::size_t p = first; p < last; ++p) {
            gain += overlap::CueOverlap(cues[p], reference, candidates[before]) -
                    overlap::CueOverlap(cues[p], reference, candidates[after]);
            gains.push_back(gain);
            bestGain = std::max(bestGain, gain);
        }
        std::size_t breakAt = at;
        std::int64_t widest = -1;
        for (std::size_t p = first; p <= last; ++p) {
            const std::int64_t gap = cues[p].start - cues[p - 1].end;
            if (gains[p - first] >= bestGain - kBreakTolerance && gap > widest) {
                widest = gap;
                breakAt = p;
            }
        }
        std::fill(chosen.begin() + static_cast<std::ptrdiff_t>(first),
                  chosen.begin() + static_cast<std::ptrdiff_t>(breakAt), before);
        std::fill(chosen.begin() + static_cast<std::ptrdiff_t>(breakAt),
                  chosen.begin() + static_cast<std::ptrdiff_t>(last + 1), after);
        at = last;
    }
}

// A run of cues [first, last) that share one offset.
struct Run {
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t candidate = 0;
    Peak peak;
};

std::vector<Run> RunsOf(const std::vector<std::size_t>& chosen) {
    std::vector<Run> runs;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (runs.empty() || runs.back().candidate != chosen[i]) {
            runs.push_back({i, i, chosen[i], {}});
        }
        runs.back().last = i + 1;
    }
    return runs;
}

// Each run's offset to the millisecond, and how sure it is.
class RunJudge {
public:
    RunJudge(const std::vector<Span>& cues, const Reference& reference,
             const std::vector<std::int64_t>& candidates, std::int64_t maxOffset)
        : cues_(cues), reference_(reference), candidates_(candidates), maxOffset_(maxOffset) {}

    // Each run's offset to the millisecond, and how sure it is; a run
    // judged before is not scanned again.
    void Judge(std::vector<Run>& runs) {
        for (Run& run : runs) {
            const auto key = std::make_tuple(run.first, run.last, run.candidate);
            const auto known = judged_.find(key);
            run.peak = known != judged_.end() ? known->second : JudgeOne(run);
            judged_.emplace(key, run.peak);
        }
    }

private:
    Peak JudgeOne(const Run& run) const {
        const std::vector<Span> part(cues_.begin() + static_cast<std::ptrdiff_t>(run.first),
                                     cues_.begin() + static_cast<std::ptrdiff_t>(run.last));
        const overlap::Scan scan =
            overlap::ScanOffsets(part, reference_, maxOffset_, overlap::kCoarseStep);
        const Peak own = overlap::PeakOf(scan, part, reference_);
        const std::int64_t proposed = candidates_[run.candidate];
        // The part's own best when it agrees with the proposal; otherwise
        // the best near the proposal.
        Peak peak = std::abs(own.offset - proposed) <= 2 * kSameOffset
                        ? own
                        : overlap::Refine(part, reference_, proposed, 2 * kSameOffset);
        overlap::Judge(scan, peak);
        return peak;
    }

    const std::vector<Span>& cues_;
    const Reference& reference_;
    const std::vector<std::int64_t>& candidates_;
    std::int64_t maxOffset_;
    std::map<std::tuple<std::size_t, std::size_t, std::size_t>, Peak> judged_;
};

struct SplitResult {
    std::vector<Run> runs;
    // The confidence of the weakest part that joined a neighbour although
    // it fits the neighbour's offset much worse than its own: the map may
    // be wrong there.
    double doubt = std::numeric_limits<double>::infinity();
};

// Splits the file where its offset changes; a part that does not fit
// clearly by itself joins a neighbour.
SplitResult Split(const std::vector<Span>& cues, const Reference& reference, const Peak& wholeFile,
                  const AlignSettings& settings, std::int64_t maxOffset) {
    const std::vector<std::int64_t> candidates =
        Candidates(cues, reference, wholeFile.offset, maxOffset);
    std::vector<std::size_t> chosen =
        align_detail::ChooseOffsets(cues, reference, candidates, settings.splitPenalty * 1000.0);
    RunJudge judge(cues, reference, candidates, maxOffset);
    SplitResult result;
    while (true) {
        MoveBreaksToGaps(chosen, cues, reference, candidates);
        result.runs = RunsOf(chosen);
        std::vector<Run>& runs = result.runs;
        judge.Judge(runs);
        if (runs.size() <= 1) {
            return result;
        }
        const auto weakest = std::min_element(
            runs.begin(), runs.end(),
            [](const Run& a, const Run& b) { return a.peak.confidence < b.peak.confidence; });
        if (weakest->peak.confidence >= settings.unsureBelow) {
            return result;
        }
        // The neighbour whose offset fits the weak part better takes it.
        const Run* before = weakest == runs.begin() ? nullptr : &*(weakest - 1);
        const Run* after = weakest + 1 == runs.end() ? nullptr : &*(weakest + 1);
        const auto fit = [&](const Run* neighbour) {
            double overlap = -1;
            if (neighbour != nullptr) {
                overlap = 0;
                for (std::size_t i = weakest->first; i < weakest->last; ++i) {
                    overlap +=
                        overlap::CueOverlap(cues[i], reference, candidates[neighbour->candidate]);
                }
            }
            return overlap;
        };
        const Run* taker = fit(before) >= fit(after) ? before : after;
        if (weakest->peak.overlap - fit(taker) > kLostSplits * settings.splitPenalty * 1000.0) {
            result.doubt = std::min(result.doubt, weakest->peak.confidence);
        }
        std::fill(chosen.begin() + static_cast<std::ptrdiff_t>(weakest->first),
                  chosen.begin() + static_cast<std::ptrdiff_t>(weakest->last), taker->candidate);
    }
}

AlignedSegment SegmentOf(const std::vector<Interval>& file, const Run& run, double scale) {
    AlignedSegment segment;
    segment.firstStart = file[run.first].start;
    for (std::size_t i = run.first; i < run.last; ++i) {
        segment.lastEnd = std::max(segment.lastEnd, file[i].end);
    }
    segment.cueCount = run.last - run.first;
    segment.scale = scale;
    segment.offset = static_cast<double>(run.peak.offset) / 1000.0;
    segment.confidence = run.peak.confidence;
    return segment;
}

// Where a segment begins: in the gap before its first cue, or at that cue
// when the cues around the break overlap.
double Boundary(const std::vector<Interval>& file, const Run& previous, const Run& run) {
    const double lastStart = file[previous.last - 1].start;
    const double lastEnd = file[previous.last - 1].end;
    const double firstStart = file[run.first].start;
    const double middle = (lastEnd + firstStart) / 2;
    return lastEnd <= firstStart && middle > lastStart ? middle : firstStart;
}

}  // namespace

std::vector<double> FrameRateScales() {
    const double film = 24000.0 / 1001.0;
    return {25.0 / 24.0, 24.0 / 25.0, 25.0 / film, film / 25.0, 24.0 / film, film / 24.0};
}

AlignReport Align(const std::vector<Interval>& file, const std::vector<Interval>& reference,
                  const AlignSettings& settings) {
    AlignReport report;
    const std::vector<Interval> cues = Usable(file);
    const Reference ref = overlap::MakeReference(Spans(Usable(reference), 1.0));
    const std::int64_t maxOffset = Millis(std::clamp(settings.maxOffset, 0.0, kLatestTime));
    if (cues.empty() || ref.spans.empty()) {
        report.map = TimingMap::Constant(0.0);
        return report;
    }
    const ScaledPeak best = ChooseScale(cues, ref, settings, maxOffset);
    const std::vector<Span> spans = Spans(cues, best.scale);
    SplitResult split{{{0, cues.size(), 0, best.peak}}};
    if (settings.split) {
        split = Split(spans, ref, best.peak, settings, maxOffset);
    }
    const std::vector<Run>& runs = split.runs;
    report.scale = best.scale;
    report.aboveChance = best.peak.aboveChance;
    report.confidence = std::numeric_limits<double>::infinity();
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const AlignedSegment segment = SegmentOf(cues, runs[r], best.scale);
        const double from = r == 0 ? -std::numeric_limits<double>::infinity()
                                   : Boundary(cues, runs[r - 1], runs[r]);
        report.map.Add({from, segment.scale, segment.offset});
        report.segments.push_back(segment);
        report.confidence = std::min(report.confidence, segment.confidence);
    }
    report.confidence = std::min(report.confidence, split.doubt);
    report.unsure = !(report.confidence >= settings.unsureBelow);
    return report;
}

}  // namespace orvane::engine
