// SPDX-License-Identifier: GPL-3.0-or-later
// Reading files in every encoding a subtitle arrives in, and writing them
// back without ever damaging the target.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"
#include "support/why.h"
#include "textio/encoding.h"
#include "textio/gbk.h"
#include "textio/icu_handles.h"
#include "textio/text_file.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

using namespace std::string_view_literals;
using orvane::testing::EntryNames;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;

std::string Repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

struct ReadCase {
    const char* name;
    std::string bytes;     // the file as it lies on disk
    const char* charset;   // how ReadTextFile read it
    std::string text;      // the decoded text (UTF-8, no mark)
    bool readable = true;  // false: ReadTextFile refuses it with a reason
    FailureKind refusedAs = FailureKind::Utf32;
};

class EncodingMatrix : public ::testing::TestWithParam<ReadCase> {};

TEST_P(EncodingMatrix, Decodes) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const auto path = dir.Write(std::string(c.name) + ".srt", c.bytes);

    const ReadResult read = ReadTextFile(path);
    EXPECT_EQ(read.text.charset, c.charset);
    if (!c.readable) {
        ASSERT_TRUE(read.failure);
        EXPECT_EQ(read.failure->kind, c.refusedAs);
        return;
    }
    ASSERT_FALSE(read.failure) << orvane::testing::Why(read.failure);
    EXPECT_EQ(read.text.utf8, c.text);
    EXPECT_TRUE(IsValidUtf8(read.text.utf8));
}

