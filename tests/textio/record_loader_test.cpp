// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a subtitle file into its record lines: line ends, blank lines
// between cues, and the progress the loader reports.
#include "textio/record_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/why.h"
#include "textio/progress.h"
#include "textio/text_file.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

using orvane::testing::TempDir;
using Rows = std::vector<std::string>;

std::string Describe(const Progress& p) {
    std::string text = (p.stage == ProgressStage::Reading ? "read " : "shifted ") +
                       std::to_string(p.current) + "/" + std::to_string(p.last);
    if (p.forShifter) {
        text += " for the shifter " + std::string(p.suffix);
    }
    return text;
}

constexpr const char* kTime1 = "00:00:01,000 --> 00:00:02,000";
constexpr const char* kTime2 = "00:00:03,000 --> 00:00:04,000";

// Two cues with the given text between every pair of lines; `gap` between
// the cues.
std::string TwoCues(const std::string& eol, const std::string& gap, const std::string& text1,
                    const std::string& text2) {
    return "1" + eol + kTime1 + eol + text1 + eol + gap + "2" + eol + kTime2 + eol + text2 + eol;
}

// The text in UTF-16 with its byte-order mark.
std::string Utf16(const std::string& utf8, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    auto unit = [&](char16_t u) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, pos);
        if (cp >= 0x10000) {
            unit(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            unit(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            unit(static_cast<char16_t>(cp));
        }
    }
    return bytes;
}
std::string Utf16Le(const std::string& utf8) {
    return Utf16(utf8, false);
}
std::string Utf16Be(const std::string& utf8) {
    return Utf16(utf8, true);
}

Rows TwoCueRows(const std::string& text1, const std::string& text2) {
    return {"1", kTime1, text1, "", "2", kTime2, text2, ""};
}

struct SplitCase {
    const char* name;
    std::string text;
    LoadLayout layout;
    Rows rows;
};

