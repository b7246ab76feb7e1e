// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/srt_text_shifter.h"

#include <gtest/gtest.h>

#include <vector>

#include "shift_test_support.h"

namespace orvane::engine {
namespace {

constexpr std::size_t kAll = std::string::npos;

struct WalkCase {
    const char* name;
    std::string text;
    // Where the record lines take over: the first place this is found, or
    // nowhere (kAll) when the walk shifts every cue itself.
    std::string handOverAt;
};

class SrtTextWalk : public ::testing::TestWithParam<WalkCase> {};

ShiftSettings DirectWithin(double seconds, double from, double until) {
    ShiftSettings s = Direct(seconds, true);
    s.from = from;
    s.until = until;
    return s;
}

// The walk gives what the line shifter gives (ShiftSrtString checks that),
// and takes the cues it should: a walk that always handed over at once
// would pass the first check and be of no use.
TEST_P(SrtTextWalk, ShiftsAsTheLineShifterDoes) {
    const WalkCase& c = GetParam();
    const std::size_t expected = c.handOverAt.empty() ? kAll : c.text.find(c.handOverAt);
    ASSERT_TRUE(c.handOverAt.empty() || expected != std::string::npos);
    const ShiftSettings settings[] = {Direct(1.5, true),     Direct(2, false), Direct(0.0005, true),
                                      DirectWithin(1, 3, 9), Cut(2),           Cut(0.5, 1)};
    for (const ShiftSettings& s : settings) {
        ShiftSrtString(c.text, s);
        std::size_t walked = 0;
        ShiftSrtText(textio::FileBytes(c.text), s, {}, {}, &walked);
        EXPECT_EQ(walked, expected == kAll ? c.text.size() : expected);
    }
}

const std::string kUsual = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hello", "你好", "", "2",
                                 "00:00:04,000 --> 00:00:05,500", "Two", "",  //
                                 "3", "00:00:07,250 --> 00:00:08,000", "只有中文"});

INSTANTIATE_TEST_SUITE_P(
    Table, SrtTextWalk,
    ::testing::Values(
        WalkCase{"usual", kUsual, ""},
        WalkCase{"lf_spaces_and_blank_runs",
                 " 1 \n00:00:01,000 --> 00:00:02,000 X1:5\n  A  \n \n\n\n2\n00:00:03,000 --> "
                 "00:00:04,000\nB\n\n\n",
                 ""},
        WalkCase{"lone_cr_and_no_final_break",
                 "1\r00:00:01,000 --> 00:00:02,000\rA\r\r2\r00:00:03,000 --> 00:00:04,000\rB", ""},
        WalkCase{"colons_and_tags_in_text",
                 Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Note: 10:30", "<i>x</i>", "", "2",
                       "00:00:03,000 --> 00:00:04,000", "a -> b"}),
                 ""},
        WalkCase{
            "cue_without_text_and_marked_number",
            Crlf({"\xE2\x80\x8E"
                  "1",
                  "00:00:01,000 --> 00:00:02,000", "", "2", "00:00:03,000 --> 00:00:04,000", "B"}),
            ""},
        WalkCase{"hours_gain_a_digit",
                 Crlf({"1", "99:59:58,000 --> 99:59:59,900", "A", "", "2",
                       "100:00:00,000 --> 100:00:01,000", "B"}),
                 ""},
        WalkCase{"text_before_the_first_cue",
                 Crlf({"Title", "", "1", "00:00:01,000 --> 00:00:02,000", "A"}), "Title"},
        WalkCase{"time_line_in_the_text", kUsual + Crlf({"00:00:09,000 --> 00:00:10,000", "X"}),
                 "3\r\n"},
        WalkCase{"cut_passed_before_the_hand_over",
                 Crlf({"1", "00:00:01,000 --> 00:00:05,000", "A", "", "2",
                       "00:00:01,500 --> 00:00:01,800", "B", "00:00:09,000 --> 00:00:10,000"}),
                 "2\r\n"},
        WalkCase{"number_and_arrow_in_the_text",
                 Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "7", "B --> C", "", "2",
                       "00:00:03,000 --> 00:00:04,000", "B"}),
                 "1\r\n"},
        WalkCase{"blank_line_inside_the_text",
                 Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "", "more", "", "2",
                       "00:00:03,000 --> 00:00:04,000", "B"}),
                 "1\r\n"},
        WalkCase{"unreadable_time_line",
                 kUsual + Crlf({"", "4", "00:09 --> 00:10", "X", "", "5",
                                "00:00:11,000 --> 00:00:12,000", "Y"}),
                 "3\r\n"},
        WalkCase{"numbers_of_seven_digits", Crlf({"1000000", "00:00:01,000 --> 00:00:02,000", "A"}),
                 "1000000"}),
    [](const auto& info) { return std::string(info.param.name); });

// Progress counts record lines as the line shifter does, also after a hand
// over, and a walk that ends reports the last line.
TEST(SrtTextWalk, ReportsProgressInRecordLines) {
    const std::string handedOver = kUsual + Crlf({"00:00:09,000 --> 00:00:10,000", "X"});
    for (const std::string& text : {kUsual, handedOver}) {
        std::vector<textio::Progress> reports;
        ShiftSrtText(textio::FileBytes(text), Direct(1, true),
                     [&](const textio::Progress& p) { reports.push_back(p); });
        ASSERT_FALSE(reports.empty());
        for (std::size_t k = 0; k < reports.size(); ++k) {
            EXPECT_LE(reports[k].current, reports[k].last);
            EXPECT_TRUE(k == 0 || reports[k - 1].current < reports[k].current);
        }
        const std::size_t lastLine =
            textio::SplitRecordLines(text, textio::LoadLayout::Srt).size() - 1;
        if (text == kUsual) {
            EXPECT_EQ(reports.back().current, lastLine);
        }
        EXPECT_EQ(reports.back().last, lastLine);
    }
}

}  // namespace
}  // namespace orvane::engine
