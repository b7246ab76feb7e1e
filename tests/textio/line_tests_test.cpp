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

struct SingleByteCase {
    const char* name;
    const char* text;
    bool expected;
};

class SingleByteText : public ::testing::TestWithParam<SingleByteCase> {};

TEST_P(SingleByteText, TellsEnglishFromChinese) {
    EXPECT_EQ(IsSingleByteText(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, SingleByteText,
                         ::testing::Values(SingleByteCase{"empty", "", true},
                                           SingleByteCase{"ascii", "Hello, world", true},
                                           SingleByteCase{"chinese", "你好", false},
                                           SingleByteCase{"mixed", "Hi 你好", false},
                                           SingleByteCase{"fullwidth_latin", "Ｈｅｌｌｏ，", true},
                                           SingleByteCase{"ideographic_space", "a\u3000b", true},
                                           SingleByteCase{"chinese_punctuation", "。", false},
                                           SingleByteCase{"curly_quote", "\u201C", false},
                                           SingleByteCase{"euro_is_one_byte", "\u20AC", true},
                                           SingleByteCase{"gbk_ff_is_one_byte", "\uF8F5", true},
                                           SingleByteCase{"music_note_not_in_gbk", "\u266A la",
                                                          true},
                                           SingleByteCase{"emoji_not_in_gbk", "\U0001F600", true},
                                           SingleByteCase{"traditional", "電視", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::textio
