// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cue_intervals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace orvane::engine {
namespace {

struct IntervalsCase {
    const char* name;
    SubtitleKind kind;
    std::string text;
    std::vector<std::pair<double, double>> expected;
};

std::vector<std::pair<double, double>> Pairs(const std::vector<Interval>& cues) {
    std::vector<std::pair<double, double>> pairs;
    for (const Interval& cue : cues) {
        pairs.emplace_back(cue.start, cue.end);
    }
    return pairs;
}

TEST(CueIntervals, TakesTheTimesOfShownCues) {
    const IntervalsCase cases[] = {
        {"srt with CRLF",
         SubtitleKind::Srt,
         "1\r\n00:00:01,500 --> 00:00:03,000\r\nHello 12:00\r\n\r\n2\r\n"
         "00:01:00,000 --> 00:01:02,250\r\nBye\r\n",
         {{1.5, 3.0}, {60.0, 62.25}}},
        {"ass dialogue, not comments",
         SubtitleKind::Ass,
         "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
         "Text\nDialogue: 0,0:00:01.50,0:00:03.00,Default,,0,0,0,,Hi\n"
         "Comment: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,note\n"
         "  dialogue: 0,1:00:00.00,1:00:01.25,Default,,0,0,0,,Later",
         {{1.5, 3.0}, {3600.0, 3601.25}}},
        {"no cues", SubtitleKind::Srt, "just text\n", {}},
        {"not a subtitle", SubtitleKind::Other, "00:00:01,000 --> 00:00:02,000\n", {}},
    };
    for (const IntervalsCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Pairs(CueIntervalsOfText(c.text, c.kind)), c.expected);
    }
}

TEST(CueIntervals, RefusesAFileWithoutTimedCues) {
    const testing::TempDir dir;
    const std::filesystem::path timed =
        dir.Write("timed.srt", "1\n00:00:01,000 --> 00:00:02,000\nA\n");
    const std::filesystem::path empty = dir.Write("empty.ass", "[Script Info]\n");

    const CueIntervalsResult read = ReadCueIntervals(timed);
    EXPECT_FALSE(read.failure);
    EXPECT_EQ(Pairs(read.cues), (std::vector<std::pair<double, double>>{{1.0, 2.0}}));
    ASSERT_TRUE(ReadCueIntervals(empty).failure);
    EXPECT_EQ(ReadCueIntervals(empty).failure->kind, textio::FailureKind::NoTimeLines);
    EXPECT_EQ(ReadCueIntervals(dir / "missing.srt").failure->kind, textio::FailureKind::NoSuchFile);
}

}  // namespace
}  // namespace orvane::engine
