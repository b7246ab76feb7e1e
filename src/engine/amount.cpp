// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/amount.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "engine/timecode.h"

namespace orvane::engine {

AmountReading ReadAmount(std::string_view text, AmountRange range) {
    using Problem = AmountReading::Problem;
    std::size_t digits = 0;
    std::size_t points = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else {
            return {std::nullopt, Problem::NotANumber};
        }
    }
    if (digits == 0 || points > 1) {
        return {std::nullopt, Problem::NotANumber};
    }
    // "5." and ".5" are plain decimals too; give from_chars a digit on each side.
    std::string normalized;
    if (text.front() == '.') {
        normalized += '0';
    }
    normalized += text;
    if (text.back() == '.') {
        normalized += '0';
    }
    double value = 0.0;
    const char* end = normalized.data() + normalized.size();
    const auto [stop, error] =
        std::from_chars(normalized.data(), end, value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range ||
        (error == std::errc{} && !std::isfinite(value))) {
        return {std::nullopt, Problem::TooLarge};
    }
    if (error != std::errc{} || stop != end) {
        return {std::nullopt, Problem::NotANumber};
    }
    if (value < range.least) {
        return {std::nullopt, Problem::TooSmall};
    }
    if (value > range.greatest) {
        return {std::nullopt, Problem::TooLarge};
    }
    return {value, Problem::None};
}

std::optional<double> ReadTime(std::string_view text, double greatest) {
    if (const std::optional<double> seconds = ReadAmount(text, {0.0, greatest}).seconds) {
        return seconds;
    }
    for (const TimePattern pattern : {TimePattern::Srt, TimePattern::Ass}) {
        const bool srt = pattern == TimePattern::Srt;
        const std::string twice = std::string(text) + (srt ? " --> " : ",") + std::string(text);
        const auto match = MatchTimeLine(twice, pattern);
        if (match && match->start.pos == 0 && match->start.length == text.size()) {
            return srt ? ParseSrtTime(text) : ParseAssTime(text);
        }
    }
    return std::nullopt;
}

}  // namespace orvane::engine
