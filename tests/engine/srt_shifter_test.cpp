// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/srt_shifter.h"

#include <gtest/gtest.h>

#include "support/why.h"

#include "shift_test_support.h"

namespace orvane::engine {
namespace {

const std::string kThreeCues = Crlf({"1", "00:00:02,000 --> 00:00:05,000", "One", "",  //
                                     "2", "00:00:10,000 --> 00:00:13,000", "Two", "",  //
                                     "3", "00:00:20,000 --> 00:00:22,000", "Three"});

struct SrtCase {
    const char* name;
    std::string input;
    ShiftSettings settings;
    std::string expected;
};

class SrtShift : public ::testing::TestWithParam<SrtCase> {};

TEST_P(SrtShift, WritesTheExpectedFile) {
    const SrtCase& c = GetParam();
    const ShiftOutput out = ShiftSrtString(c.input, c.settings);
    ASSERT_FALSE(out.failure) << orvane::testing::Why(out.failure);
    EXPECT_EQ(out.text, c.expected);
}

const std::string kBilingualEnglishFirst =
    Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hello", "你好", "",  //
          "2", "00:00:03,000 --> 00:00:04,000", "只有中文", "",       //
          "3", "00:00:05,000 --> 00:00:06,000", "English only"});

const std::string kBilingualChineseFirst =
    Crlf({"1", "00:00:01,000 --> 00:00:02,000", "你好", "Hello", "",  //
          "2", "00:00:03,000 --> 00:00:04,000", "第一行", "第二行"});

