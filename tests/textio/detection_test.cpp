// SPDX-License-Identifier: GPL-3.0-or-later
// Files as users meet them, made here through ICU from known text: each must
// read back as that text, whatever encoding it came in.
#include <gtest/gtest.h>

#include <string>

#include "textio/encoding.h"
#include "textio/icu_handles.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

// An SRT of `cues` cues, each with the line of text.
std::string Srt(int cues, const std::string& line) {
    std::string text;
    for (int i = 1; i <= cues; ++i) {
        text += std::to_string(i) + "\r\n00:00:0" + std::to_string(i % 10) + ",000 --> 00:00:0" +
                std::to_string(i % 10) + ",500\r\n" + line + "\r\n\r\n";
    }
    return text;
}

struct DetectCase {
    const char* name;
    std::string text;     // UTF-8
    const char* charset;  // ICU's name, to make the file's bytes
    const char* label;    // what the reader says it read
};

class Detection : public ::testing::TestWithParam<DetectCase> {};

TEST_P(Detection, ReadsBackTheText) {
    const DetectCase& c = GetParam();
    const std::string bytes = ConvertCharset(c.charset, "UTF-8", c.text);
    ASSERT_FALSE(bytes.empty());
    const DecodedText decoded = DecodeText(bytes);
    EXPECT_EQ(decoded.charset, c.label);
    EXPECT_EQ(decoded.utf8, c.text);
}

const std::string kTraditional = "我們今天晚上去看電影，好嗎？這部電影講的是兩個朋友的故事。";
const std::string kSimplified = "我有个点子，我们今天晚上去看电影吧。这个故事讲的是两个朋友。";

const DetectCase kCases[] = {
    {"big5_long", Srt(200, kTraditional), "Big5", "Big5"},
    {"big5_ten_cues", Srt(10, kTraditional), "Big5", "Big5"},
    {"big5_two_cues", Srt(2, kTraditional), "Big5", "Big5"},
    {"big5_hkscs_cantonese", Srt(20, "佢哋喺度食緊飯，冇嘢做嘅時候就嚟搵我啦。"), "Big5-HKSCS",
     "Big5"},
    {"gb18030_four_byte_characters", Srt(40, kSimplified + "⋯⋯€"), "GB18030", "GBK"},
    {"gbk_short", Srt(2, kSimplified), "GBK", "GBK"},
    {"gbk_long", Srt(300, kSimplified + " English too"), "GBK", "GBK"},
    {"windows_1252_french", Srt(40, "CE FILM RELATE DES ÉVÉNEMENTS QUI ONT EXISTÉ, déjà vu."),
     "windows-1252", "windows-1252"},
    {"windows_1251_russian", Srt(40, "Доброе утро, как дела? Всё хорошо, спасибо."), "windows-1251",
     "windows-1251"},
    {"shift_jis_japanese", Srt(40, "今日はいい天気ですね。映画を見に行きましょう。"), "Shift_JIS",
     "Shift_JIS"},
    {"ascii_only", Srt(5, "Just English."), "US-ASCII", "UTF-8"},
};

INSTANTIATE_TEST_SUITE_P(Table, Detection, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct StrayCase {
    const char* name;
    std::size_t at;  // where the stray Latin-1 "é" goes, as a share of the text
    std::size_t line;
};

class StrayByte : public ::testing::TestWithParam<StrayCase> {};

// An editor appended one Latin-1 byte to a UTF-8 file: read as UTF-8, the
// byte replaced and its line named, never as another code page.
TEST_P(StrayByte, LeavesTheRestAsUtf8) {
    const std::string text = Srt(4, kSimplified);
    const std::size_t at = text.size() * GetParam().at / 100;
    std::string bytes = text;
    bytes.insert(at, "\xE9");
    const DecodedText decoded = DecodeText(bytes);
    EXPECT_EQ(decoded.encoding, SourceEncoding::Utf8Repaired);
    EXPECT_EQ(decoded.replacedBytes, 1u);
    EXPECT_EQ(decoded.firstReplacedLine, GetParam().line);
    std::string expected = text;
    expected.insert(at, "\uFFFD");
    EXPECT_EQ(decoded.utf8, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, StrayByte,
                         ::testing::Values(StrayCase{"start", 0, 1}, StrayCase{"middle", 50, 9},
                                           StrayCase{"end", 100, 17}),
                         [](const auto& info) { return std::string(info.param.name); });

// Three bytes of a four-byte sequence are one fault, not a character.
TEST(Detection, ATruncatedSequenceIsReplacedWhole) {
    const DecodedText decoded = DecodeText(Srt(20, kSimplified) + "中文字幕 \xF0\x9F\x98 ok");
    EXPECT_EQ(decoded.encoding, SourceEncoding::Utf8Repaired);
    EXPECT_EQ(decoded.replacedBytes, 1u);
    EXPECT_TRUE(IsValidUtf8(decoded.utf8));
}

TEST(Detection, UnmarkedUtf16IsToldByItsZeroBytes) {
    const std::string text = Srt(3, "Hello 你好");
    for (const char* charset : {"UTF-16LE", "UTF-16BE"}) {
        const DecodedText decoded = DecodeText(ConvertCharset(charset, "UTF-8", text));
        EXPECT_EQ(decoded.charset, charset);
        EXPECT_EQ(decoded.utf8, text);
    }
}

TEST(Detection, ANamedEncodingIsReadAsNamed) {
    // Short Big5 could pass for other things; naming it settles it.
    const std::string bytes = ConvertCharset("Big5", "UTF-8", "電視");
    EXPECT_EQ(DecodeText(bytes, "Big5").utf8, "電視");
    EXPECT_TRUE(IsKnownCharset("cp1251"));
    EXPECT_FALSE(IsKnownCharset("no-such-charset"));
}

}  // namespace
}  // namespace orvane::textio
