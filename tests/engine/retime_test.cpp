// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/retime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/timecode.h"
#include "shift_test_support.h"

namespace orvane::engine {
namespace {

struct RateCase {
    const char* text;
    std::int64_t numerator;  // 0: refused
    std::int64_t denominator;
};

TEST(FrameRates, AreExactFractions) {
    const RateCase cases[] = {
        {"23.976", 24000, 1001},
        {"29.97", 30000, 1001},
        {"59.94", 60000, 1001},
        {"25", 25, 1},
        {"24000/1001", 24000, 1001},
        {"12.5", 125, 10},
        {"0", 0, 0},
        {"-25", 0, 0},
        {"25.", 0, 0},
        {"abc", 0, 0},
        {"1001/0", 0, 0},
        {"2000", 0, 0},
    };
    for (const RateCase& c : cases) {
        const std::optional<FrameRate> rate = ParseFrameRate(c.text);
        if (c.numerator == 0) {
            EXPECT_FALSE(rate) << c.text;
            continue;
        }
        ASSERT_TRUE(rate) << c.text;
        EXPECT_EQ(rate->numerator, c.numerator) << c.text;
        EXPECT_EQ(rate->denominator, c.denominator) << c.text;
    }
    EXPECT_DOUBLE_EQ(FramesToSeconds(12, *ParseFrameRate("23.976")), 12 * 1001 / 24000.0);
}

ShiftSettings Mapped(TimingMap map) {
    ShiftSettings settings = Direct(0, true);
    settings.map = std::move(map);
    return settings;
}

FrameRate Rate(const char* text) {
    return *ParseFrameRate(text);
}

TEST(FrameRateConversion, GivesTheExactTimes) {
    const std::string srt = Crlf({"1", "01:00:00,000 --> 02:00:00,000", "A"});
    const std::string converted = Crlf({"1", "01:02:33,750 --> 02:05:07,500", "A"});
    EXPECT_EQ(ShiftSrtString(srt, Mapped(FrameRateMap(Rate("25"), Rate("23.976")))).text,
              converted);
    EXPECT_EQ(ShiftSrtString(converted, Mapped(FrameRateMap(Rate("23.976"), Rate("25")))).text,
              srt);
    const std::string ass =
        "[Script Info]\r\n[Events]\r\nDialogue: 0,1:00:00.00,2:00:00.00,D,,0,0,0,,A\r\n";
    EXPECT_EQ(ShiftAssString(ass, Mapped(FrameRateMap(Rate("25"), Rate("23.976")))).text,
              "[Script Info]\r\n[Events]\r\nDialogue: 0,1:02:33.75,2:05:07.50,D,,0,0,0,,A\r\n");
}

// Start times of every cue of an output, in seconds.
std::vector<double> Starts(const std::string& text, TimePattern pattern) {
    std::vector<double> starts;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        const std::string_view line = std::string_view(text).substr(at, end - at);
        if (const auto match = MatchTimeLine(line, pattern)) {
            const std::string_view code = match->start.In(line);
            starts.push_back(pattern == TimePattern::Srt ? ParseSrtTime(code) : ParseAssTime(code));
        }
        at = end + 2;
    }
    return starts;
}

// A file of `count` cues at seeded random times over three hours; their
// start times in `starts`, as written.
std::string RandomSrt(std::size_t count, std::vector<double>& starts) {
    std::mt19937 random(25);
    std::uniform_int_distribution<std::int64_t> millis(0, 3 * 3600 * 1000 - 5000);
    std::vector<std::int64_t> times(count);
    for (std::int64_t& t : times) {
        t = millis(random);
    }
    std::sort(times.begin(), times.end());
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        starts.push_back(static_cast<double>(times[i]) / 1000);
        text += std::to_string(i + 1) + "\r\n" + FormatSrtTime(starts.back()) + " --> " +
                FormatSrtTime(starts.back() + 2) + "\r\nText\r\n\r\n";
    }
    return text;
}

TEST(FrameRateConversion, ThereAndBackMovesNoTimeByMoreThanAMillisecond) {
    std::vector<double> original;
    const std::string srt = RandomSrt(1500, original);
    const std::string there =
        ShiftSrtString(srt, Mapped(FrameRateMap(Rate("25"), Rate("23.976")))).text;
    const std::string back =
        ShiftSrtString(there, Mapped(FrameRateMap(Rate("23.976"), Rate("25")))).text;
    const std::vector<double> returned = Starts(back, TimePattern::Srt);
    ASSERT_EQ(returned.size(), original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
        ASSERT_LE(std::fabs(returned[i] - original[i]), 0.0010001) << i;
    }
}

