// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/simplify.h"

#include <gtest/gtest.h>

#include <string>

#include "textio/utf8.h"

namespace orvane::textio {
namespace {

struct SimplifyCase {
    const char* name;
    std::string text;
    std::string expected;
};

class Simplify : public ::testing::TestWithParam<SimplifyCase> {};

TEST_P(Simplify, ConvertsOnlyTraditionalCharacters) {
    const SimplifyCase& c = GetParam();
    ASSERT_TRUE(SimplifierAvailable());
    const std::string result = ToSimplified(c.text);
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(CountCodePoints(result), CountCodePoints(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Simplify,
    ::testing::Values(
        SimplifyCase{"tv_programme", "電視節目", "电视节目"},
        SimplifyCase{"already_simplified", "电视节目", "电视节目"},
        SimplifyCase{"ascii", "Hello, world! 123", "Hello, world! 123"},
        SimplifyCase{"empty", "", ""},
        SimplifyCase{"srt_time_line", "00:00:01,000 --> 00:00:02,000",
                     "00:00:01,000 --> 00:00:02,000"},
        SimplifyCase{"ass_line_with_override",
                     "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\fs14\\pos(10,20)}"
                     "這是測試",
                     "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\fs14\\pos(10,20)}"
                     "这是测试"},
        SimplifyCase{"bilingual", "我們走吧 Let's go", "我们走吧 Let's go"},
        SimplifyCase{"music_note", "♪ 歡樂時光 ♪", "♪ 欢乐时光 ♪"},
        SimplifyCase{"emoji", "😀開心", "😀开心"},
        SimplifyCase{"korean_and_japanese", "한국어 ひらがな 國", "한국어 ひらがな 国"},
        SimplifyCase{"fullwidth_punctuation", "「對！」，（說）", "「对！」，（说）"},
        SimplifyCase{"line_breaks", "頭\r\n尾\n", "头\r\n尾\n"},
        SimplifyCase{"nul_inside", std::string("電\0視", 7), std::string("电\0视", 7)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Simplify, MalformedUtf8DoesNotBreakTheRest) {
    // A stray byte (a mislabelled file) or a character cut off before a
    // comma must neither make the converter read past its text (the
    // sanitizers watch) nor lose the text around it. Longer than a short
    // string, so that the converter's copy lies on the heap.
    for (const std::string& text :
         {std::string("a\xFF b\xE9", 5), std::string("00:00:01,000 a b 3\xE2,"),
          std::string("00:00:01,000 a b 3\xF0\x9F,"), std::string("\xF0\x9F a b 00:00:01,000")}) {
        const std::string result = ToSimplified(text);
        EXPECT_NE(result.find('a'), std::string::npos);
        EXPECT_NE(result.find(" b"), std::string::npos);
    }
}

}  // namespace
}  // namespace orvane::textio