INSTANTIATE_TEST_SUITE_P(
    Table, EncodingMatrix,
    ::testing::Values(
        ReadCase{"utf8_mark", std::string("\xEF\xBB\xBF中文\r\n"), "UTF-8 (BOM)", "中文\r\n"},
        ReadCase{"utf8_mark_only", std::string("\xEF\xBB\xBF"), "UTF-8 (BOM)", ""},
        ReadCase{"utf8_mark_twice_keeps_second",
                 std::string("\xEF\xBB\xBF\xEF\xBB\xBF"
                             "1"),
                 "UTF-8 (BOM)", "\uFEFF1"},
        ReadCase{"utf16le_mark", std::string("\xFF\xFE\x2D\x4E\x41\x00\x0D\x00\x0A\x00"sv),
                 "UTF-16LE", "中A\r\n"},
        ReadCase{"utf16be_mark", std::string("\xFE\xFF\x4E\x2D\x00\x41"sv), "UTF-16BE", "中A"},
        // Only the first mark is one; a second is text.
        ReadCase{"utf16be_doubled_mark", std::string("\xFE\xFF\xFE\xFF\x00\x41"sv), "UTF-16BE",
                 "\uFEFFA"},
        ReadCase{"utf16le_emoji_surrogate_pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE"sv),
                 "UTF-16LE", "\U0001F600"},
        ReadCase{"utf16le_odd_trailing_byte", std::string("\xFF\xFE\x41\x00\x42"sv), "UTF-16LE",
                 "A\uFFFD"},
        ReadCase{"utf16le_lone_surrogate", std::string("\xFF\xFE\x41\x00\x00\xD8\x42\x00"sv),
                 "UTF-16LE", "A\uFFFDB"},
        ReadCase{"utf16le_mark_only", std::string("\xFF\xFE"), "UTF-16LE", ""},
        ReadCase{"utf8_without_mark", std::string("1\n中文 ♪\n"), "UTF-8", "1\n中文 ♪\n"},
        ReadCase{"gbk",
                 std::string("\xCE\xD2\xC3\xC7\xBD\xF1\xCC\xEC\xCD\xED\xC9\xCF\xC8\xA5\xBF\xB4\xB5"
                             "\xE7\xD3\xB0\xB0\xC9\r\n"),
                 "GBK", "我们今天晚上去看电影吧\r\n"},
        // Two characters read as well in GBK as in windows-1251 (ЦРОД).
        ReadCase{"gbk_too_short_to_tell", std::string("\xD6\xD0\xCE\xC4\r\n"), "", "", false,
                 FailureKind::EncodingUncertain},
        ReadCase{"gbk_traditional", std::string("\xEB\x8A\xD2\x95"), "GBK", "電視"},
        // 0x80 is the euro sign in code page 936: three UTF-8 bytes per input
        // byte, more than the decoder's first guess at the output size.
        ReadCase{"euro_bytes_triple_in_size", Repeat("\x80", 300), "windows-1252",
                 Repeat("€", 300)},
        // Too little to tell: refused, nothing breaks.
        ReadCase{"one_stray_high_byte", std::string("ab\x81"), "", "", false,
                 FailureKind::EncodingUncertain},
        ReadCase{"ef_bb_without_bf",
                 std::string("\xEF\xBB"
                             "A"),
                 "", "", false, FailureKind::EncodingUncertain},
        ReadCase{"utf8_mark_in_front_of_gbk_text",
                 std::string("\xEF\xBB\xBF\xCE\xD2\xC3\xC7\xBD\xF1\xCC\xEC\xCD\xED\xC9\xCF\xC8\xA5"
                             "\xBF\xB4\xB5\xE7\xD3\xB0\xB0\xC9"),
                 "GBK", "我们今天晚上去看电影吧"},
        ReadCase{"one_byte", std::string("1"), "UTF-8", "1"},
        ReadCase{"one_high_byte", std::string("\xFE"), "", "", false,
                 FailureKind::EncodingUncertain},
        ReadCase{"empty", std::string(), "UTF-8", ""},
        ReadCase{"utf32le_refused", std::string("\xFF\xFE\x00\x00\x31\x00\x00\x00"sv), "UTF-32", "",
                 false},
        ReadCase{"utf32be_refused", std::string("\x00\x00\xFE\xFF\x00\x00\x00\x31"sv), "UTF-32", "",
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

// Decoding goes a block at a time: a character of two UTF-16 units across
// a block's end, and output three times the input, come out whole.
TEST(DecodeToUtf8, LargeTextsComeOutWhole) {
    struct Case {
        const char* charset;
        std::string bytes;
        std::string utf8;
        std::size_t substituted;
    };
    const Case cases[] = {
        {"GB18030", "a" + Repeat("\x95\x32\x82\x36", 20000), "a" + Repeat("\U00020000", 20000), 0},
        {"windows-1252", Repeat("\x80", 100000), Repeat("€", 100000), 0},
        {"GBK", Repeat("\xCE\xD2", 20000) + "\x81", Repeat("我", 20000) + "\uFFFD", 1},
    };
    for (const Case& c : cases) {
        std::size_t substituted = 99;
        EXPECT_EQ(DecodeToUtf8(c.charset, c.bytes, substituted), c.utf8) << c.charset;
        EXPECT_EQ(substituted, c.substituted) << c.charset;
    }
}

TEST(ReadTextFile, MissingFileIsUnreadableWithAReason) {
    TempDir dir;
    const auto path = dir / "missing.srt";
    const ReadResult read = ReadTextFile(path);
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(read.failure->kind, FailureKind::NoSuchFile);
    EXPECT_EQ(read.failure->path, path);
}

TEST(ReadTextFile, FolderIsUnreadableWithAReason) {
    TempDir dir;
    const ReadResult read = ReadTextFile(dir.path());
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(read.failure->kind, FailureKind::IsFolder);
}

TEST(ReadTextFile, Utf8WithMarkWritesBackToTheSameBytes) {
    TempDir dir;
    const std::string original =
        "\xEF\xBB\xBF"
        "1\r\n00:00:01,000 --> 00:00:02,000\r\n你好 ♪\r\n";
    const auto path = dir.Write("in.srt", original);
    const ReadResult read = ReadTextFile(path);
    ASSERT_FALSE(read.failure) << orvane::testing::Why(read.failure);
    const auto out = dir / "out.srt";
    ASSERT_FALSE(WriteTextFile(out, read.text.utf8, Charset::Utf8).failure);
    EXPECT_EQ(ReadBytes(out), original);
}

struct WriteCase {
    const char* name;
    std::string text;
    Charset charset;
    std::string bytes;
    std::size_t unencodable;
};

class WriteCharset : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteCharset, WritesTheExactBytes) {
    const WriteCase& c = GetParam();
    TempDir dir;
    const auto path = dir / "out.srt";
    const WriteResult result = WriteTextFile(path, c.text, c.charset);
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    EXPECT_EQ(ReadBytes(path), c.bytes);
    EXPECT_EQ(result.gbk.unencodableCount, c.unencodable);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteCharset,
    ::testing::Values(
        WriteCase{"utf8_gets_mark", "中文\r\n", Charset::Utf8, "\xEF\xBB\xBF中文\r\n", 0},
        WriteCase{"utf8_empty_is_mark_only", "", Charset::Utf8, "\xEF\xBB\xBF", 0},
        WriteCase{"utf8_keeps_emoji", "😀♪", Charset::Utf8, "\xEF\xBB\xBF😀♪", 0},
        WriteCase{"gb2312_no_mark", "中文\r\n", Charset::Gb2312, "\xD6\xD0\xCE\xC4\r\n", 0},
        WriteCase{"gb2312_holds_traditional_as_gbk", "電視", Charset::Gb2312, "\xEB\x8A\xD2\x95",
                  0},
        WriteCase{"gb2312_euro_one_byte", "€", Charset::Gb2312, "\x80", 0},
        WriteCase{"gb2312_question_mark_for_missing", "a♪b😀c한", Charset::Gb2312, "a?b?c?", 3},
        WriteCase{"gb2312_empty", "", Charset::Gb2312, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteTextFile, Gb2312ReportsMissingCharactersWithTheirLines) {
    TempDir dir;
    const WriteResult result =
        WriteTextFile(dir / "out.srt", "1\n♪ 你好\n\nok\n😀 한\n", Charset::Gb2312);
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    EXPECT_EQ(result.gbk.unencodableCount, 3u);
    ASSERT_EQ(result.gbk.firstUnencodable.size(), 3u);
    EXPECT_EQ(result.gbk.firstUnencodable[0].codePoint, U'♪');
    EXPECT_EQ(result.gbk.firstUnencodable[0].line, 2u);
    EXPECT_EQ(result.gbk.firstUnencodable[1].codePoint, U'\U0001F600');
    EXPECT_EQ(result.gbk.firstUnencodable[1].line, 5u);
    EXPECT_EQ(result.gbk.firstUnencodable[2].codePoint, U'한');
    EXPECT_EQ(result.gbk.firstUnencodable[2].line, 5u);
}

TEST(WriteTextFile, Gb2312ReportCountsAllButListsAFew) {
    GbkEncodeReport report;
    EXPECT_EQ(EncodeGbk(Repeat("♪\n", 9), &report), Repeat("?\n", 9));
    EXPECT_EQ(report.unencodableCount, 9u);
    ASSERT_EQ(report.firstUnencodable.size(), GbkEncodeReport::kMaxListed);
    EXPECT_EQ(report.firstUnencodable.back().line, GbkEncodeReport::kMaxListed);
}

// Every character GBK holds must come back from GBK unchanged, in as many
// bytes as the line test counts for it.
TEST(Gbk, EveryEncodableCharacterRoundTrips) {
    std::size_t checked = 0;
    for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        std::string utf8;
        AppendUtf8(utf8, cp);
        const std::string gbk = EncodeGbk(utf8);
        if (!GbkCanEncode(cp)) {
            ASSERT_EQ(gbk, "?") << std::hex << "U+" << static_cast<unsigned>(cp);
            continue;
        }
        ASSERT_EQ(gbk.size(), GbkEncodesAsTwoBytes(cp) ? 2u : 1u)
            << std::hex << "U+" << static_cast<unsigned>(cp);
        ASSERT_EQ(DecodeGbk(gbk), utf8) << std::hex << "U+" << static_cast<unsigned>(cp);
        ++checked;
    }
    EXPECT_GT(checked, 21000u);  // GBK holds about 21,900 characters
}

TEST(WriteTextFile, ShorterTextLeavesNoTail) {
    TempDir dir;
    const auto path = dir.Write("sub.srt", Repeat("long old content\r\n", 50));
    ASSERT_FALSE(WriteTextFile(path, "短", Charset::Utf8).failure);
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF短");
    ASSERT_FALSE(WriteTextFile(path, "a", Charset::Gb2312).failure);
    EXPECT_EQ(ReadBytes(path), "a");
}

// Every kind of sequence the checker takes a short road past, and the
// sequences one byte away from it, in and around sixteen-byte runs of ASCII.
TEST(Utf8Check, AcceptsExactlyWellFormedSequences) {
    struct Sequence {
        std::string_view bytes;
        bool valid;
    };
    const Sequence sequences[] = {
        {"a", true},
        {"\xC2\x80", true},           // U+0080
        {"\xC1\xBF", false},          // overlong U+007F
        {"\xDF\xBF", true},           // U+07FF
        {"\xC2\x41", false},          // a two-byte lead not continued
        {"\xE0\xA0\x80", true},       // U+0800
        {"\xE0\x9F\xBF", false},      // overlong U+07FF
        {"\xE1\x80\x80", true},       // U+1000
        {"\xE4\xB8\xAD", true},       // 中
        {"\xEC\xBF\xBF", true},       // U+CFFF
        {"\xED\x9F\xBF", true},       // U+D7FF
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xEE\x80\x80", true},       // U+E000
        {"\xEF\xBF\xBF", true},       // U+FFFF
        {"\xF0\x90\x80\x80", true},   // U+10000
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xE4\xB8", false},          // cut short
        {"\xE4\xB8\x41", false},      // a third byte that does not continue
        {"\xE4\x41\xAD", false},      // a second byte that does not continue
        {"\xAD", false},              // a continuation alone
        {"\xFF", false},
    };
    const std::string ascii(16, 'x');
    std::string chinese;
    for (int i = 0; i < 12; ++i) {
        chinese += "\xE4\xB8\xAD";
    }
    for (const Sequence& s : sequences) {
        std::vector<std::string> placed = {
            std::string(s.bytes),
            ascii + std::string(s.bytes),
            std::string(15, 'x') + std::string(s.bytes) + ascii,
            "\xE4\xB8\xAD\xE4\xB8\xAD" + std::string(s.bytes) + "\xE4\xB8\xAD",
        };
        // At every place in a block of sixteen or thirty-two bytes, among
        // Chinese characters that cross the blocks' edges.
        for (std::size_t lead = 0; lead < 34; ++lead) {
            placed.push_back(std::string(lead, 'x') + chinese + std::string(s.bytes) + chinese);
        }
        for (const std::string& text : placed) {
            EXPECT_EQ(IsValidUtf8(text), s.valid) << ::testing::PrintToString(text);
            EXPECT_EQ(IsValidUtf8InSixteenByteBlocks(text), s.valid)
                << ::testing::PrintToString(text);
        }
    }
}

}  // namespace
}  // namespace orvane::textio
