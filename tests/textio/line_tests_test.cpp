// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/line_tests.h"

#include <gtest/gtest.h>

namespace orvane::textio {
namespace {

struct CueNumberCase {
    const char* name;
    const char* line;
    bool expected;
};

class CueNumberLine : public ::testing::TestWithParam<CueNumberCase> {};

TEST_P(CueNumberLine, ReadsOnlyShortNumbers) {
    EXPECT_EQ(IsCueNumberLine(GetParam().line), GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CueNumberLine,
    ::testing::Values(
        CueNumberCase{"one", "1", true}, CueNumberCase{"three_digits", "245", true},
        CueNumberCase{"leading_zeros", "000123", true}, CueNumberCase{"empty", "", false},
        CueNumberCase{"seven_digits", "1234567", false}, CueNumberCase{"letter", "1a", false},
        CueNumberCase{"clock", "00:00", false}, CueNumberCase{"sign", "-12", true},
        CueNumberCase{"decimal", "1.5", true}, CueNumberCase{"two_points", "1.2.3", false},
        CueNumberCase{"exponent", "1e5", true}, CueNumberCase{"bare_point", ".", false},
        CueNumberCase{"bare_exponent", "1e", false}, CueNumberCase{"year", "2019", true}),
    [](const auto& info) { return std::string(info.param.name); });

struct ChineseTextCase {
    const char* name;
    const char* text;
    bool expected;
};

class ChineseText : public ::testing::TestWithParam<ChineseTextCase> {};

TEST_P(ChineseText, TellsChineseFromEnglishByScript) {
    EXPECT_EQ(IsChineseText(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChineseText,
    ::testing::Values(
        ChineseTextCase{"empty", "", false}, ChineseTextCase{"ascii", "Hello, world", false},
        ChineseTextCase{"chinese", "你好", true}, ChineseTextCase{"mixed", "Hi 你好", true},
        ChineseTextCase{"fullwidth_latin", "Ｈｅｌｌｏ，", false},
        ChineseTextCase{"ideographic_space", "a\u3000b", false},
        ChineseTextCase{"chinese_punctuation", "。", true},
        ChineseTextCase{"corner_brackets_and_comma", "「」、", true},
        ChineseTextCase{"traditional", "電視", true}, ChineseTextCase{"kana", "ありがとう", true},
        ChineseTextCase{"hangul", "안녕하세요", true},
        // Typographic English, which GBK happens to store in two bytes.
        ChineseTextCase{"typographic_english", "Mr Ho, tell us if he’s threatening you.", false},
        ChineseTextCase{"quotes_ellipsis_dashes", "“Wait…” – no — stop", false},
        ChineseTextCase{"accented_latin", "Café déjà vu", false},
        ChineseTextCase{"lyrics_note", "\u266A la la \u266A", false},
        ChineseTextCase{"emoji", "lol \U0001F602", false},
        ChineseTextCase{"private_use", "\uF8F5", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::textio
