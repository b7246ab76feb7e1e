// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cue_times.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "engine/timecode.h"

namespace orvane::engine {
namespace {

// Times compared as the whole milliseconds files write: 1.118 typed and
// "00:00:01,118" read are one moment, though their doubles may differ in
// the last bit.
double Milliseconds(double t) {
    return RoundToWhole(t * 1000);
}

// Milliseconds below 2^40 (some 35 years) leave a double more than enough
// bits below the point for the reasoning in ShiftMillis.
constexpr std::int64_t kMillisLimit = std::int64_t{1} << 40;

// `t` seconds as whole milliseconds, when they are that to within a
// millionth of one and below the limit.
std::optional<std::int64_t> WholeMillis(double t) {
    const double millis = t * 1000;
    const double whole = Milliseconds(t);
    if (!(whole >= 0 && whole < static_cast<double>(kMillisLimit)) ||
        std::fabs(millis - whole) > 1e-6) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(whole);
}

// A range end as whole milliseconds, clamped to the limit; any time read
// compares with it as with the rounded seconds.
std::optional<std::int64_t> RangeMillis(double t) {
    const double whole = Milliseconds(t);
    if (std::isnan(whole)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(std::clamp(whole, -1.0, static_cast<double>(kMillisLimit)));
}

// `t` seconds, of either sign, as whole milliseconds when they are that.
std::optional<std::int64_t> SignedWholeMillis(double t) {
    const std::optional<std::int64_t> size = WholeMillis(std::fabs(t));
    if (!size) {
        return std::nullopt;
    }
    return t < 0 ? -*size : *size;
}

// The map's part as whole milliseconds added to every time, when that is
// all it does: one segment that keeps the scale. No map adds nothing.
std::optional<std::int64_t> MapOffsetMillis(const ShiftSettings& settings) {
    if (!settings.map || settings.map->Empty()) {
        return 0;
    }
    const std::vector<TimingSegment>& segments = settings.map->Segments();
    if (segments.size() != 1 || segments.front().scale != 1.0) {
        return std::nullopt;
    }
    return SignedWholeMillis(segments.front().offset);
}

// A cue that a map moves wholly before zero (in whole milliseconds): its end
// at or below zero and its start below. One that ends at zero and starts
// there too was such a cue already and stays.
template <typename Millis>
bool WhollyBelowZero(Millis start, Millis end) {
    return end <= 0 && start < 0;
}

// k / 1000 for every k below 1000, as the parsers divide: looked up, the
// fraction of a code costs no division.
constexpr std::array<double, 1000> kThousandths = [] {
    std::array<double, 1000> table{};
    for (std::size_t k = 0; k < table.size(); ++k) {
        table[k] = static_cast<double>(k) / 1000.0;
    }
    return table;
}();

// The seconds a code of these milliseconds reads as, summed as the parsers
// sum them: the whole seconds exactly, then the fraction.
double SecondsOfMillis(std::int64_t millis) {
    // The whole seconds, truncated on purpose.
    // NOLINTNEXTLINE(bugprone-integer-division)
    return static_cast<double>(millis / 1000) +
           kThousandths[static_cast<std::size_t>(millis % 1000)];
}

// Rounded as the formatters round; below zero is zero.
std::int64_t MillisOfSeconds(double t) {
    const double rounded = RoundToWhole(t * 1000);
    return rounded > 0 ? static_cast<std::int64_t>(rounded) : std::int64_t{0};
}

// MillisOfSeconds for a time at or above zero and below 2^40 ms: where the
// processor converts to an integer in the current rounding mode (ties to
// even, as RoundToWhole), one instruction instead of three.
std::int64_t MillisOfTime(double t) {
#if defined(__SSE2__) || defined(_M_X64)
    return _mm_cvtsd_si64(_mm_set_sd(t * 1000));
#else
    return MillisOfSeconds(t);
#endif
}

}  // namespace

CueTimeShifter::CueTimeShifter(const ShiftSettings& settings)
    : settings_(settings), map_(settings.map && !settings.map->Empty() ? &*settings.map : nullptr) {
    if (map_ != nullptr && map_->Segments().size() == 1 && settings.mode == ShiftMode::Direct &&
        !settings.from && !settings.until) {
        line_ = map_->Segments().front();
    }
    const std::optional<std::int64_t> mapOffset = MapOffsetMillis(settings);
    if (!mapOffset) {
        return;
    }
    if (settings.mode == ShiftMode::Direct) {
        const std::optional<std::int64_t> shift = WholeMillis(settings.shiftSeconds);
        const std::optional<std::int64_t> from =
            settings.from ? RangeMillis(*settings.from) : std::int64_t{0};
        const std::optional<std::int64_t> until =
            settings.until ? RangeMillis(*settings.until) : std::int64_t{0};
        if (shift && from && until) {
            millis_ = {*mapOffset + (settings.later ? *shift : -*shift), *from, *until};
        }
        return;
    }
    const std::optional<std::int64_t> cut = WholeMillis(settings.cutSeconds);
    const std::optional<std::int64_t> extra = WholeMillis(settings.ExtraSeconds());
    const std::optional<std::int64_t> spanStart = WholeMillis(settings.cutFrom);
    if (cut && extra && spanStart) {
        millis_ = {*mapOffset - *extra - *cut, *spanStart, 0};
    }
}

bool CueTimeShifter::ShiftMillis(std::int64_t start, std::int64_t end, std::int64_t limit,
                                 CueMillis& shifted) {
    limit = std::min(limit, kMillisLimit);
    if (start < 0 || end < 0 || start >= limit || end >= limit) {
        return false;
    }
    if (!millis_) {
        return map_ != nullptr && MoveThroughMap(start, end, limit, shifted);
    }
    const bool direct = settings_.mode == ShiftMode::Direct;
    if (direct && !((!settings_.from || start >= millis_->from) &&
                    (!settings_.until || start < millis_->until))) {
        shifted.fate = CueFate::Kept;
        shifted.start = start;
        shifted.end = end;
        return true;
    }
    const std::int64_t movedStart = start + millis_->shift;
    const std::int64_t movedEnd = end + millis_->shift;
    if (movedStart >= limit || movedEnd >= limit) {
        return false;
    }
    // No time moves before this: zero, or the start of a cut span.
    const std::int64_t floor = direct ? 0 : millis_->from;
    if (direct && map_ == nullptr) {
        shifted.fate = CueFate::Shifted;
    } else if (start < floor) {
        // Before the span: as it was, or across its start and ending there.
        shifted.fate = end <= floor ? CueFate::Kept : CueFate::Trimmed;
        shifted.start = start;
        shifted.end = end <= floor ? end : std::max(movedEnd, floor);
        return true;
    } else if (direct ? WhollyBelowZero(movedStart, movedEnd)
                      : movedStart <= floor && movedEnd <= floor) {
        shifted.fate = CueFate::Cut;
        shifted.start = start;
        shifted.end = end;
        return true;
    } else {
        shifted.fate = movedStart < floor ? CueFate::Trimmed : CueFate::Shifted;
    }
    shifted.start = std::max(movedStart, floor);
    shifted.end = std::max(movedEnd, floor);
    if (map_ != nullptr) {  // kept only where it is told: the usual road stays lean
        largestMillis_ = std::max(
            {largestMillis_, std::abs(shifted.start - start), std::abs(shifted.end - end)});
    }
    return true;
}

bool CueTimeShifter::MoveThroughMap(std::int64_t start, std::int64_t end, std::int64_t limit,
                                    CueMillis& shifted) {
    if (line_ && MoveThroughLine(start, end, limit, shifted)) {
        return true;
    }
    const CueTimes moved = Move(SecondsOfMillis(start), SecondsOfMillis(end));
    if (moved.fate == CueFate::Cut || moved.fate == CueFate::Kept) {
        shifted.fate = moved.fate;
        shifted.start = start;
        shifted.end = end;
        return true;
    }
    if (!(moved.start * 1000 < static_cast<double>(limit)) ||
        !(moved.end * 1000 < static_cast<double>(limit))) {
        return false;
    }
    shifted.fate = moved.fate;
    shifted.start = MillisOfSeconds(moved.start);
    shifted.end = MillisOfSeconds(moved.end);
    if (shifted.start >= limit || shifted.end >= limit) {
        return false;
    }
    largestMillis_ =
        std::max({largestMillis_, std::abs(shifted.start - start), std::abs(shifted.end - end)});
    return true;
}

bool CueTimeShifter::MoveThroughLine(std::int64_t start, std::int64_t end, std::int64_t limit,
                                     CueMillis& shifted) {
    // Move's steps for a direct run: the segment, then the amount. A time
    // moved below zero is left to Move, whose rule that is.
    const double amount = settings_.later ? settings_.shiftSeconds : -settings_.shiftSeconds;
    const auto move = [&](std::int64_t millis) {
        const double moved = line_->Apply(SecondsOfMillis(millis));
        return amount != 0 ? moved + amount : moved;
    };
    const double movedStart = move(start);
    const double movedEnd = move(end);
    if (!(movedStart >= 0) || !(movedEnd >= 0)) {
        return false;
    }
    const auto bound = static_cast<double>(limit);
    if (!(movedStart * 1000 < bound) || !(movedEnd * 1000 < bound)) {
        return false;
    }
    const std::int64_t newStart = MillisOfTime(movedStart);
    const std::int64_t newEnd = MillisOfTime(movedEnd);
    if (newStart >= limit || newEnd >= limit) {
        return false;
    }
    shifted.fate = CueFate::Shifted;
    shifted.start = newStart;
    shifted.end = newEnd;
    const std::int64_t change = std::max(std::abs(newStart - start), std::abs(newEnd - end));
    largestMillis_ = change > largestMillis_ ? change : largestMillis_;
    return true;
}

CueTimes CueTimeShifter::Shift(double start, double end) {
    CueTimes moved = Move(start, end);
    if (map_ != nullptr && (moved.fate == CueFate::Shifted || moved.fate == CueFate::Trimmed)) {
        largestSeconds_ =
            std::max({largestSeconds_, std::fabs(moved.start - start), std::fabs(moved.end - end)});
    }
    return moved;
}

CueTimes CueTimeShifter::Move(double start, double end) const {
    if (settings_.mode == ShiftMode::Direct) {
        const bool inRange =
            (!settings_.from || Milliseconds(start) >= Milliseconds(*settings_.from)) &&
            (!settings_.until || Milliseconds(start) < Milliseconds(*settings_.until));
        if (!inRange) {
            return {CueFate::Kept, start, end};
        }
        if (!map_) {
            return {CueFate::Shifted, ShiftDirect(start, settings_.shiftSeconds, settings_.later),
                    ShiftDirect(end, settings_.shiftSeconds, settings_.later)};
        }
        // Through a map a cue may land before the film starts: wholly there
        // it is dropped, as the cut drops the opening's cues; across zero it
        // starts at zero.
        const TimingSegment& segment = map_->SegmentFor(start);
        const double amount = settings_.later ? settings_.shiftSeconds : -settings_.shiftSeconds;
        const double movedStart = segment.Apply(start) + amount;
        const double movedEnd = segment.Apply(end) + amount;
        const double startMillis = Milliseconds(movedStart);
        if (WhollyBelowZero(startMillis, Milliseconds(movedEnd))) {
            return {CueFate::Cut, start, end};
        }
        return {startMillis < 0 ? CueFate::Trimmed : CueFate::Shifted, std::max(movedStart, 0.0),
                std::max(movedEnd, 0.0)};
    }
    // The file from the span's start on is cut as a file of its own that
    // begins there: at zero, the whole file.
    const double from = settings_.cutFrom;
    const TimingSegment* segment =
        map_ ? &map_->SegmentFor(std::max(start - from, 0.0) - settings_.cutSeconds) : nullptr;
    const auto moved = [&](double t) {
        const double local =
            segment ? segment->Apply((t - from) - settings_.cutSeconds) - settings_.ExtraSeconds()
                    : ShiftAfterCut(t - from, settings_.cutSeconds, settings_.ExtraSeconds());
        return from == 0 ? local : from + local;
    };
    const double movedStart = moved(start);
    const double movedEnd = moved(end);
    // As written: a time a hair before the span is at it.
    const double fromMillis = Milliseconds(from);
    const double startMillis = Milliseconds(movedStart);
    const double endMillis = Milliseconds(movedEnd);
    if (Milliseconds(start) < fromMillis) {
        // Before the span: as it was, or across its start and ending there.
        if (Milliseconds(end) <= fromMillis) {
            return {CueFate::Kept, start, end};
        }
        return {CueFate::Trimmed, start, std::max(movedEnd, from)};
    }
    if (startMillis <= fromMillis && endMillis <= fromMillis) {
        return {CueFate::Cut, start, end};
    }
    return {startMillis < fromMillis ? CueFate::Trimmed : CueFate::Shifted,
            std::max(movedStart, from), std::max(movedEnd, from)};
}

}  // namespace orvane::engine