// The same in ASS at centisecond precision, for several pairs of rates. ASS
// truncates to hundredths, so this holds when the first change stretches
// (a shrinking one magnifies the truncation on the way back).
TEST(FrameRateConversion, ThereAndBackInAssWithinACentisecond) {
    std::vector<double> original;
    RandomSrt(1500, original);
    std::string ass = "[Script Info]\r\n[Events]\r\n";
    for (double& t : original) {
        t = std::floor(t * 100) / 100;  // whole centiseconds, as ASS writes them
        ass += "Dialogue: 0," + FormatAssTime(t) + "," + FormatAssTime(t + 2) + ",D,,0,0,0,,A\r\n";
    }
    const char* pairs[][2] = {{"25", "23.976"}, {"29.97", "25"}, {"24", "23.976"}};
    for (const auto& pair : pairs) {
        const std::string there =
            ShiftAssString(ass, Mapped(FrameRateMap(Rate(pair[0]), Rate(pair[1])))).text;
        const std::vector<double> back =
            Starts(ShiftAssString(there, Mapped(FrameRateMap(Rate(pair[1]), Rate(pair[0])))).text,
                   TimePattern::Ass);
        ASSERT_EQ(back.size(), original.size());
        for (std::size_t i = 0; i < original.size(); ++i) {
            ASSERT_LE(std::fabs(back[i] - original[i]), 0.0100001) << pair[0] << " " << i;
        }
    }
}

TEST(TwoPointSync, RestoresAStretchedAndMovedFile) {
    std::vector<double> original;
    const std::string srt = RandomSrt(1500, original);
    ShiftSettings stretch = Mapped(FrameRateMap(Rate("25"), Rate("23.976")));
    stretch.shiftSeconds = 3.2;
    const std::string stretched = ShiftSrtString(srt, stretch).text;
    const std::vector<double> moved = Starts(stretched, TimePattern::Srt);
    const std::optional<TimingMap> sync =
        TwoPointMap(moved.front(), original.front(), moved.back(), original.back());
    ASSERT_TRUE(sync);
    const std::vector<double> restored =
        Starts(ShiftSrtString(stretched, Mapped(*sync)).text, TimePattern::Srt);
    ASSERT_EQ(restored.size(), original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
        ASSERT_LE(std::fabs(restored[i] - original[i]), 0.0010001) << i;
    }
}

TEST(TwoPointSync, RefusesEqualPointsAndReversedMaps) {
    EXPECT_FALSE(TwoPointMap(10, 12, 10, 20));
    EXPECT_FALSE(TwoPointMap(10, 20, 20, 10));
    EXPECT_FALSE(TwoPointMap(10, 20, 20, 20));
    const std::optional<TimingMap> map = TwoPointMap(10, 12, 110, 212);
    ASSERT_TRUE(map);
    EXPECT_DOUBLE_EQ(map->Apply(60), 112);
}

// A conversion is a mode of its own: it keeps what the run writes and where,
// and drops every amount and the cut.
TEST(FrameRateConversion, IsARunOfItsOwn) {
    ShiftSettings base = Cut(12, 2);
    base.ansi = true;
    base.outputDir = "out";
    base.from = 100;
    const ShiftSettings run = FrameRateConversion(base, Rate("25"), Rate("23.976"));
    EXPECT_EQ(run.mode, ShiftMode::Direct);
    EXPECT_EQ(run.shiftSeconds, 0);
    EXPECT_FALSE(run.extraAdvance);
    EXPECT_TRUE(run.ansi);
    EXPECT_EQ(run.outputDir, "out");
    ASSERT_TRUE(run.map);
    EXPECT_DOUBLE_EQ(run.map->Apply(100), 100);  // anchored where the range begins
    EXPECT_EQ(MapFormula(*run.map), "t \u00D7 1.04270833 - 4.271");
    EXPECT_EQ(MapFormula(TimingMap::Constant(1.5)), "t \u00D7 1.00000000 + 1.500");
}

