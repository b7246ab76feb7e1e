// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ass_shifter.h"

#include <gtest/gtest.h>

#include "support/why.h"

#include "shift_test_support.h"

namespace orvane::engine {
namespace {

std::string Script(std::initializer_list<std::string_view> events) {
    std::string text = Crlf({"[Script Info]", "ScriptType: v4.00+", "", "[V4+ Styles]",
                             "Style: Default,Arial,20", "", "[Events]",
                             "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                             "Effect, Text"});
    for (std::string_view line : events) {
        text += line;
        text += "\r\n";
    }
    return text;
}

const std::string kThreeEvents =
    Script({"Dialogue: 0,0:00:05.00,0:00:08.00,Default,,0,0,0,,One",
            "Dialogue: 0,0:00:11.00,0:00:14.00,Default,,0,0,0,,Two",
            "Dialogue: 0,0:00:20.00,0:00:22.00,Default,,0,0,0,,Three"});

const std::string kChineseFirst =
    Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,中文\\N{\\fs14}English",
            "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,中文\\NEnglish"});
const std::string kEnglishFirst =
    Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,English\\N{\\fs14}中文"});

const std::string kAlternating =
    Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,English\\N{\\fs14}中文",
            "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,中文\\N{\\fs14}English",
            "Dialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,只有中文"});

// Chinese first; the first two cues hold one language each.
const std::string kOneLanguageCues =
    Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,第一行\\N{\\fs14}第二行",
            "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,One\\N{\\fs14}Two",
            "Dialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,中文\\N{\\fs14}English"});

struct AssCase {
    const char* name;
    std::string input;
    ShiftSettings settings;
    std::string expected;
};

class AssShift : public ::testing::TestWithParam<AssCase> {};