INSTANTIATE_TEST_SUITE_P(
    Table, SrtShift,
    ::testing::Values(
        SrtCase{"direct_later_keeps_numbers_and_text", kThreeCues, Direct(12, true),
                Crlf({"1", "00:00:14,000 --> 00:00:17,000", "One", "",  //
                      "2", "00:00:22,000 --> 00:00:25,000", "Two", "",  //
                      "3", "00:00:32,000 --> 00:00:34,000", "Three"})},
        SrtCase{"direct_earlier_clamps_and_keeps_every_cue", kThreeCues, Direct(12, false),
                Crlf({"1", "00:00:00,000 --> 00:00:00,000", "One", "",  //
                      "2", "00:00:00,000 --> 00:00:01,000", "Two", "",  //
                      "3", "00:00:08,000 --> 00:00:10,000", "Three"})},
        SrtCase{"cut_drops_trims_and_renumbers", kThreeCues, Cut(12),
                Crlf({"1", "00:00:00,000 --> 00:00:01,000", "Two", "",  //
                      "2", "00:00:08,000 --> 00:00:10,000", "Three"})},
        // "Two" would end at zero: an empty cue, dropped.
        SrtCase{"cut_with_advance_drops_what_would_be_empty", kThreeCues, Cut(12, 2),
                Crlf({"1", "00:00:06,000 --> 00:00:08,000", "Three"})},
        SrtCase{"cut_where_the_first_cue_is_kept", kThreeCues, Cut(1),
                Crlf({"1", "00:00:01,000 --> 00:00:04,000", "One", "",  //
                      "2", "00:00:09,000 --> 00:00:12,000", "Two", "",  //
                      "3", "00:00:19,000 --> 00:00:21,000", "Three"})},
        SrtCase{"cut_past_every_cue_gives_empty_text", kThreeCues, Cut(100), ""},
        // Ending exactly at the cut: dropped, no empty cue at 0. Starting
        // exactly at it: shifted, not trimmed.
        SrtCase{"cues_ending_and_starting_exactly_at_the_cut",
                Crlf({"1", "00:00:02,000 --> 00:00:05,000", "End", "",  //
                      "2", "00:00:05,000 --> 00:00:07,000", "Start"}),
                Cut(5), Crlf({"1", "00:00:00,000 --> 00:00:02,000", "Start"})},
        // Read back as 100 hours, not as 0 with a stray "1" before it.
        SrtCase{"cut_keeps_a_cue_past_ninety_nine_hours",
                Crlf({"1", "100:00:00,000 --> 100:00:01,000", "Late"}), Cut(12),
                Crlf({"1", "99:59:48,000 --> 99:59:49,000", "Late"})},
        SrtCase{"mixed_one_and_two_line_cues_all_shift",
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "",         //
                      "2", "00:00:03,000 --> 00:00:04,000", "B1", "B2", "",  //
                      "3", "00:00:05,000 --> 00:00:06,000", "C", "",         //
                      "4", "00:00:07,000 --> 00:00:08,000", "D1", "D2", "D3"}),
                Direct(1, true),
                Crlf({"1", "00:00:02,000 --> 00:00:03,000", "A", "",         //
                      "2", "00:00:04,000 --> 00:00:05,000", "B1", "B2", "",  //
                      "3", "00:00:06,000 --> 00:00:07,000", "C", "",         //
                      "4", "00:00:08,000 --> 00:00:09,000", "D1", "D2", "D3"})},
        SrtCase{"remove_english_only_from_bilingual_cues", kBilingualEnglishFirst,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "你好", "",      //
                      "2", "00:00:03,000 --> 00:00:04,000", "只有中文", "",  //
                      "3", "00:00:05,000 --> 00:00:06,000", "English only"})},
        SrtCase{"remove_chinese_only_from_bilingual_cues", kBilingualEnglishFirst,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveChinese),
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hello", "",     //
                      "2", "00:00:03,000 --> 00:00:04,000", "只有中文", "",  //
                      "3", "00:00:05,000 --> 00:00:06,000", "English only"})},
        SrtCase{"chinese_first_remove_english", kBilingualChineseFirst,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "你好", "",  //
                      "2", "00:00:03,000 --> 00:00:04,000", "第一行", "第二行"})},
        SrtCase{"chinese_first_remove_chinese_never_empties_a_chinese_cue", kBilingualChineseFirst,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveChinese),
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hello", "",  //
                      "2", "00:00:03,000 --> 00:00:04,000", "第一行", "第二行"})},
        SrtCase{"fullwidth_latin_counts_as_english",
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Ｈｅｌｌｏ", "你好"}),
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "你好"})},
        SrtCase{"simplify_every_text_line_but_not_markup",
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "<font face=\"微軟正黑體\">電視</font>",
                      "{\\fn微軟正黑體}節目", "Hello"}),
                Simplified(Direct(0, true)),
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "<font face=\"微軟正黑體\">电视</font>",
                      "{\\fn微軟正黑體}节目", "Hello"})},
        SrtCase{"marker_words_are_ordinary_text",
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "DelSub", "",  //
                      "2", "00:00:20,000 --> 00:00:21,000", "RemoveHeadBegin"}),
                Cut(5), Crlf({"1", "00:00:15,000 --> 00:00:16,000", "RemoveHeadBegin"})},
        SrtCase{"number_only_text_lines_stay_text",
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "2019", "",  //
                      "2", "00:00:20,000 --> 00:00:21,000", "42"}),
                Cut(1),
                Crlf({"1", "00:00:00,000 --> 00:00:01,000", "2019", "",  //
                      "2", "00:00:19,000 --> 00:00:20,000", "42"})},
        SrtCase{
            "blank_lines_normalised_and_leading_junk_dropped",
            "\r\nTitle junk\r\n1\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n\r\n\r\n\r\n2\r\n"
            "00:00:03,000 --> 00:00:04,000\r\nB\r\n2\r\n00:00:05,000 --> 00:00:06,000\r\nC\r\n\r\n",
            Direct(1, true),
            Crlf({"1", "00:00:02,000 --> 00:00:03,000", "A", "",  //
                  "2", "00:00:04,000 --> 00:00:05,000", "B", "",  //
                  "2", "00:00:06,000 --> 00:00:07,000", "C"})},
        SrtCase{"cue_without_number_keeps_its_place",
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "",  //
                      "00:00:03,000 --> 00:00:04,000", "B"}),
                Direct(1, true),
                Crlf({"1", "00:00:02,000 --> 00:00:03,000", "A", "",  //
                      "00:00:04,000 --> 00:00:05,000", "B"})},
        SrtCase{"unreadable_time_line_keeps_its_cue",
                Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "",  //
                      "2", "00:00:03.000 --> 00:00:04.000", "B", "",  //
                      "3", "00:00:05,000 --> 00:00:06,000", "C"}),
                Direct(1, true),
                Crlf({"1", "00:00:02,000 --> 00:00:03,000", "A", "",  //
                      "2", "00:00:03.000 --> 00:00:04.000", "B", "",  //
                      "3", "00:00:06,000 --> 00:00:07,000", "C"})},
        SrtCase{"direction_and_zero_width_marks_around_the_first_number",
                "\u200E\u202A\u200B1\u200F\n00:00:01,000 --> 00:00:02,000\nA\n", Direct(1, true),
                Crlf({"\u200E\u202A\u200B1\u200F", "00:00:02,000 --> 00:00:03,000", "A"})},
        SrtCase{"lf_only_input_gives_crlf_output", "1\n00:00:01,000 --> 00:00:02,000\nA\n",
                Direct(1, true), Crlf({"1", "00:00:02,000 --> 00:00:03,000", "A"})}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    std::string input;
    textio::FailureKind why;
};

class SrtRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(SrtRefused, FailsWithAReason) {
    const ShiftOutput out = ShiftSrtString(GetParam().input, Direct(1, true));
    EXPECT_EQ(out.failure, GetParam().why);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SrtRefused,
    ::testing::Values(RefusedCase{"no_cue_numbers", Crlf({"00:00:01,000 --> 00:00:02,000", "A"}),
                                  textio::FailureKind::NoCueNumbers},
                      RefusedCase{"html_page",
                                  Crlf({"<html>", "<body>Not found</body>", "</html>"}),
                                  textio::FailureKind::NoCueNumbers},
                      RefusedCase{"no_readable_time", Crlf({"1", "00:01 --> 00:02", "A"}),
                                  textio::FailureKind::NoTimeLines}),
    [](const auto& info) { return std::string(info.param.name); });

// A cue held in the file as it is written out is copied in one piece; any
// other is written line by line. Both roads must give the same file: the
// same text with LF line ends takes the second.
TEST(SrtLineEnds, CrLfFilesGiveWhatLfFilesGive) {
    const std::string texts[] = {
        "1\n00:00:01,000 --> 00:00:02,000\nA\nB\n\n2\n00:00:03,000 --> 00:00:04,000\nC\n",
        "\xEF\xBB\xBF"
        "1\n00:00:01,000 --> 00:00:02,000 \n  A \n\n\n\n2\n 00:00:03,000 --> "
        "00:00:04,000\nB\n\nC\n\n",
        "1\n99:59:59,000 --> 99:59:59,500\n\u4f60\u597d\n\n2\n99:59:58,000 --> 99:59:58,999\nA",
        "1\n00:01 --> 00:02\nA\n\n2\n00:00:05,000 --> 00:00:06,000 X1\nB\n\n3\n",
        "00:00:01,000 --> 00:00:02,000\nA\n7\n\n8\n00:00:09,000-->00:00:10,000\r\rB\n",
    };
    const ShiftSettings settings[] = {Direct(1, true), Direct(3, false), Cut(2), Cut(0.5, 1)};
    for (const std::string& lf : texts) {
        std::string crlf;
        for (char c : lf) {
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        for (const ShiftSettings& s : settings) {
            const ShiftOutput fromLf = ShiftSrtString(lf, s);
            const ShiftOutput fromCrLf = ShiftSrtString(crlf, s);
            EXPECT_EQ(fromCrLf.failure, fromLf.failure) << lf;
            EXPECT_EQ(fromCrLf.text, fromLf.text) << lf;
        }
    }
}

TEST(SrtStats, CountsShiftedDroppedAndTrimmedCues) {
    const ShiftOutput out = ShiftSrtString(kThreeCues, Cut(12));
    EXPECT_EQ(out.stats.shifted, 2u);
    EXPECT_EQ(out.stats.dropped, 1u);
    EXPECT_EQ(out.stats.trimmed, 1u);
    // A cue that starts exactly at the cut is shifted, not trimmed.
    const ShiftOutput atCut =
        ShiftSrtString(Crlf({"1", "00:00:05,000 --> 00:00:07,000", "A"}), Cut(5));
    EXPECT_EQ(atCut.stats.trimmed, 0u);
    EXPECT_EQ(atCut.stats.shifted, 1u);
}

TEST(SrtLargeFile, ShiftsEveryCueBeyondSixteenBits) {
    std::string text;
    constexpr int kCues = 40000;
    for (int i = 1; i <= kCues; ++i) {
        text += std::to_string(i) + "\n00:00:30,000 --> 00:00:31,000\ntext\n\n";
    }
    const ShiftOutput out = ShiftSrtString(text, Cut(10));
    ASSERT_FALSE(out.failure);
    EXPECT_EQ(out.stats.shifted, static_cast<std::size_t>(kCues));
    EXPECT_NE(out.text.find("\r\n40000\r\n00:00:20,000 --> 00:00:21,000\r\n"), std::string::npos);
}

}  // namespace
}  // namespace orvane::engine
