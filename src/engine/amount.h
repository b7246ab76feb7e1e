// SPDX-License-Identifier: GPL-3.0-or-later
// A number of seconds as the user types it, read the same way by the
// window and by orvane-shift: plain decimal digits with at most one point
// ("12", "1.5", ".5", "5."). Nothing else is a number, so a comma used as
// the decimal separator is refused, never read as "15" or "1". Each front
// end gives its own range.
#pragma once

#include <optional>
#include <string_view>

namespace orvane::engine {

struct AmountRange {
    double least = 0.0;
    double greatest = 0.0;
};

struct AmountReading {
    enum class Problem { None, NotANumber, TooSmall, TooLarge };
    std::optional<double> seconds;  // set when Problem::None
    Problem problem = Problem::None;
};

AmountReading ReadAmount(std::string_view text, AmountRange range);

// A moment of a file: seconds as ReadAmount reads them (at most `greatest`),
// or a whole SubRip or ASS time code with nothing around it
// ("01:02:03,456", "1:02:03.45"). The one reader of typed times, for the
// window's sync points and orvane-shift's time options alike.
std::optional<double> ReadTime(std::string_view text, double greatest);

}  // namespace orvane::engine