TEST_P(AssShift, WritesTheExpectedFile) {
    const AssCase& c = GetParam();
    const ShiftOutput out = ShiftAssString(c.input, c.settings);
    ASSERT_FALSE(out.failure) << orvane::testing::Why(out.failure);
    EXPECT_EQ(out.text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AssShift,
    ::testing::Values(
        AssCase{"cut_keeps_headers_drops_early_dialogue", kThreeEvents, Cut(12),
                Script({"Dialogue: 0,0:00:00.00,0:00:02.00,Default,,0,0,0,,Two",
                        "Dialogue: 0,0:00:08.00,0:00:10.00,Default,,0,0,0,,Three"})},
        AssCase{"cut_with_advance", kThreeEvents, Cut(12, 2),
                Script({"Dialogue: 0,0:00:06.00,0:00:08.00,Default,,0,0,0,,Three"})},
        AssCase{"cut_where_the_first_event_is_kept_keeps_the_format_line", kThreeEvents, Cut(1),
                Script({"Dialogue: 0,0:00:04.00,0:00:07.00,Default,,0,0,0,,One",
                        "Dialogue: 0,0:00:10.00,0:00:13.00,Default,,0,0,0,,Two",
                        "Dialogue: 0,0:00:19.00,0:00:21.00,Default,,0,0,0,,Three"})},
        AssCase{"cut_past_every_event_keeps_only_headers", kThreeEvents, Cut(100), Script({})},
        AssCase{"events_ending_and_starting_exactly_at_the_cut",
                Script({"Dialogue: 0,0:00:02.00,0:00:05.00,Default,,0,0,0,,End",
                        "Dialogue: 0,0:00:05.00,0:00:07.00,Default,,0,0,0,,Start"}),
                Cut(5), Script({"Dialogue: 0,0:00:00.00,0:00:02.00,Default,,0,0,0,,Start"})},
        AssCase{"comment_before_the_cut_keeps_old_times",
                Script({"Dialogue: 0,0:00:05.00,0:00:08.00,Default,,0,0,0,,One",
                        "Comment: 0,0:00:06.00,0:00:07.00,Default,,0,0,0,,note",
                        "Dialogue: 0,0:00:20.00,0:00:22.00,Default,,0,0,0,,Two"}),
                Cut(12),
                Script({"Comment: 0,0:00:06.00,0:00:07.00,Default,,0,0,0,,note",
                        "Dialogue: 0,0:00:08.00,0:00:10.00,Default,,0,0,0,,Two"})},
        AssCase{"comment_after_the_first_dialogue_shifts",
                Script({"Dialogue: 0,0:00:05.00,0:00:08.00,Default,,0,0,0,,One",
                        "Comment: 0,0:00:06.00,0:00:07.00,Default,,0,0,0,,note"}),
                Direct(1, true),
                Script({"Dialogue: 0,0:00:06.00,0:00:09.00,Default,,0,0,0,,One",
                        "Comment: 0,0:00:07.00,0:00:08.00,Default,,0,0,0,,note"})},
        AssCase{"comment_before_the_first_dialogue_shifts",
                Script({"Comment: 0,0:00:06.00,0:00:07.00,Default,,0,0,0,,note",
                        "Dialogue: 0,0:00:05.00,0:00:08.00,Default,,0,0,0,,One"}),
                Direct(1, true),
                Script({"Comment: 0,0:00:07.00,0:00:08.00,Default,,0,0,0,,note",
                        "Dialogue: 0,0:00:06.00,0:00:09.00,Default,,0,0,0,,One"})},
        AssCase{
            "ssa_marked_line",
            Script({"Dialogue: Marked=0,0:00:01.00,0:00:02.00,Default,NTP,0000,0000,0000,,Text"}),
            Direct(1, true),
            Script({"Dialogue: Marked=0,0:00:02.00,0:00:03.00,Default,NTP,0000,0000,0000,,Text"})},
        AssCase{"chinese_first_remove_english", kChineseFirst,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,中文",
                        "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,中文\\NEnglish"})},
        AssCase{"chinese_first_remove_chinese", kChineseFirst,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveChinese),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\fs14}English",
                        "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,中文\\NEnglish"})},
        AssCase{"english_first_remove_english", kEnglishFirst,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\fs14}中文"})},
        AssCase{"english_first_remove_chinese", kEnglishFirst,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveChinese),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,English"})},
        // Judged cue by cue: alternating orders each lose the chosen language.
        AssCase{"alternating_orders_remove_english", kAlternating,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\fs14}中文",
                        "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,中文",
                        "Dialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,只有中文"})},
        AssCase{"alternating_orders_remove_chinese", kAlternating,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveChinese),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,English",
                        "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,{\\fs14}English",
                        "Dialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,只有中文"})},
        AssCase{"remove_english_leaves_chinese_only_and_english_only_cues", kOneLanguageCues,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,第一行\\N{\\fs14}第二行",
                        "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,One\\N{\\fs14}Two",
                        "Dialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,中文"})},
        AssCase{"remove_chinese_leaves_chinese_only_and_english_only_cues", kOneLanguageCues,
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveChinese),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,第一行\\N{\\fs14}第二行",
                        "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,One\\N{\\fs14}Two",
                        "Dialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,{\\fs14}English"})},
        AssCase{
            "chinese_font_name_in_an_override_is_not_chinese_text",
            Script(
                {"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,中文\\N{\\fn微软雅黑}English"}),
            WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
            Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,中文"})},
        AssCase{"english_only_file_ignores_removal",
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,One\\N{\\fs14}Two"}),
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,One\\N{\\fs14}Two"})},
        AssCase{"line_without_double_comma_left_alone_by_removal",
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,N,0,0,0,E,中文\\N{\\fs14}Eng"}),
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,N,0,0,0,E,中文\\N{\\fs14}Eng"})},
        AssCase{"double_comma_before_the_text_field_is_not_the_text",
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,E,中文\\N{\\fs14}Eng"}),
                WithRemoval(Direct(0, true), LanguageRemoval::RemoveChinese),
                Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,E,中文\\N{\\fs14}Eng"})},
        AssCase{
            "simplify_only_the_text_field",
            Script({"Dialogue: 0,0:00:01.00,0:00:02.00,繁體樣式,,0,0,0,,{\\fn微軟正黑體}電視節目"}),
            Simplified(Direct(0, true)),
            Script(
                {"Dialogue: 0,0:00:01.00,0:00:02.00,繁體樣式,,0,0,0,,{\\fn微軟正黑體}电视节目"})},
        AssCase{"marker_word_is_ordinary_text",
                Script({"Dialogue: 0,0:00:20.00,0:00:22.00,Default,,0,0,0,,RemoveHeadBegin"}),
                Cut(12),
                Script({"Dialogue: 0,0:00:08.00,0:00:10.00,Default,,0,0,0,,RemoveHeadBegin"})},
        AssCase{"text_before_script_info_and_trailing_blanks_dropped",
                "junk\n" + Script({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,A"}) + "\n\n",
                Direct(1, true), Script({"Dialogue: 0,0:00:02.00,0:00:03.00,Default,,0,0,0,,A"})},
        AssCase{"lf_only_file_is_split_into_lines",
                "[Script Info]\n[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,A\n",
                Direct(1, true),
                Crlf({"[Script Info]", "[Events]",
                      "Dialogue: 0,0:00:02.00,0:00:03.00,Default,,0,0,0,,A"})},
        AssCase{
            "short_file_samples_the_lines_it_has",
            "[Script Info]\r\nDialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,中文\\N{\\fs14}En\r\n",
            WithRemoval(Direct(0, true), LanguageRemoval::RemoveEnglish),
            Crlf({"[Script Info]", "Dialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,中文"})},
        AssCase{"malformed_times_are_written_unchanged",
                Script({"Dialogue: 0,0:00:01.0,0:00:02.0,Default,,0,0,0,,A"}), Direct(1, true),
                Script({"Dialogue: 0,0:00:01.0,0:00:02.0,Default,,0,0,0,,A"})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AssRefused, FileWithoutScriptInfo) {
    const ShiftOutput out = ShiftAssString(
        Crlf({"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,A"}), Direct(1, true));
    EXPECT_EQ(out.failure, textio::FailureKind::NoScriptInfo);
}

TEST(AssStats, CountsShiftedDroppedAndTrimmed) {
    const ShiftOutput out = ShiftAssString(kThreeEvents, Cut(12));
    EXPECT_EQ(out.stats.shifted, 2u);
    EXPECT_EQ(out.stats.dropped, 1u);
    EXPECT_EQ(out.stats.trimmed, 1u);
}

TEST(AssLargeFile, ShiftsEveryLineBeyondSixteenBits) {
    std::string text = "[Script Info]\n[Events]\n";
    constexpr int kEvents = 40000;
    for (int i = 0; i < kEvents; ++i) {
        text += "Dialogue: 0,0:00:30.00,0:00:31.00,Default,,0,0,0,,text\n";
    }
    const ShiftOutput out = ShiftAssString(text, Direct(1, true));
    ASSERT_FALSE(out.failure);
    EXPECT_EQ(out.stats.shifted, static_cast<std::size_t>(kEvents));
}

}  // namespace
}  // namespace orvane::engine
