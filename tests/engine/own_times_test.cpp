// SPDX-License-Identifier: GPL-3.0-or-later
// Each cue judged on its own: by its own times in cut mode, whatever the file
// order; by its own script when a language is removed; unreadable when a
// code has a minus sign in front or a digit after it. Both SubRip roads are
// compared on the way (ShiftSrtString), as are both ASS roads.
#include <gtest/gtest.h>

#include "support/why.h"

#include "shift_test_support.h"

namespace orvane::engine {
namespace {

struct Counts {
    std::size_t shifted = 0;
    std::size_t dropped = 0;
    std::size_t trimmed = 0;
    std::size_t untimed = 0;
};

struct OwnCase {
    const char* name;
    bool srt;
    std::string input;
    ShiftSettings settings;
    std::string expected;
    Counts counts;
};

class OwnTimes : public ::testing::TestWithParam<OwnCase> {};

TEST_P(OwnTimes, WritesTheExpectedFile) {
    const OwnCase& c = GetParam();
    const ShiftOutput out =
        c.srt ? ShiftSrtString(c.input, c.settings) : ShiftAssString(c.input, c.settings);
    ASSERT_FALSE(out.failure) << orvane::testing::Why(out.failure);
    EXPECT_EQ(out.text, c.expected);
    EXPECT_EQ(out.stats.shifted, c.counts.shifted);
    EXPECT_EQ(out.stats.dropped, c.counts.dropped);
    EXPECT_EQ(out.stats.trimmed, c.counts.trimmed);
    EXPECT_EQ(out.stats.untimed, c.counts.untimed);
}

ShiftSettings RemoveEnglish() {
    return WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish);
}

ShiftSettings RemoveChinese() {
    return WithRemoval(Direct(0, true), LanguageRemoval::RemoveChinese);
}

INSTANTIATE_TEST_SUITE_P(
    Srt, OwnTimes,
    ::testing::Values(
        OwnCase{"cut_out_of_order",
                true,
                Crlf({"1", "00:00:20,000 --> 00:00:22,000", "Later", "",   //
                      "2", "00:00:05,000 --> 00:00:08,000", "Inside", "",  //
                      "3", "00:00:11,000 --> 00:00:14,000", "Across", "",  //
                      "4", "00:00:30,000 --> 00:00:31,000", "Last"}),
                Cut(12),
                Crlf({"1", "00:00:08,000 --> 00:00:10,000", "Later", "",   //
                      "2", "00:00:00,000 --> 00:00:02,000", "Across", "",  //
                      "3", "00:00:18,000 --> 00:00:19,000", "Last"}),
                {3, 1, 1, 0}},
        // Within the further advance: the start is raised to zero, a trim.
        OwnCase{"cut_advance_trims",
                true,
                Crlf({"1", "00:00:13,000 --> 00:00:16,000", "A", "",  //
                      "2", "00:00:13,000 --> 00:00:14,000", "B"}),
                Cut(12, 2),
                Crlf({"1", "00:00:00,000 --> 00:00:02,000", "A"}),
                {1, 1, 1, 0}},
        OwnCase{"minus_signs_and_fourth_digits_are_unreadable",
                true,
                Crlf({"1", "-00:00:02,345 --> 00:00:03,456", "A", "",  //
                      "2", "00:00:01,000 --> -00:00:03,456", "B", "",  //
                      "3", "00:00:02,0001 --> 00:00:03,000", "C", "",  //
                      "4", "00:00:02,000 --> 00:00:03,0001", "D", "",  //
                      "5", "00:00:01,000-00:00:02,000", "E"}),
                Direct(1.5, true),
                Crlf({"1", "-00:00:02,345 --> 00:00:03,456", "A", "",  //
                      "2", "00:00:01,000 --> -00:00:03,456", "B", "",  //
                      "3", "00:00:02,0001 --> 00:00:03,000", "C", "",  //
                      "4", "00:00:02,000 --> 00:00:03,0001", "D", "",  //
                      "5", "00:00:02,500-00:00:03,500", "E"}),
                {1, 0, 0, 4}},
        OwnCase{"two_codes_without_an_arrow_are_a_time_line",
                true,
                Crlf({"1", "00:00:05,000 - 00:00:06,000", "A", "",    //
                      "2", "00:00:07,000 --> 00:00:08,000", "B", "",  //
                      "3", "00:00:09,000 - 00:00:10,000", "C"}),
                Direct(1, true),
                Crlf({"1", "00:00:06,000 - 00:00:07,000", "A", "",    //
                      "2", "00:00:08,000 --> 00:00:09,000", "B", "",  //
                      "3", "00:00:10,000 - 00:00:11,000", "C"}),
                {3, 0, 0, 0}},
        OwnCase{"lands_exactly_on_a_hundred_hours",
                true,
                Crlf({"1", "99:59:58,000 --> 99:59:59,000", "A"}),
                Direct(1, true),
                Crlf({"1", "99:59:59,000 --> 100:00:00,000", "A"}),
                {1, 0, 0, 0}},
        OwnCase{"typographic_english_loses_its_line",
                true,
                Crlf({"1", "00:00:01,000 --> 00:00:02,000",
                      "Mr Ho, tell us if he’s threatening you.", "何先生，他要是威胁你，告诉我们。",
                      "",                                                                 //
                      "2", "00:00:03,000 --> 00:00:04,000", "♪ la la ♪", "♪ 啦啦 ♪", "",  //
                      "3", "00:00:05,000 --> 00:00:06,000", "안녕하세요", "Ｈｅｌｌｏ"}),
                RemoveEnglish(),
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "何先生，他要是威胁你，告诉我们。",
                      "",                                                    //
                      "2", "00:00:03,000 --> 00:00:04,000", "♪ 啦啦 ♪", "",  //
                      "3", "00:00:05,000 --> 00:00:06,000", "안녕하세요"}),
                {3, 0, 0, 0}},
        OwnCase{"typographic_english_keeps_its_line",
                true,
                Crlf({"1", "00:00:01,000 --> 00:00:02,000",
                      "Mr Ho, tell us if he’s threatening you.", "何先生，他要是威胁你，告诉我们。",
                      "",  //
                      "2", "00:00:03,000 --> 00:00:04,000", "“Wait…” — 😂", "等等……"}),
                RemoveChinese(),
                Crlf({"1", "00:00:01,000 --> 00:00:02,000",
                      "Mr Ho, tell us if he’s threatening you.", "",  //
                      "2", "00:00:03,000 --> 00:00:04,000", "“Wait…” — 😂"}),
                {2, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Ass, OwnTimes,
    ::testing::Values(
        // A karaoke template Comment at zero keeps its times; a Comment
        // before the first Dialogue moves; an unsorted event inside the
        // opening is dropped, not left empty at zero.
        OwnCase{
            "cut_unsorted_events_and_comments",
            false,
            EventsScript({"Comment: 0,0:00:00.00,0:00:00.00,Default,,0,0,0,template line,{\\k10}",
                          "Comment: 0,0:00:20.00,0:00:21.00,Default,,0,0,0,,note",
                          "Dialogue: 0,0:00:20.00,0:00:22.00,Default,,0,0,0,,Later",
                          "Dialogue: 0,0:00:05.00,0:00:08.00,Default,,0,0,0,,Inside",
                          "Dialogue: 0,0:00:00.00,0:00:13.50,Default,,0,0,0,,Across",
                          "Comment: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,early note"}),
            Cut(12),
            EventsScript({"Comment: 0,0:00:00.00,0:00:00.00,Default,,0,0,0,template line,{\\k10}",
                          "Comment: 0,0:00:08.00,0:00:09.00,Default,,0,0,0,,note",
                          "Dialogue: 0,0:00:08.00,0:00:10.00,Default,,0,0,0,,Later",
                          "Dialogue: 0,0:00:00.00,0:00:01.50,Default,,0,0,0,,Across",
                          "Comment: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,early note"}),
            {3, 1, 1, 0}},
        OwnCase{
            "comment_before_the_first_dialogue_loses_its_english",
            false,
            EventsScript({"Comment: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,中文\\N{\\fs14}English",
                          "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,Hi"}),
            RemoveEnglish(),
            EventsScript({"Comment: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,中文",
                          "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,Hi"}),
            {2, 0, 0, 0}},
        OwnCase{"unreadable_codes_stay_as_they_are",
                false,
                EventsScript({"Dialogue: 0,0:00:10.00,0:00:15.1234,Default,,0,0,0,,Four",
                              "Dialogue: 0,-0:00:01.00,0:00:02.00,Default,,0,0,0,,Minus",
                              "Dialogue: 0,0:00:01.00,-0:00:02.00,Default,,0,0,0,,Minus end",
                              "Dialogue: 0,0:00:10.00,0:00:15.12,Default,,0,0,0,,Fine"}),
                Direct(4.9, true),
                EventsScript({"Dialogue: 0,0:00:10.00,0:00:15.1234,Default,,0,0,0,,Four",
                              "Dialogue: 0,-0:00:01.00,0:00:02.00,Default,,0,0,0,,Minus",
                              "Dialogue: 0,0:00:01.00,-0:00:02.00,Default,,0,0,0,,Minus end",
                              "Dialogue: 0,0:00:14.90,0:00:20.02,Default,,0,0,0,,Fine"}),
                {1, 0, 0, 3}},
        OwnCase{"event_across_ten_hours_moved_earlier",
                false,
                EventsScript({"Dialogue: 0,9:59:59.00,10:00:01.50,Default,,0,0,0,,A",
                              "Dialogue: 0,10:00:00.50,10:00:02.00,Default,,0,0,0,,B"}),
                Direct(2, false),
                EventsScript({"Dialogue: 0,9:59:57.00,9:59:59.50,Default,,0,0,0,,A",
                              "Dialogue: 0,9:59:58.50,10:00:00.00,Default,,0,0,0,,B"}),
                {2, 0, 0, 0}},
        OwnCase{"typographic_english_part_is_english",
                false,
                EventsScript({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,“Wait…” – he’s "
                              "gone\\N{\\fs14}等等……他走了"}),
                RemoveEnglish(),
                EventsScript(
                    {"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\fs14}等等……他走了"}),
                {1, 0, 0, 0}},
        OwnCase{
            "no_line_break_left_hanging",
            false,
            EventsScript(
                {"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,English\\N\\N{\\fs14}中文"}),
            RemoveChinese(),
            EventsScript({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,English"}),
            {1, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::engine
