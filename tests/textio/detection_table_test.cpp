// SPDX-License-Identifier: GPL-3.0-or-later
// The detection table: files in the encodings each language's subtitles come
// in, at 1 to 100 cues. Each must be read as its own text or refused as
// uncertain; none may be read as other text. From three cues on, nearly all
// must be read.
#include <gtest/gtest.h>

#include <map>

#include "textio/detection_table.h"  // tests/textio
#include "textio/encoding.h"
#include "textio/encoding_guess.h"
#include "textio/icu_handles.h"

namespace orvane::textio {
namespace {

TEST(DetectionTable, NeverReadsOtherTextAndReadsNearlyAllFromThreeCues) {
    const table::Lines lines(ORVANE_TEST_DATA_DIR "/subtitle_lines.tsv");
    ASSERT_FALSE(lines.Empty());
    std::size_t readFromThree = 0;
    std::size_t fromThree = 0;
    for (const table::File& file : table::MakeFiles(lines, 4, 20261209)) {
        const DecodedText decoded = DecodeText(file.bytes);
        const bool uncertain = decoded.encoding == SourceEncoding::Uncertain;
        if (!uncertain) {
            EXPECT_EQ(decoded.utf8, file.text) << file.name << " read as " << decoded.charset;
        }
        if (file.cues >= 3) {
            ++fromThree;
            readFromThree += uncertain ? 0u : 1u;
        }
    }
    EXPECT_GE(static_cast<double>(readFromThree), 0.99 * static_cast<double>(fromThree));
}

struct PinCase {
    const char* name;
    std::string bytes;
    const char* charset;  // what it must be read as; "" for uncertain
    std::string text;
};

class DetectionPins : public ::testing::TestWithParam<PinCase> {};

TEST_P(DetectionPins, ReadAsExpected) {
    const PinCase& c = GetParam();
    const DecodedText decoded = DecodeText(c.bytes);
    if (std::string(c.charset).empty()) {
        EXPECT_EQ(decoded.encoding, SourceEncoding::Uncertain) << decoded.charset;
        EXPECT_FALSE(decoded.candidates.empty());
        return;
    }
    EXPECT_EQ(decoded.charset, c.charset);
    EXPECT_EQ(decoded.utf8, c.text);
}

std::string Cues(int count, const std::string& line) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += std::to_string(i) + "\r\n00:00:01,000 --> 00:00:02,000\r\n" + line + "\r\n\r\n";
    }
    return text;
}

std::string In(const char* charset, const std::string& text) {
    return ConvertCharset(charset, "UTF-8", text);
}

const std::string kLongChinese =
    "一个人在家的时候，我常常听音乐，一边看书一边喝茶，一直到深夜才睡觉。";

INSTANTIATE_TEST_SUITE_P(
    Table, DetectionPins,
    ::testing::Values(
        // Characters with a zero low byte (一 is 00 4E) on every line.
        PinCase{"utf16le_long_chinese_lines", In("UTF-16LE", Cues(5, kLongChinese)), "UTF-16LE",
                Cues(5, kLongChinese)},
        PinCase{"utf16be_long_chinese_lines", In("UTF-16BE", Cues(5, kLongChinese)), "UTF-16BE",
                Cues(5, kLongChinese)},
        PinCase{"utf16le_one_and_a_person", In("UTF-16LE", Cues(5, "你好\r\n一个人")), "UTF-16LE",
                Cues(5, "你好\r\n一个人")},
        // Big5 that libuchardet calls GBK or a Western page.
        PinCase{"big5_short", In("Big5", Cues(3, "對不起，我來晚了。")), "Big5",
                Cues(3, "對不起，我來晚了。")},
        PinCase{"big5_tv", In("Big5", Cues(3, "電視")), "Big5", Cues(3, "電視")},
        PinCase{"cp1252_typographic_english", In("windows-1252", Cues(3, "That’s ridiculous!")),
                "windows-1252", Cues(3, "That’s ridiculous!")},
        PinCase{"gbk_bilingual_typographic", In("GBK", Cues(2, "篮球 NBA\r\nDon’t – please…")),
                "GBK", Cues(2, "篮球 NBA\r\nDon’t – please…")},
        // A stray Latin-1 byte in a tiny UTF-8 file: UTF-8 with one repair.
        PinCase{"utf8_stray_byte_tiny", Cues(1, "caf\xE9 你好"), "UTF-8",
                Cues(1, "caf\uFFFD 你好")},
        // Two characters that read as well in GBK as in windows-1251.
        PinCase{"gbk_two_characters", In("GBK", "中文\r\n"), "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A GBK file with one stray byte is GBK with one repair, never Korean.
TEST(DetectionPins, GbkWithAStrayByteIsRepairedNotReadAsKorean) {
    const std::string text = Cues(1, "我有个点子我有个点子我有个点子");
    const DecodedText decoded = DecodeText(In("GBK", text) + "\xFF\r\n");
    EXPECT_EQ(decoded.charset, "GBK");
    EXPECT_EQ(decoded.replacedBytes, 1u);
}

struct ForcedCase {
    const char* name;
    std::string bytes;
    const char* named;
    SourceEncoding encoding;
    std::string text;
    bool droppedMark;
};

class ForcedWithMark : public ::testing::TestWithParam<ForcedCase> {};

TEST_P(ForcedWithMark, MarkIsDroppedOrRefused) {
    const ForcedCase& c = GetParam();
    const DecodedText decoded = DecodeText(c.bytes, c.named);
    EXPECT_EQ(decoded.encoding, c.encoding);
    EXPECT_EQ(decoded.utf8, c.text);
    EXPECT_EQ(decoded.droppedUtf8Mark, c.droppedMark);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ForcedWithMark,
    ::testing::Values(ForcedCase{"utf8_mark_before_big5", "\xEF\xBB\xBF" + In("Big5", "電視"),
                                 "Big5", SourceEncoding::CodePage, "電視", true},
                      ForcedCase{"utf16le_mark_named_big5", "\xFF\xFE" + In("UTF-16LE", "AB"),
                                 "Big5", SourceEncoding::MarkConflict, "", false},
                      ForcedCase{"utf16le_mark_named_utf16le", "\xFF\xFE" + In("UTF-16LE", "AB"),
                                 "UTF-16LE", SourceEncoding::CodePage, "AB", false},
                      ForcedCase{"utf16be_mark_named_utf16", "\xFE\xFF" + In("UTF-16BE", "AB"),
                                 "UTF-16", SourceEncoding::CodePage, "AB", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::textio
