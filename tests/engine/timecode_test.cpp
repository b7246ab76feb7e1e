// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/timecode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "engine/cue_times.h"

namespace orvane::engine {
namespace {

// Shifts every code of an SRT time line directly, as the file shifter does.
std::string ShiftSrtLine(const std::string& line, double shift, bool later) {
    const auto match = MatchTimeLine(line, TimePattern::Srt);
    if (!match) {
        return line;
    }
    const double start = ShiftDirect(ParseSrtTime(match->start.In(line)), shift, later);
    const double end = ShiftDirect(ParseSrtTime(match->end.In(line)), shift, later);
    return RewriteTimeLine(line, *match, FormatSrtTime(start), FormatSrtTime(end));
}

std::string ShiftAssLine(const std::string& line, double shift, bool later) {
    const auto match = MatchTimeLine(line, TimePattern::Ass);
    if (!match) {
        return line;
    }
    const double start = ShiftDirect(ParseAssTime(match->start.In(line)), shift, later);
    const double end = ShiftDirect(ParseAssTime(match->end.In(line)), shift, later);
    return RewriteTimeLine(line, *match, FormatAssTime(start), FormatAssTime(end));
}

struct SrtShiftCase {
    const char* name;
    const char* code;
    double shift;
    bool later;
    const char* expected;
};

class SrtDirectShift : public ::testing::TestWithParam<SrtShiftCase> {};

TEST_P(SrtDirectShift, MovesToTheMillisecond) {
    const SrtShiftCase& c = GetParam();
    EXPECT_EQ(FormatSrtTime(ShiftDirect(ParseSrtTime(c.code), c.shift, c.later)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SrtDirectShift,
    ::testing::Values(
        SrtShiftCase{"later_12", "00:00:01,000", 12.0, true, "00:00:13,000"},
        SrtShiftCase{"earlier_clamps_to_zero", "00:00:05,500", 12.0, false, "00:00:00,000"},
        SrtShiftCase{"earlier_12_rounds_8_123", "00:00:20,123", 12, false, "00:00:08,123"},
        SrtShiftCase{"later_200ms", "01:02:03,456", 0.2, true, "01:02:03,656"},
        SrtShiftCase{"three_hour_digits", "99:59:59,000", 120, true, "100:01:59,000"},
        SrtShiftCase{"tie_rounds_down_to_even", "00:00:00,000", 12.0005, true, "00:00:12,000"},
        SrtShiftCase{"tie_rounds_up_to_even", "00:00:00,000", 12.0015, true, "00:00:12,002"},
        SrtShiftCase{"no_sixty_seconds", "00:00:59,000", 0.9996, true, "00:01:00,000"},
        SrtShiftCase{"largest_code", "99:59:59,999", 120, true, "100:01:59,999"}),
    [](const auto& info) { return std::string(info.param.name); });

struct AssCase {
    const char* name;
    const char* line;
    double shift;
    bool later;
    const char* expected;
};

class AssDirectShift : public ::testing::TestWithParam<AssCase> {};

TEST_P(AssDirectShift, RewritesInHundredths) {
    const AssCase& c = GetParam();
    EXPECT_EQ(ShiftAssLine(c.line, c.shift, c.later), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AssDirectShift,
    ::testing::Values(
        AssCase{"later_12", "0:00:01.50,0:00:02.00", 12, true, "0:00:13.50,0:00:14.00"},
        AssCase{"hour_rollover", "9:59:59.99,9:59:59.99", 0.2, true, "10:00:00.19,10:00:00.19"},
        AssCase{"dialogue_later_1_5", "Dialogue: 0,0:00:05.00,0:00:07.50,Default,,0,0,0,,Hi", 1.5,
                true, "Dialogue: 0,0:00:06.50,0:00:09.00,Default,,0,0,0,,Hi"},
        AssCase{"dialogue_earlier_clamps", "Dialogue: 0,0:00:05.00,0:00:07.50,Default,,0,0,0,,Hi",
                10, false, "Dialogue: 0,0:00:00.00,0:00:00.00,Default,,0,0,0,,Hi"},
        AssCase{"ssa_marked",
                "Dialogue: Marked=0,0:00:01.00,0:00:02.00,Default,NTP,0000,0000,0000,,Text", 1,
                true, "Dialogue: Marked=0,0:00:02.00,0:00:03.00,Default,NTP,0000,0000,0000,,Text"},
        AssCase{"three_fraction_digits", "0:00:01.234,0:00:02.345", 0, true,
                "0:00:01.23,0:00:02.34"},
        AssCase{"one_fraction_digit_is_no_match", "0:00:01.2,0:00:02.3", 5, true,
                "0:00:01.2,0:00:02.3"},
        AssCase{"four_fraction_digits_is_no_match", "0:00:01.2345,0:00:02.3456", 5, true,
                "0:00:01.2345,0:00:02.3456"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AssTime, ParsesFractionAsHundredthsOrMilliseconds) {
    EXPECT_DOUBLE_EQ(ParseAssTime("0:00:10.05"), 10.05);
    EXPECT_DOUBLE_EQ(ParseAssTime("0:00:10.50"), 10.5);
    EXPECT_DOUBLE_EQ(ParseAssTime("0:00:10.123"), 10.123);
    EXPECT_EQ(FormatAssTime(1.999), "0:00:01.99");
}

TEST(CutShift, SubtractsCutThenExtraWithoutClamp) {
    EXPECT_EQ(FormatSrtTime(ShiftAfterCut(ParseSrtTime("00:00:13,000"), 12, 0)), "00:00:01,000");
    EXPECT_DOUBLE_EQ(ShiftAfterCut(13, 12, 2), -1);
    // Negative times are written as zero, never as "00:00:-01,000".
    EXPECT_EQ(FormatSrtTime(-11), "00:00:00,000");
    EXPECT_EQ(FormatAssTime(-11), "0:00:00.00");
}

// The seconds are summed first and the milliseconds added last, in doubles:
// (h*3600 + m*60 + s) + ms/1000. Summing whole milliseconds and dividing
// once gives a different double for some codes.
struct ExactParseCase {
    const char* name;
    double parsed;
    double expected;
};

class ExactParse : public ::testing::TestWithParam<ExactParseCase> {};

TEST_P(ExactParse, FollowsTheEvaluationOrder) {
    EXPECT_EQ(GetParam().parsed, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExactParse,
    ::testing::Values(
        ExactParseCase{"srt_seconds_then_millis", ParseSrtTime("00:00:11,851"), 11 + 851 / 1000.0},
        ExactParseCase{"srt_hours", ParseSrtTime("01:02:03,456"), 3723 + 456 / 1000.0},
        ExactParseCase{"srt_largest", ParseSrtTime("99:59:59,999"), 359999 + 999 / 1000.0},
        ExactParseCase{"ass_hundredths", ParseAssTime("0:00:10.05"), 10 + 50 / 1000.0},
        ExactParseCase{"ass_milliseconds", ParseAssTime("0:00:11.851"), 11 + 851 / 1000.0},
        ExactParseCase{"ass_two_hour_digits", ParseAssTime("12:34:56.78"), 45296 + 780 / 1000.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CutShift, SubtractsTheCutBeforeTheExtra) {
    // (12 - 10.0005) - 0.2 is 1.79949999..., while 12 - (10.0005 + 0.2) is
    // 1.7995 and would round to 1,800 milliseconds.
    EXPECT_EQ(FormatSrtTime(ShiftAfterCut(12, 10.0005, 0.2)), "00:00:01,799");
}

TEST(FormatTime, AssHoursGrowPastTwoDigits) {
    EXPECT_EQ(FormatAssTime(ParseAssTime("99:59:59.99") + 120), "100:01:59.99");
}

// What is written past 99 hours reads back as the same time, so a second
// run (a cut after a shift later) meets the cue where the first left it.
TEST(TimeCode, PastNinetyNineHoursReadsBackAsWritten) {
    for (const double t : {359999.999, 360000.0, 3600000.5, 36000000.25}) {
        const std::string srt = FormatSrtTime(t) + " --> " + FormatSrtTime(t + 1);
        const auto srtMatch = MatchTimeLine(srt, TimePattern::Srt);
        ASSERT_TRUE(srtMatch) << srt;
        EXPECT_DOUBLE_EQ(ParseSrtTime(srtMatch->start.In(srt)), t) << srt;
        const std::string ass = FormatAssTime(t) + "," + FormatAssTime(t + 1);
        const auto assMatch = MatchTimeLine(ass, TimePattern::Ass);
        ASSERT_TRUE(assMatch) << ass;
        EXPECT_NEAR(ParseAssTime(assMatch->start.In(ass)), t, 0.01) << ass;
    }
}

TEST(TimeCode, EndlessHourDigitsStayFinite) {
    const std::string line =
        std::string(40, '9') + ":00:00,000 --> " + std::string(40, '9') + ":00:01,000";
    const auto match = MatchTimeLine(line, TimePattern::Srt);
    ASSERT_TRUE(match);
    const double t = ParseSrtTime(match->start.In(line));
    EXPECT_TRUE(std::isfinite(t));
    EXPECT_GE(t, 3.6e15);
}

TEST(FormatTime, NonFiniteTimesDoNotBreakTheFormatter) {
    EXPECT_EQ(FormatSrtTime(std::nan("")), "00:00:00,000");
    EXPECT_EQ(FormatAssTime(-std::numeric_limits<double>::infinity()), "0:00:00.00");
    const std::string huge = FormatSrtTime(std::numeric_limits<double>::infinity());
    ASSERT_GT(huge.size(), 12u);
    EXPECT_EQ(huge[huge.size() - 4], ',') << huge;
}

struct MatchCase {
    const char* name;
    const char* line;
    TimePattern pattern;
    const char* start;  // nullptr: no match
    const char* end;
};

class TimeLineMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(TimeLineMatch, FindsTheLeftmostPair) {
    const MatchCase& c = GetParam();
    const auto match = MatchTimeLine(c.line, c.pattern);
    if (c.start == nullptr) {
        EXPECT_FALSE(match.has_value());
        return;
    }
    ASSERT_TRUE(match.has_value());
    EXPECT_EQ(match->start.In(c.line), c.start);
    EXPECT_EQ(match->end.In(c.line), c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimeLineMatch,
    ::testing::Values(
        MatchCase{"arrow", "00:00:01,000 --> 00:00:03,000", TimePattern::Srt, "00:00:01,000",
                  "00:00:03,000"},
        MatchCase{"no_gap_is_no_match", "00:00:01,00000:00:03,000", TimePattern::Srt, nullptr,
                  nullptr},
        MatchCase{"one_char_gap", "00:00:01,000x00:00:03,000", TimePattern::Srt, "00:00:01,000",
                  "00:00:03,000"},
        MatchCase{"lazy_takes_nearest_end", "00:00:01,000 --> 00:00:02,000 00:00:03,000",
                  TimePattern::Srt, "00:00:01,000", "00:00:02,000"},
        // Hours take every digit in front of them: what is written past 99
        // hours reads back the same.
        MatchCase{"three_hour_digits", "100:01:59,000 --> 100:02:00,000", TimePattern::Srt,
                  "100:01:59,000", "100:02:00,000"},
        // The leftmost pair decides: its start code runs on into a digit,
        // so the line has no readable times, though a later pair would do.
        MatchCase{"leftmost_pair_unreadable", "00:00:01,0001100:00:02,000 x 00:00:03,000",
                  TimePattern::Srt, nullptr, nullptr},
        MatchCase{"chinese_between", "00:00:01,000 到 00:00:03,000", TimePattern::Srt,
                  "00:00:01,000", "00:00:03,000"},
        MatchCase{"single_code", "00:00:01,000 -->", TimePattern::Srt, nullptr, nullptr},
        MatchCase{"period_instead_of_comma", "00:00:01.000 --> 00:00:03.000", TimePattern::Srt,
                  nullptr, nullptr},
        MatchCase{"line_separator_between", "00:00:01,000\u202800:00:03,000", TimePattern::Srt,
                  nullptr, nullptr},
        MatchCase{"ass_fields", "Dialogue: 0,0:00:05.00,0:00:07.50,Default", TimePattern::Ass,
                  "0:00:05.00", "0:00:07.50"},
        MatchCase{"ass_two_hour_digits", "Dialogue: 0,10:00:05.00,10:00:07.50,", TimePattern::Ass,
                  "10:00:05.00", "10:00:07.50"},
        MatchCase{"ass_three_hour_digits", "Dialogue: 0,100:00:05.00,1:00:07.50,", TimePattern::Ass,
                  "100:00:05.00", "1:00:07.50"},
        MatchCase{"ass_needs_comma", "0:00:05.00 0:00:07.50", TimePattern::Ass, nullptr, nullptr},
        MatchCase{"ass_mixed_fractions", "0:00:05.123,0:00:07.5", TimePattern::Ass, nullptr,
                  nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RewriteTimeLine, DoesNotMoveANewStartEqualToTheOldEnd) {
    EXPECT_EQ(ShiftSrtLine("00:00:01,000 --> 00:00:03,000", 2, true),
              "00:00:03,000 --> 00:00:05,000");
}

TEST(RewriteTimeLine, KeepsTheLeadingHourDigit) {
    EXPECT_EQ(ShiftSrtLine("100:01:59,000 --> 100:02:00,000", 1, true),
              "100:02:00,000 --> 100:02:01,000");
}

TEST(RewriteTimeLine, KeepsTextAroundTheCodes) {
    EXPECT_EQ(ShiftSrtLine("  00:00:01,000 --> 00:00:03,000 X1:40 X2:600", 1, true),
              "  00:00:02,000 --> 00:00:04,000 X1:40 X2:600");
}

// Whole milliseconds and seconds in doubles must come to the same codes and
// fates: the shifters count usual codes in the first whenever they can.
TEST(CueMillis, AgreeWithTheSeconds) {
    auto directWithin = [](double from, double until) {
        ShiftSettings s;
        s.mode = ShiftMode::Direct;
        s.shiftSeconds = 1.25;
        s.from = from;
        s.until = until;
        return s;
    };
    auto make = [](ShiftMode mode, double shift, bool later, double cut, bool advance) {
        ShiftSettings s;
        s.mode = mode;
        s.shiftSeconds = shift;
        s.later = later;
        s.cutSeconds = cut;
        s.extraAdvance = advance;
        return s;
    };
    auto mapped = [](ShiftSettings s, TimingMap map) {
        s.map = std::move(map);
        return s;
    };
    TimingMap twoParts = TimingMap::Linear(1.04270833, 0);
    twoParts.Add({3, 0.95904096, -0.2});
    const ShiftSettings settings[] = {
        // Through maps: one segment for the whole run, and the general road.
        mapped(make(ShiftMode::Direct, 0, false, 0, false), TimingMap::Linear(25025.0 / 24000, 0)),
        mapped(make(ShiftMode::Direct, 0.5, false, 0, false), TimingMap::Linear(0.95904096, -3.2)),
        mapped(make(ShiftMode::Direct, 0.0005, true, 0, false), twoParts),
        make(ShiftMode::Direct, 12, true, 0, false),
        make(ShiftMode::Direct, 2.001, false, 0, false),
        directWithin(3, 9.999),
        make(ShiftMode::Cut, 0, false, 2, false),
        make(ShiftMode::Cut, 0.75, false, 2.5, true),
        make(ShiftMode::Cut, 0, false, 7.63, false),
    };
    // Start and end pairs in file order, ties with the cuts among them.
    const std::vector<std::int64_t> times = {
        0,    10,   990,  2000,  2000,  2500,     2490,     2510,      7630,
        7630, 7620, 9990, 10000, 12000, 35999990, 35999990, 359999990, 359999990};
    for (const ShiftSettings& s : settings) {
        CueTimeShifter inMillis(s);
        CueTimeShifter inSeconds(s);
        for (std::size_t i = 0; i + 1 < times.size(); i += 2) {
            char srt[2][32];
            char ass[2][32];
            for (int k = 0; k < 2; ++k) {
                const std::int64_t t = times[i + k];
                std::snprintf(
                    srt[k], sizeof srt[k], "%02lld:%02lld:%02lld,%03lld",
                    static_cast<long long>(t / 3600000), static_cast<long long>(t / 60000 % 60),
                    static_cast<long long>(t / 1000 % 60), static_cast<long long>(t % 1000));
                std::snprintf(
                    ass[k], sizeof ass[k], "%lld:%02lld:%02lld.%02lld",
                    static_cast<long long>(t / 3600000), static_cast<long long>(t / 60000 % 60),
                    static_cast<long long>(t / 1000 % 60), static_cast<long long>(t % 1000 / 10));
            }
            ASSERT_EQ(UsualSrtMillis(srt[0]), times[i]);
            if (times[i] < kUsualAssLimit) {
                const std::string thousandths = ass[0] + std::to_string(times[i] % 10);
                ASSERT_TRUE(IsUsualAssCode(ass[0]) && IsUsualAssCode(thousandths));
                ASSERT_EQ(UsualAssMillis(ass[0]), times[i]);
                ASSERT_EQ(UsualAssMillis(thousandths), times[i]);
            }
            const CueTimes seconds = inSeconds.Shift(ParseSrtTime(srt[0]), ParseSrtTime(srt[1]));
            CueMillis shifted;
            const bool counted =
                inMillis.ShiftMillis(times[i], times[i + 1], kUsualSrtLimit, shifted);
            const CueMillis* millis = counted ? &shifted : nullptr;
            if (!millis) {
                inMillis.Shift(ParseSrtTime(srt[0]), ParseSrtTime(srt[1]));
                continue;
            }
            ASSERT_EQ(millis->fate, seconds.fate) << srt[0] << " " << srt[1];
            const bool moved = millis->fate == CueFate::Shifted || millis->fate == CueFate::Trimmed;
            if (moved) {
                EXPECT_EQ(UsualSrtTimeText(millis->start).View(),
                          SrtTimeText(seconds.start).View());
                EXPECT_EQ(UsualSrtTimeText(millis->end).View(), SrtTimeText(seconds.end).View());
                if (millis->end < kUsualAssLimit) {
                    EXPECT_EQ(UsualAssTimeText(millis->start).View(),
                              AssTimeText(seconds.start).View());
                    EXPECT_EQ(UsualAssTimeText(millis->end).View(),
                              AssTimeText(seconds.end).View());
                }
            }
        }
    }
}

}  // namespace
}  // namespace orvane::engine
