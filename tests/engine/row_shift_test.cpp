// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/row_shift.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::engine {
namespace {

using Rows = std::vector<std::string>;

const Rows kSrtCue = {"1", "00:00:01,000 --> 00:00:03,000", "Hello", ""};

Rows Apply(Rows rows, const std::vector<RowChange>& changes) {
    for (const RowChange& change : changes) {
        rows[change.index] = change.after;
    }
    return rows;
}

struct RowCase {
    const char* name;
    Rows rows;
    std::vector<std::size_t> selected;
    TimePattern pattern;
    double seconds;
    bool later;
    Rows expected;
};

class RowShift : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowShift, MovesOnlyTheSelectedTimeCodes) {
    const RowCase& c = GetParam();
    EXPECT_EQ(Apply(c.rows, ShiftRows(c.rows, c.selected, c.pattern, c.seconds, c.later)),
              c.expected);
}

const RowCase kCases[] = {
    {"whole_cue_selected_changes_only_its_time_line",
     kSrtCue,
     {0, 1, 2, 3},
     TimePattern::Srt,
     2,
     true,
     {"1", "00:00:03,000 --> 00:00:05,000", "Hello", ""}},
    {"earlier_clamps_the_start_and_moves_the_end_on_its_own",
     kSrtCue,
     {1},
     TimePattern::Srt,
     2,
     false,
     {"1", "00:00:00,000 --> 00:00:01,000", "Hello", ""}},
    {"ass_row_keeps_every_other_field",
     {"Dialogue: 0,0:00:01.50,0:00:03.00,Default,,0,0,0,,Hi, 0:00:09.00,x"},
     {0},
     TimePattern::Ass,
     12,
     true,
     {"Dialogue: 0,0:00:13.50,0:00:15.00,Default,,0,0,0,,Hi, 0:00:09.00,x"}},
    {"nothing_selected_changes_nothing", kSrtCue, {}, TimePattern::Srt, 2, true, kSrtCue},
    {"unselected_time_lines_stay",
     {"00:00:01,000 --> 00:00:02,000", "00:00:05,000 --> 00:00:06,000"},
     {1, 1, 7},
     TimePattern::Srt,
     1,
     true,
     {"00:00:01,000 --> 00:00:02,000", "00:00:06,000 --> 00:00:07,000"}},
};

INSTANTIATE_TEST_SUITE_P(Table, RowShift, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every time line follows the map, below zero as zero; what moved is counted
// and measured on the codes written.
TEST(RowShift, MapMovesEveryTimeLine) {
    const Rows rows = {"1", "00:00:01,000 --> 00:00:03,000", "Hi", "",
                       "2", "00:00:10,000 --> 00:00:11,000", "Yo"};
    const RowMapping mapping = MapRows(rows, TimePattern::Srt, TimingMap::Linear(2, -2.5));
    EXPECT_EQ(Apply(rows, mapping.changes),
              (Rows{"1", "00:00:00,000 --> 00:00:03,500", "Hi", "",  //
                    "2", "00:00:17,500 --> 00:00:19,500", "Yo"}));
    EXPECT_EQ(mapping.moved, 2u);
    EXPECT_DOUBLE_EQ(mapping.largestChange, 8.5);
    EXPECT_TRUE(MapRows(rows, TimePattern::Srt, TimingMap::Constant(0)).changes.empty());
    const std::optional<RowTimes> times = ReadRowTimes(rows[5], TimePattern::Srt);
    ASSERT_TRUE(times);
    EXPECT_DOUBLE_EQ(times->end, 11);
    EXPECT_FALSE(ReadRowTimes(rows[6], TimePattern::Srt));
}

TEST(RowShift, TwiceMovesTwice) {
    Rows rows = kSrtCue;
    for (int i = 0; i < 2; ++i) {
        rows = Apply(rows, ShiftRows(rows, {1}, TimePattern::Srt, 1.5, true));
    }
    EXPECT_EQ(rows[1], "00:00:04,000 --> 00:00:06,000");
}

TEST(RowShift, PatternByExtension) {
    EXPECT_EQ(RowPatternFor("a.SRT"), TimePattern::Srt);
    EXPECT_EQ(RowPatternFor("a.ssa"), TimePattern::Ass);
    EXPECT_EQ(RowPatternFor("a.lrc"), std::nullopt);
}

}  // namespace
}  // namespace orvane::engine
