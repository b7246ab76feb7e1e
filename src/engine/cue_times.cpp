// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cue_times.h"

#include <algorithm>
#include <cmath>

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

}  // namespace

CueTimeShifter::CueTimeShifter(const ShiftSettings& settings) : settings_(settings) {
    if (settings.mode == ShiftMode::Direct) {
        const std::optional<std::int64_t> shift = WholeMillis(settings.shiftSeconds);
        const std::optional<std::int64_t> from =
            settings.from ? RangeMillis(*settings.from) : std::int64_t{0};
        const std::optional<std::int64_t> until =
            settings.until ? RangeMillis(*settings.until) : std::int64_t{0};
        if (shift && from && until) {
            millis_ = {*shift, *from, *until};
        }
        return;
    }
    const std::optional<std::int64_t> cut = WholeMillis(settings.cutSeconds);
    const std::optional<std::int64_t> extra = WholeMillis(settings.ExtraSeconds());
    if (cut && extra) {
        millis_ = {*extra, *cut, 0};
    }
}

bool CueTimeShifter::ShiftMillis(std::int64_t start, std::int64_t end, std::int64_t limit,
                                 CueMillis& shifted) const {
    limit = std::min(limit, kMillisLimit);
    if (!millis_ || start < 0 || end < 0 || start >= limit || end >= limit) {
        return false;
    }
    const std::int64_t shift = millis_->shift;
    if (settings_.mode == ShiftMode::Direct) {
        const bool inRange = (!settings_.from || start >= millis_->from) &&
                             (!settings_.until || start < millis_->until);
        if (!inRange) {
            shifted.fate = CueFate::Kept;
            shifted.start = start;
            shifted.end = end;
            return true;
        }
        auto moved = [&](std::int64_t t) {
            return std::max<std::int64_t>(settings_.later ? t + shift : t - shift, 0);
        };
        if (moved(start) >= limit || moved(end) >= limit) {
            return false;
        }
        shifted.fate = CueFate::Shifted;
        shifted.start = moved(start);
        shifted.end = moved(end);
        return true;
    }
    // Cut mode moves nothing later, so the moved times stay below the limit.
    const std::int64_t movedStart = start - millis_->from - shift;
    const std::int64_t movedEnd = end - millis_->from - shift;
    if (movedStart <= 0 && movedEnd <= 0) {
        shifted.fate = CueFate::Cut;
        shifted.start = start;
        shifted.end = end;
        return true;
    }
    shifted.fate = movedStart < 0 ? CueFate::Trimmed : CueFate::Shifted;
    shifted.start = std::max<std::int64_t>(movedStart, 0);
    shifted.end = std::max<std::int64_t>(movedEnd, 0);
    return true;
}

CueTimes CueTimeShifter::Shift(double start, double end) const {
    if (settings_.mode == ShiftMode::Direct) {
        const bool inRange =
            (!settings_.from || Milliseconds(start) >= Milliseconds(*settings_.from)) &&
            (!settings_.until || Milliseconds(start) < Milliseconds(*settings_.until));
        if (!inRange) {
            return {CueFate::Kept, start, end};
        }
        return {CueFate::Shifted, ShiftDirect(start, settings_.shiftSeconds, settings_.later),
                ShiftDirect(end, settings_.shiftSeconds, settings_.later)};
    }
    const double movedStart = ShiftAfterCut(start, settings_.cutSeconds, settings_.ExtraSeconds());
    const double movedEnd = ShiftAfterCut(end, settings_.cutSeconds, settings_.ExtraSeconds());
    // As written: a time a hair below zero is zero.
    const double startMillis = Milliseconds(movedStart);
    const double endMillis = Milliseconds(movedEnd);
    if (startMillis <= 0 && endMillis <= 0) {
        return {CueFate::Cut, start, end};
    }
    return {startMillis < 0 ? CueFate::Trimmed : CueFate::Shifted, std::max(movedStart, 0.0),
            std::max(movedEnd, 0.0)};
}

}  // namespace orvane::engine
