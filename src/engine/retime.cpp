// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/retime.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "engine/timecode.h"

namespace orvane::engine {
namespace {

constexpr std::int64_t kMaxRate = 1000;

// The NTSC rates are written rounded: each stands for N×1000/1001.
std::optional<FrameRate> NtscRate(std::string_view text) {
    constexpr struct {
        std::string_view written;
        std::int64_t numerator;
    } kNtsc[] = {{"23.976", 24000}, {"23.98", 24000}, {"29.97", 30000},
                 {"47.952", 48000}, {"59.94", 60000}, {"119.88", 120000}};
    for (const auto& rate : kNtsc) {
        if (text == rate.written) {
            return FrameRate{rate.numerator, 1001};
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> WholeNumber(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value <= 0) {
        return std::nullopt;
    }
    return value;
}

// "12.5" as 125/10: digits, one point, at most six decimals.
std::optional<FrameRate> DecimalRate(std::string_view text) {
    constexpr std::size_t kMaxDecimals = 6;
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos) {
        const std::optional<std::int64_t> whole = WholeNumber(text);
        return whole ? std::optional<FrameRate>(FrameRate{*whole, 1}) : std::nullopt;
    }
    const std::string_view decimals = text.substr(point + 1);
    if (point == 0 || decimals.empty() || decimals.size() > kMaxDecimals ||
        decimals.find_first_not_of("0123456789") != std::string_view::npos ||
        text.substr(0, point).find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::int64_t denominator = 1;
    for (std::size_t i = 0; i < decimals.size(); ++i) {
        denominator *= 10;
    }
    const std::optional<std::int64_t> numerator =
        WholeNumber(std::string(text.substr(0, point)) + std::string(decimals));
    return numerator ? std::optional<FrameRate>(FrameRate{*numerator, denominator}) : std::nullopt;
}

}  // namespace

std::optional<FrameRate> ParseFrameRate(std::string_view text) {
    std::optional<FrameRate> rate = NtscRate(text);
    if (!rate) {
        if (const std::size_t slash = text.find('/'); slash != std::string_view::npos) {
            const std::optional<std::int64_t> numerator = WholeNumber(text.substr(0, slash));
            const std::optional<std::int64_t> denominator = WholeNumber(text.substr(slash + 1));
            if (numerator && denominator) {
                rate = FrameRate{*numerator, *denominator};
            }
        } else {
            rate = DecimalRate(text);
        }
    }
    // A bounded denominator keeps every product of two rates exact.
    constexpr std::int64_t kMaxDenominator = 1'000'000;
    if (!rate || rate->denominator > kMaxDenominator ||
        rate->numerator > kMaxRate * rate->denominator) {
        return std::nullopt;
    }
    return rate;
}

TimingMap FrameRateMap(FrameRate from, FrameRate to, double anchor) {
    // from / to as one fraction, divided once: both products are exact in a
    // double for any rate written with a few digits.
    const double scale = static_cast<double>(from.numerator * to.denominator) /
                         static_cast<double>(from.denominator * to.numerator);
    return TimingMap::Linear(scale, anchor - anchor * scale);
}

std::optional<TimingMap> TwoPointMap(double t1, double u1, double t2, double u2) {
    if (std::round(t1 * 1000) == std::round(t2 * 1000)) {
        return std::nullopt;
    }
    const double scale = (u2 - u1) / (t2 - t1);
    if (!(scale > 0) || !std::isfinite(scale)) {
        return std::nullopt;
    }
    return TimingMap::Linear(scale, u1 - scale * t1);
}

double FramesToSeconds(double frames, FrameRate rate) {
    return frames * static_cast<double>(rate.denominator) / static_cast<double>(rate.numerator);
}

ShiftSettings RetimeOnly(ShiftSettings base, TimingMap map) {
    base.mode = ShiftMode::Direct;
    base.shiftSeconds = 0.0;
    base.later = false;
    base.extraAdvance = false;
    base.map = std::move(map);
    return base;
}

ShiftSettings CutSpanOnly(ShiftSettings base, double start, double end) {
    const double from = RoundToWhole(start * 1000) / 1000;
    base.mode = ShiftMode::Cut;
    base.cutFrom = from;
    base.cutSeconds = RoundToWhole(end * 1000) / 1000 - from;
    base.extraAdvance = false;
    return base;
}

ShiftSettings FrameRateConversion(ShiftSettings base, FrameRate from, FrameRate to) {
    const double anchor = base.from.value_or(0.0);
    return RetimeOnly(std::move(base), FrameRateMap(from, to, anchor));
}

void AddFrameRateChange(ShiftSettings& settings, FrameRate from, FrameRate to) {
    settings.map = FrameRateMap(
        from, to, settings.mode == ShiftMode::Direct ? settings.from.value_or(0.0) : 0.0);
}

std::string MapFormula(const TimingMap& map) {
    const TimingSegment line = map.Empty() ? TimingSegment{} : map.Segments().front();
    char text[96];
    std::snprintf(text, sizeof text, "t \u00D7 %.8f %c %.3f", line.scale,
                  line.offset < 0 ? '-' : '+', std::fabs(line.offset));
    return text;
}

}  // namespace orvane::engine