// Below a millisecond the map and the direct shift add the same doubles and
// round them once, ties to even: the two agree there too.
TEST(TimingMaps, SubMillisecondOffsetsRoundAsTheDirectShift) {
    const std::string srt = Crlf({"1", "00:00:01,000 --> 00:00:02,001", "A", "",  //
                                  "2", "00:00:03,003 --> 01:00:00,999", "B"});
    for (const double offset : {0.0005, 0.0004, 0.0015, 0.0025, 1.0005}) {
        EXPECT_EQ(ShiftSrtString(srt, Mapped(TimingMap::Constant(offset))).text,
                  ShiftSrtString(srt, Direct(offset, true)).text)
            << offset;
    }
}

// A map that only adds whole milliseconds is the direct shift, byte for byte;
// a cue follows the segment that holds its start.
TEST(TimingMaps, ConstantIsTheDirectShiftAndCuesFollowTheirStart) {
    const std::string srt = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "",  //
                                  "2", "00:09:59,000 --> 00:10:01,000", "B", "",  //
                                  "3", "00:20:00,000 --> 00:20:01,000", "C"});
    EXPECT_EQ(ShiftSrtString(srt, Mapped(TimingMap::Constant(1.5))).text,
              ShiftSrtString(srt, Direct(1.5, true)).text);
    TimingMap twoParts = TimingMap::Constant(0);
    twoParts.Add({600, 1, 30});
    EXPECT_EQ(ShiftSrtString(srt, Mapped(twoParts)).text,
              Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "",  //
                    "2", "00:09:59,000 --> 00:10:01,000", "B", "",  //
                    "3", "00:20:30,000 --> 00:20:31,000", "C"}));
}

// A cue a map moves wholly below zero is dropped and counted, as the cut
// drops the opening's cues; one across zero starts at zero. The direct
// shift alone still stops every time at zero.
struct BelowZeroCase {
    const char* name;
    ShiftSettings settings;
    const char* second;  // the second cue's new time line
    std::size_t dropped;
    std::size_t trimmed;
};

TEST(TimingMaps, DropCuesMovedWhollyBelowZero) {
    const std::string srt = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "",  //
                                  "2", "00:00:04,000 --> 00:00:06,000", "B", "",  //
                                  "3", "00:00:10,000 --> 00:00:11,000", "C"});
    TimingMap split = TimingMap::Constant(-5);
    split.Add({8, 1, 0});
    ShiftSettings mappedAndEarlier = Mapped(TimingMap::Constant(-2));
    mappedAndEarlier.shiftSeconds = 3;
    mappedAndEarlier.later = false;
    const BelowZeroCase cases[] = {
        {"a constant map", Mapped(TimingMap::Constant(-5)), "00:00:00,000 --> 00:00:01,000", 1, 1},
        {"a scaled map", Mapped(TimingMap::Linear(2, -9)), "00:00:00,000 --> 00:00:03,000", 1, 1},
        {"a map with a break", Mapped(split), "00:00:00,000 --> 00:00:01,000", 1, 1},
        {"a map and the amount", mappedAndEarlier, "00:00:00,000 --> 00:00:01,000", 1, 1},
        {"a map that ends at zero", Mapped(TimingMap::Constant(-2)),
         "00:00:02,000 --> 00:00:04,000", 1, 0},
        {"the direct shift alone", Direct(5, false), "00:00:00,000 --> 00:00:01,000", 0, 0},
    };
    for (const BelowZeroCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ShiftOutput out = ShiftSrtString(srt, c.settings);
        EXPECT_EQ(out.stats.dropped, c.dropped);
        EXPECT_EQ(out.stats.trimmed, c.trimmed);
        EXPECT_EQ(out.stats.shifted, 3 - c.dropped);
        EXPECT_EQ(out.text.find("\r\nA\r\n") == std::string::npos, c.dropped == 1) << out.text;
        EXPECT_NE(out.text.find(c.second), std::string::npos) << out.text;

        const std::string ass =
            Crlf({"[Script Info]", "ScriptType: v4.00+", "", "[Events]",
                  "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text",
                  "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,A",
                  "Comment: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,note",
                  "Dialogue: 0,0:00:04.00,0:00:06.00,Default,,0,0,0,,B"});
        const ShiftOutput events = ShiftAssString(ass, c.settings);
        EXPECT_EQ(events.stats.dropped, c.dropped);
        EXPECT_EQ(events.text.find(",A\r\n") == std::string::npos, c.dropped == 1) << events.text;
    }
}

}  // namespace
}  // namespace orvane::engine