class SplitLines : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLines, GivesTheRecordRows) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(SplitRecordLines(c.text, c.layout).ToVector(), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Srt, SplitLines,
    ::testing::Values(
        SplitCase{"crlf", TwoCues("\r\n", "\r\n", "Hello", "World"), LoadLayout::Srt,
                  TwoCueRows("Hello", "World")},
        SplitCase{"lf", TwoCues("\n", "\n", "Hello", "World"), LoadLayout::Srt,
                  TwoCueRows("Hello", "World")},
        SplitCase{"bare_cr", TwoCues("\r", "\r", "Hello", "World"), LoadLayout::Srt,
                  TwoCueRows("Hello", "World")},
        SplitCase{"lf_cr_reads_as_two_breaks", TwoCues("\n\r", "", "Hello", "World"),
                  LoadLayout::Srt, TwoCueRows("Hello", "World")},
        SplitCase{"no_blank_between_cues", TwoCues("\r\n", "", "Hello", "World"), LoadLayout::Srt,
                  TwoCueRows("Hello", "World")},
        SplitCase{"three_blanks_between_cues", TwoCues("\r\n", "\r\n\r\n\r\n", "Hello", "World"),
                  LoadLayout::Srt, TwoCueRows("Hello", "World")},
        SplitCase{"blank_lines_of_spaces", TwoCues("\n", "   \n \n", "Hello", "World"),
                  LoadLayout::Srt, TwoCueRows("Hello", "World")},
        SplitCase{"no_final_line_break", "1\n" + std::string(kTime1) + "\nHello", LoadLayout::Srt,
                  Rows{"1", kTime1, "Hello", ""}},
        SplitCase{"year_stays_text", TwoCues("\n", "\n", "2019", "World"), LoadLayout::Srt,
                  TwoCueRows("2019", "World")},
        SplitCase{"year_right_before_next_cue", TwoCues("\n", "", "2019", "1984"), LoadLayout::Srt,
                  TwoCueRows("2019", "1984")},
        SplitCase{"seven_digit_number_stays_text", TwoCues("\n", "\n", "1234567", "x"),
                  LoadLayout::Srt, TwoCueRows("1234567", "x")},
        SplitCase{"number_line_after_blank_then_cue",
                  "1\n" + std::string(kTime1) + "\nHi\n\n42\n\n2\n" + kTime2 + "\nYo\n",
                  LoadLayout::Srt, Rows{"1", kTime1, "Hi", "42", "", "2", kTime2, "Yo", ""}},
        SplitCase{"last_number_without_time_is_text", "1\n" + std::string(kTime1) + "\nHi\n\n2\n",
                  LoadLayout::Srt, Rows{"1", kTime1, "Hi", "2", ""}},
        SplitCase{"music_note_and_emoji_survive", TwoCues("\n", "\n", "♪ la la ♪", "😀 한국어"),
                  LoadLayout::Srt, TwoCueRows("♪ la la ♪", "😀 한국어")},
        SplitCase{"spaces_trimmed_tabs_kept", TwoCues("\n", "\n", "  \tHello\t  ", " 你好 "),
                  LoadLayout::Srt, TwoCueRows("\tHello\t", "你好")},
        SplitCase{"padded_cue_number", "  1  \n" + std::string(kTime1) + "\nHi\n", LoadLayout::Srt,
                  Rows{"1", kTime1, "Hi", ""}},
        SplitCase{"leading_blank_lines_dropped",
                  "\r\n  \r\n\r\n1\r\n" + std::string(kTime1) + "\r\nHi\r\n", LoadLayout::Srt,
                  Rows{"1", kTime1, "Hi", ""}},
        SplitCase{"blank_only", "\r\n   \r\n\n\r", LoadLayout::Srt, Rows{}},
        SplitCase{"empty", "", LoadLayout::Srt, Rows{}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Plain, SplitLines,
    ::testing::Values(
        SplitCase{"crlf_keeps_inner_blanks", "[Script Info]\r\nTitle: x\r\n\r\n[Events]\r\n",
                  LoadLayout::Plain, Rows{"[Script Info]", "Title: x", "", "[Events]", ""}},
        SplitCase{"lf_only_splits", "[Script Info]\nTitle: x\n\n[Events]\n", LoadLayout::Plain,
                  Rows{"[Script Info]", "Title: x", "", "[Events]", ""}},
        SplitCase{"bare_cr_splits", "[Script Info]\rTitle: x\r\r[Events]\r", LoadLayout::Plain,
                  Rows{"[Script Info]", "Title: x", "", "[Events]", ""}},
        SplitCase{"no_blank_added_before_numbers", "a\n1\n00:00:01,000 --> 00:00:02,000\n",
                  LoadLayout::Plain, Rows{"a", "1", "00:00:01,000 --> 00:00:02,000", ""}},
        SplitCase{"leading_blanks_dropped_trailing_kept", "\n  \nDialogue: x  \n\n\n",
                  LoadLayout::Plain, Rows{"Dialogue: x", "", "", ""}},
        SplitCase{"no_final_line_break", "a\nb", LoadLayout::Plain, Rows{"a", "b", ""}},
        SplitCase{"blank_only", " \n\n", LoadLayout::Plain, Rows{}},
        SplitCase{"empty", "", LoadLayout::Plain, Rows{}}),
    [](const auto& info) { return std::string(info.param.name); });

// The same cues in several encodings and line ends give the same rows.
struct FileCase {
    const char* name;
    std::string bytes;
    const char* encoding;
};

class LoadFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(LoadFile, GivesTheSameRowsWhateverTheEncoding) {
    const FileCase& c = GetParam();
    TempDir dir;
    const LoadResult result = LoadSubRecords(dir.Write("sub.srt", c.bytes), LoadLayout::Srt);
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    EXPECT_EQ(result.charset, c.encoding);
    EXPECT_EQ(result.lines.ToVector(), TwoCueRows("中文", "♪"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoadFile,
    ::testing::Values(
        FileCase{"utf8_mark_crlf", "\xEF\xBB\xBF" + TwoCues("\r\n", "\r\n", "中文", "♪"),
                 "UTF-8 (BOM)"},
        FileCase{"utf8_lf", TwoCues("\n", "\n\n", "中文", "♪"), "UTF-8"},
        FileCase{"utf16le_cr", Utf16Le(TwoCues("\r", "", "中文", "♪")), "UTF-16LE"},
        FileCase{"utf16be_crlf", Utf16Be(TwoCues("\r\n", "\r\n", "中文", "♪")), "UTF-16BE"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadFile, GbkWithoutMusicNote) {
    TempDir dir;
    const LoadResult result =
        LoadSubRecords(dir.Write("sub.srt", TwoCues("\n", "",
                                                    "\xCE\xD2\xC3\xC7\xBD\xF1\xCC\xEC\xCD\xED\xC9"
                                                    "\xCF\xC8\xA5\xBF\xB4\xB5\xE7\xD3\xB0\xB0\xC9",
                                                    "x")),
                       LoadLayout::Srt);
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    EXPECT_EQ(result.charset, "GBK");
    EXPECT_EQ(result.lines.ToVector(), TwoCueRows("我们今天晚上去看电影吧", "x"));
}

TEST(LoadFile, FailuresCarryAReason) {
    TempDir dir;
    const LoadResult missing = LoadSubRecords(dir / "missing.srt", LoadLayout::Srt);
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->kind, FailureKind::NoSuchFile);
    const LoadResult utf32 =
        LoadSubRecords(dir.Write("utf32.srt", std::string("\xFF\xFE\x00\x00\x31\x00\x00\x00", 8)),
                       LoadLayout::Plain);
    ASSERT_TRUE(utf32.failure);
    EXPECT_EQ(utf32.failure->kind, FailureKind::Utf32);
}

TEST(LoadFile, BlankFileGivesNoLinesAndNoProgress) {
    TempDir dir;
    int reports = 0;
    const LoadResult result = LoadSubRecords(dir.Write("blank.srt", "\r\n  \r\n"), LoadLayout::Srt,
                                             [&](const Progress&) { ++reports; });
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    EXPECT_TRUE(result.lines.empty());
    EXPECT_EQ(reports, 0);
}

TEST(LoadFile, ReportsEachLineForTheShifter) {
    TempDir dir;
    std::vector<std::string> reports;
    const LoadResult result = LoadSubRecords(
        dir.Write("sub.srt", TwoCues("\n", "\n", "a", "b")), LoadLayout::Srt,
        [&](const Progress& p) { reports.push_back(Describe(p)); }, "（1/3）");
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    ASSERT_EQ(reports.size(), result.lines.size());
    EXPECT_EQ(reports.front(), "read 0/7 for the shifter （1/3）");
    EXPECT_EQ(reports.back(), "read 7/7 for the shifter （1/3）");
}

TEST(LoadIntoList, AddsEveryRowInOrderAndReportsWithoutSuffix) {
    TempDir dir;
    Rows rows;
    std::vector<std::string> reports;
    const LoadResult result = LoadSubRecordsIntoList(
        dir.Write("sub.srt", TwoCues("\r\n", "\r\n\r\n", "a", "b")), LoadLayout::Srt,
        [&](std::string_view row) { rows.emplace_back(row); },
        [&](const Progress& p) { reports.push_back(Describe(p)); });
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    EXPECT_TRUE(result.lines.empty());
    EXPECT_EQ(rows, TwoCueRows("a", "b"));
    ASSERT_EQ(reports.size(), rows.size());
    EXPECT_EQ(reports.front(), "read 0/7");
    EXPECT_EQ(reports.back(), "read 7/7");
}

TEST(LoadIntoList, BlankFileAddsNoRow) {
    TempDir dir;
    int rows = 0;
    const LoadResult result = LoadSubRecordsIntoList(
        dir.Write("blank.ass", "  \n"), LoadLayout::Plain, [&](std::string_view) { ++rows; });
    EXPECT_FALSE(result.failure);
    EXPECT_EQ(rows, 0);
}

// The list is filled row by row from the file as it lies; another program
// cuts the file short after the first row. The load fails with a reason
// rather than stopping the program, so the window keeps none of the rows.
TEST(LoadIntoList, FileChangedWhileListedIsRefused) {
    TempDir dir;
    std::string text;
    for (int i = 1; i <= 20000; ++i) {
        text += std::to_string(i) + "\n00:00:01,000 --> 00:00:02,000\n第" + std::to_string(i) +
                "句\n\n";
    }
    const std::filesystem::path file = dir.Write("big.srt", text);
    Rows rows;
    const LoadResult result =
        LoadSubRecordsIntoList(file, LoadLayout::Srt, [&](std::string_view row) {
            rows.emplace_back(row);  // as the window keeps each row
            if (rows.size() == 1) {
                std::filesystem::resize_file(file, 0);
            }
        });
    EXPECT_GT(rows.size(), 1u);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, FailureKind::ChangedWhileRead);
}

// The splitter marks the lines without a ':', and the shifters never look
// for a time code there: a ':' it misses is a time line lost.
TEST(RecordLines, MarkOnlyTheLinesWithoutAColon) {
    const std::string longPrefix(40, 'x');
    const std::string text = ":a\n" + std::string(15, 'x') + ":\n" + std::string(16, 'x') + ":\n" +
                             longPrefix + "\n" + longPrefix + ":" + longPrefix + "\n" +
                             "no colon here\n:" + longPrefix + "\nend:";
    const std::vector<bool> mayHold = {true, true, true, false, true, false, true, true};
    for (LoadLayout layout : {LoadLayout::Plain, LoadLayout::Srt}) {
        const RecordLines lines = SplitRecordLines(text, layout);
        ASSERT_EQ(lines.size(), mayHold.size() + 1);  // and the closing empty line
        for (std::size_t i = 0; i < mayHold.size(); ++i) {
            EXPECT_EQ(lines.MayHoldTimeCode(i), mayHold[i]) << i << ": " << lines[i];
        }
    }
}

TEST(RecordLines, SurviveAMoveOfTheirBuffer) {
    // Short texts live inside the string object itself; moving it must not
    // leave the lines pointing at the old one.
    RecordLines lines = SplitRecordLines("a\nb\n", LoadLayout::Plain);
    RecordLines moved = std::move(lines);
    EXPECT_EQ(moved.ToVector(), (Rows{"a", "b", ""}));
}

}  // namespace
}  // namespace orvane::textio
