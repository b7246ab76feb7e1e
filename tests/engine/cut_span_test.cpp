// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting a span [s, e) out of the middle of a file: cues before it stay,
// a cue across s ends at s, a cue across e starts at s with its part after
// e, cues inside are dropped and cues after e move earlier by e - s. Both
// SubRip roads and both ASS roads are compared on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/file_shift.h"
#include "engine/retime.h"
#include "support/temp_dir.h"
#include "support/why.h"

#include "shift_test_support.h"

namespace orvane::engine {
namespace {

ShiftSettings Span(double s, double e, double extra = 0) {
    ShiftSettings settings = Cut(e - s, extra);
    settings.cutFrom = s;
    return settings;
}

struct Counts {
    std::size_t shifted = 0;
    std::size_t dropped = 0;
    std::size_t trimmed = 0;
    std::size_t kept = 0;
};

struct SpanCase {
    const char* name;
    bool srt;
    std::string input;
    ShiftSettings settings;
    std::string expected;
    Counts counts;
};

class CutSpan : public ::testing::TestWithParam<SpanCase> {};

TEST_P(CutSpan, WritesTheExpectedFile) {
    const SpanCase& c = GetParam();
    const ShiftOutput out =
        c.srt ? ShiftSrtString(c.input, c.settings) : ShiftAssString(c.input, c.settings);
    ASSERT_FALSE(out.failure) << orvane::testing::Why(out.failure);
    EXPECT_EQ(out.text, c.expected);
    EXPECT_EQ(out.stats.shifted, c.counts.shifted);
    EXPECT_EQ(out.stats.dropped, c.counts.dropped);
    EXPECT_EQ(out.stats.trimmed, c.counts.trimmed);
    EXPECT_EQ(out.stats.kept, c.counts.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Srt, CutSpan,
    ::testing::Values(SpanCase{"every_place_a_cue_can_stand",
                               true,
                               Crlf({"1", "00:00:02,000 --> 00:00:05,000", "Before",      "",  //
                                     "2", "00:00:05,000 --> 00:00:10,000", "Ends at s",   "",  //
                                     "3", "00:00:08,000 --> 00:00:12,000", "Across s",    "",  //
                                     "4", "00:00:10,000 --> 00:00:11,000", "Starts at s", "",  //
                                     "5", "00:00:12,000 --> 00:00:15,000", "Inside",      "",  //
                                     "6", "00:00:18,000 --> 00:00:23,500", "Across e",    "",  //
                                     "7", "00:00:09,000 --> 00:00:24,000", "Across both", "",  //
                                     "8", "00:00:20,000 --> 00:00:22,000", "Starts at e", "",  //
                                     "9", "00:00:25,000 --> 00:00:27,250", "After"}),
                               Span(10, 20),
                               Crlf({"1", "00:00:02,000 --> 00:00:05,000", "Before",      "",  //
                                     "2", "00:00:05,000 --> 00:00:10,000", "Ends at s",   "",  //
                                     "3", "00:00:08,000 --> 00:00:10,000", "Across s",    "",  //
                                     "4", "00:00:10,000 --> 00:00:13,500", "Across e",    "",  //
                                     "5", "00:00:09,000 --> 00:00:14,000", "Across both", "",  //
                                     "6", "00:00:10,000 --> 00:00:12,000", "Starts at e", "",  //
                                     "7", "00:00:15,000 --> 00:00:17,250", "After"}),
                               {5, 2, 3, 2}},
                      // Times that are not whole milliseconds of the span go the road
                      // of seconds; the rule is the same.
                      SpanCase{"span_of_fractions_of_a_millisecond",
                               true,
                               Crlf({"1", "00:01:00,000 --> 00:01:35,200", "Across s", "",  //
                                     "2", "00:01:36,000 --> 00:01:38,000", "Inside", "",    //
                                     "3", "00:02:00,000 --> 00:02:03,000", "Across e", "",  //
                                     "4", "00:02:10,000 --> 00:02:12,000", "After"}),
                               Span(95.0004, 122.5004),
                               Crlf({"1", "00:01:00,000 --> 00:01:35,000", "Across s", "",  //
                                     "2", "00:01:35,000 --> 00:01:35,500", "Across e", "",  //
                                     "3", "00:01:42,500 --> 00:01:44,500", "After"}),
                               {3, 1, 2, 0}},
                      // The further advance moves what follows the span, never before it.
                      SpanCase{"further_advance_after_the_span",
                               true,
                               Crlf({"1", "00:00:02,000 --> 00:00:05,000", "Before", "",  //
                                     "2", "00:00:20,000 --> 00:00:21,500", "At e", "",    //
                                     "3", "00:00:20,500 --> 00:00:21,000", "Gone", "",    //
                                     "4", "00:00:25,000 --> 00:00:27,000", "After"}),
                               Span(10, 20, 1),
                               Crlf({"1", "00:00:02,000 --> 00:00:05,000", "Before", "",  //
                                     "2", "00:00:10,000 --> 00:00:10,500", "At e", "",    //
                                     "3", "00:00:14,000 --> 00:00:16,000", "After"}),
                               {2, 1, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Ass, CutSpan,
    ::testing::Values(SpanCase{
        "every_place_a_cue_can_stand",
        false,
        EventsScript({"Dialogue: 0,0:00:02.00,0:00:05.00,Default,,0,0,0,,Before",
                      "Dialogue: 0,0:00:08.00,0:00:12.00,Default,,0,0,0,,Across s",
                      "Comment: 0,0:00:13.00,0:00:14.00,Default,,0,0,0,,note inside",
                      "Dialogue: 0,0:00:12.00,0:00:15.00,Default,,0,0,0,,Inside",
                      "Dialogue: 0,0:00:18.00,0:00:23.50,Default,,0,0,0,,Across e",
                      "Dialogue: 0,0:00:09.00,0:00:24.00,Default,,0,0,0,,Across both",
                      "Dialogue: 0,0:00:25.00,0:00:27.25,Default,,0,0,0,,After",
                      "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Out of order"}),
        Span(10, 20),
        EventsScript({"Dialogue: 0,0:00:02.00,0:00:05.00,Default,,0,0,0,,Before",
                      "Dialogue: 0,0:00:08.00,0:00:10.00,Default,,0,0,0,,Across s",
                      "Comment: 0,0:00:13.00,0:00:14.00,Default,,0,0,0,,note inside",
                      "Dialogue: 0,0:00:10.00,0:00:13.50,Default,,0,0,0,,Across e",
                      "Dialogue: 0,0:00:09.00,0:00:14.00,Default,,0,0,0,,Across both",
                      "Dialogue: 0,0:00:15.00,0:00:17.25,Default,,0,0,0,,After",
                      "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Out of order"}),
        {4, 1, 3, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

// Files that exercise the cut: cues before, across and after 12 s, out of
// order, with an unreadable time line and with blank lines around.
std::vector<std::string> SrtFiles() {
    return {
        Crlf({"1", "00:00:02,000 --> 00:00:05,000", "A", "",       //
              "2", "00:00:10,000 --> 00:00:13,000", "B", "C", "",  //
              "3", "00:00:20,000 --> 00:00:22,000", "D"}),
        Crlf({"1", "00:00:20,000 --> 00:00:22,000", "Later",      "",  //
              "2", "00:00:05,000 --> 00:00:08,000", "Inside",     "",  //
              "3", "00:00:11,500 --> 00:00:12,000", "At",         "",  //
              "4", "00:00:xx,000 --> 00:00:14,000", "Unreadable", "", "",
              "5", "00:00:12,000 --> 00:00:12,001", "Edge"}),
        "1\n00:00:12.5 --> 00:00:14,25\nodd codes\n\n2\n00:01:00,000 --> 00:01:02,000\nlf only\n",
    };
}

std::vector<std::string> AssFiles() {
    return {EventsScript({"Comment: 0,0:00:00.00,0:00:00.00,Default,,0,0,0,template,{\\k10}",
                          "Dialogue: 0,0:00:20.00,0:00:22.00,Default,,0,0,0,,Later",
                          "Dialogue: 0,0:00:05.00,0:00:08.00,Default,,0,0,0,,Inside",
                          "Dialogue: 0,0:00:00.00,0:00:13.50,Default,,0,0,0,,Across",
                          "Dialogue: 0,0:00:12.005,0:00:14.5,Default,,0,0,0,,Odd codes"})};
}

// A span from zero is today's opening cut, byte for byte, with and without
// a further advance and a change of frame rate.
TEST(CutSpan, FromZeroIsTheOpeningCut) {
    std::vector<ShiftSettings> openings = {Cut(12), Cut(12, 1.5), Cut(11.9996)};
    ShiftSettings fps = Cut(12);
    fps.map = FrameRateMap({25, 1}, {24000, 1001});
    openings.push_back(fps);
    for (const ShiftSettings& opening : openings) {
        ShiftSettings span = Span(0, opening.cutSeconds, opening.ExtraSeconds());
        span.map = opening.map;
        for (const std::string& file : SrtFiles()) {
            SCOPED_TRACE(file);
            ExpectSameOutput(ShiftSrtString(file, span), ShiftSrtString(file, opening));
        }
        for (const std::string& file : AssFiles()) {
            SCOPED_TRACE(file);
            ExpectSameOutput(ShiftAssString(file, span), ShiftAssString(file, opening));
        }
    }
}

// Where no cue starts before s, cutting [s, e) is moving everything to s
// earlier, cutting an opening of e - s, and moving it back.
TEST(CutSpan, LaterSpanIsTheOpeningCutOfTheRestOfTheFile) {
    const std::string file = Crlf({"1", "00:00:30,000 --> 00:00:33,000", "A", "",  //
                                   "2", "00:00:35,000 --> 00:00:43,000", "B", "",  //
                                   "3", "00:00:44,000 --> 00:00:49,000", "C", "",  //
                                   "4", "00:00:52,000 --> 00:00:53,000", "D"});
    const double s = 30;
    const double e = 42.5;
    const ShiftOutput earlier = ShiftSrtString(file, Direct(s, false));
    const ShiftOutput cut = ShiftSrtString(earlier.text, Cut(e - s));
    const ShiftOutput back = ShiftSrtString(cut.text, Direct(s, true));
    EXPECT_EQ(ShiftSrtString(file, Span(s, e)).text, back.text);
}

// Cues before the span are kept: a span that drops every other cue still
// leaves a file to write.
TEST(CutSpan, CuesKeptBeforeTheSpanAreWritten) {
    const orvane::testing::TempDir dir;
    const std::filesystem::path source =
        dir.Write("a.srt", Crlf({"1", "00:00:02,000 --> 00:00:05,000", "Before", "",  //
                                 "2", "00:00:12,000 --> 00:00:15,000", "Inside"}));
    ShiftSettings settings = Span(10, 20);
    settings.outputDir = dir / "out";
    std::filesystem::create_directory(settings.outputDir);
    const FileShiftResult written = ShiftSubtitleFile(source, settings);
    ASSERT_FALSE(written.failure) << orvane::testing::Why(written.failure);
    EXPECT_EQ(orvane::testing::ReadBytes(written.target),
              "\xEF\xBB\xBF" + Crlf({"1", "00:00:02,000 --> 00:00:05,000", "Before"}));

    settings.cutFrom = 0;
    settings.cutSeconds = 20;
    const FileShiftResult nothing = ShiftSubtitleFile(source, settings);
    ASSERT_TRUE(nothing.failure);
    EXPECT_EQ(nothing.failure->kind, textio::FailureKind::NothingLeft);
}

}  // namespace
}  // namespace orvane::engine
