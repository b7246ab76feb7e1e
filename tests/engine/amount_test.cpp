// SPDX-License-Identifier: GPL-3.0-or-later
// One reading of a typed number of seconds for both front ends; only the
// range differs.
#include "engine/amount.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace orvane::engine {
namespace {

using Problem = AmountReading::Problem;

struct AmountCase {
    const char* name;
    std::string text;
    AmountRange range;
    std::optional<double> seconds;
    Problem problem;
};

class ReadAmountTest : public ::testing::TestWithParam<AmountCase> {};

TEST_P(ReadAmountTest, ReadsOrSaysWhyNot) {
    const AmountReading read = ReadAmount(GetParam().text, GetParam().range);
    EXPECT_EQ(read.seconds, GetParam().seconds);
    EXPECT_EQ(read.problem, GetParam().problem);
}

constexpr AmountRange kWindow{0.2, 120.0};
constexpr AmountRange kCommandLine{0.0, 360000.0};

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadAmountTest,
    ::testing::Values(
        AmountCase{"Fraction", "1.5", kWindow, 1.5, Problem::None},
        AmountCase{"LeastOfTheWindow", "0.2", kWindow, 0.2, Problem::None},
        AmountCase{"BelowTheWindow", "0.1", kWindow, std::nullopt, Problem::TooSmall},
        AmountCase{"AboveTheWindow", "150", kWindow, std::nullopt, Problem::TooLarge},
        AmountCase{"ZeroOnTheCommandLine", "0", kCommandLine, 0.0, Problem::None},
        AmountCase{"LargeOnTheCommandLine", "150", kCommandLine, 150.0, Problem::None},
        AmountCase{"CommaIsNoPoint", "1,5", kWindow, std::nullopt, Problem::NotANumber},
        AmountCase{"TwoPoints", "1.2.3", kWindow, std::nullopt, Problem::NotANumber},
        AmountCase{"UnitAfter", "12秒", kWindow, std::nullopt, Problem::NotANumber},
        AmountCase{"Empty", "", kWindow, std::nullopt, Problem::NotANumber},
        AmountCase{"Huge", "99999999999999999999999", kCommandLine, std::nullopt,
                   Problem::TooLarge}),
    [](const ::testing::TestParamInfo<AmountCase>& info) { return std::string(info.param.name); });

// Seconds or a whole time code of either kind, nothing around it.
TEST(ReadTime, ReadsSecondsAndTimeCodes) {
    const struct {
        const char* text;
        std::optional<double> seconds;
    } cases[] = {{"12.5", 12.5},
                 {"01:02:03,456", 3723.456},
                 {"1:02:03.45", 3723.45},
                 {"1,5", std::nullopt},
                 {" 01:02:03,456", std::nullopt},
                 {"01:02:03,456 -->", std::nullopt},
                 {"400000", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(ReadTime(c.text, 360000.0), c.seconds) << c.text;
    }
}

}  // namespace
}  // namespace orvane::engine
