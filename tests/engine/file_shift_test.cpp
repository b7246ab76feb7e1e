// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/file_shift.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iostream>

#include "engine/timecode.h"
#include "shift_test_support.h"
#include "support/temp_dir.h"
#include "support/why.h"
#include "textio/text_file.h"
#include "textio/utf8.h"

namespace orvane::engine {
namespace {
namespace fs = std::filesystem;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;

const std::string kSrt = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "你好 ♪", "Hello"});

ShiftSettings IntoFolder(ShiftSettings settings, const fs::path& folder) {
    settings.outputDir = folder;
    return settings;
}

TEST(ShiftFile, WritesUtf8WithMarkUnderTheSameNameInTheOutputFolder) {
    TempDir dir;
    const fs::path source = dir.Write("a.srt", kSrt);
    fs::create_directory(dir / "out");
    const FileShiftResult result = ShiftSrtFile(source, IntoFolder(Direct(1, true), dir / "out"));
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    EXPECT_EQ(result.target, dir / "out" / "a.srt");
    EXPECT_EQ(ReadBytes(result.target),
              "\xEF\xBB\xBF" + Crlf({"1", "00:00:02,000 --> 00:00:03,000", "你好 ♪", "Hello"}));
    EXPECT_EQ(ReadBytes(source), kSrt);  // the source is only read
}

TEST(ShiftFile, AnsiOutputReportsWhatGbkCannotHold) {
    TempDir dir;
    ShiftSettings settings = Direct(1, true);
    settings.ansi = true;
    settings.overwrite = true;
    const fs::path source = dir.Write("a.srt", kSrt);
    const FileShiftResult result = ShiftSrtFile(source, settings);
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    EXPECT_EQ(result.gbk.unencodableCount, 1u);
    ASSERT_EQ(result.gbk.firstUnencodable.size(), 1u);
    EXPECT_EQ(result.gbk.firstUnencodable[0].codePoint, U'♪');
    EXPECT_EQ(result.gbk.firstUnencodable[0].line, 3u);
    EXPECT_EQ(ReadBytes(source),
              Crlf({"1", "00:00:02,000 --> 00:00:03,000", "\xC4\xE3\xBA\xC3 ?", "Hello"}));
}

TEST(ShiftFile, RefusedAssFileLeavesTheSourceAlone) {
    TempDir dir;
    ShiftSettings settings = Direct(1, true);
    settings.overwrite = true;
    const std::string content = "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,A\r\n";
    const fs::path source = dir.Write("a.ass", content);
    const FileShiftResult result = ShiftAssFile(source, settings);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, textio::FailureKind::NoScriptInfo);
    EXPECT_EQ(result.failure->path, source);
    EXPECT_EQ(ReadBytes(source), content);
}

struct FailureCase {
    const char* name;
    const char* file;
    const char* content;  // nullptr: no such file
    textio::FailureKind why;
};

class ShiftFileFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ShiftFileFailure, SaysWhyAndWritesNothing) {
    TempDir dir;
    fs::path source = dir / GetParam().file;
    if (GetParam().content != nullptr) {
        dir.Write(GetParam().file, GetParam().content);
    }
    fs::create_directory(dir / "out");
    const FileShiftResult result =
        ShiftSubtitleFile(source, IntoFolder(Direct(1, true), dir / "out"));
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, GetParam().why);
    EXPECT_TRUE(fs::is_empty(dir / "out"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShiftFileFailure,
    ::testing::Values(
        FailureCase{"missing_file", "gone.srt", nullptr, textio::FailureKind::NoSuchFile},
        FailureCase{"empty_file", "empty.srt", "", textio::FailureKind::Empty},
        FailureCase{"blank_file", "blank.ass", "\r\n  \r\n", textio::FailureKind::Empty},
        FailureCase{"no_cue_numbers", "a.srt", "00:00:01,000 --> 00:00:02,000\nA\n",
                    textio::FailureKind::NoCueNumbers},
        FailureCase{"not_a_subtitle_extension", "a.txt", "1\n",
                    textio::FailureKind::NotSubtitleFile},
        FailureCase{"mark_only", "a.srt", "\xFF\xFE", textio::FailureKind::Empty}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShiftFile, MissingOutputFolderIsAFailureNotACrash) {
    TempDir dir;
    const fs::path source = dir.Write("a.srt", kSrt);
    const FileShiftResult result = ShiftSrtFile(source, IntoFolder(Direct(1, true), dir / "nope"));
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, textio::FailureKind::TempCreateFailed);
}

TEST(ShiftFile, RefusesAnAmountThatIsNotANumber) {
    TempDir dir;
    const fs::path source = dir.Write("a.srt", kSrt);
    ShiftSettings settings = Direct(std::nan(""), true);
    settings.overwrite = true;
    EXPECT_TRUE(ShiftSrtFile(source, settings).failure);
    EXPECT_EQ(ReadBytes(source), kSrt);
}

TEST(ShiftFile, LargeFileWrittenInPiecesEqualsTheWholeText) {
    std::string text;
    for (int i = 1; i <= 30000; ++i) {
        text += std::to_string(i) + "\n00:00:30,000 --> 00:00:31,000\n第" + std::to_string(i) +
                "句 ♪\n\n";
    }
    TempDir dir;
    for (const bool ansi : {false, true}) {
        ShiftSettings settings = Cut(10);
        settings.ansi = ansi;
        settings.overwrite = true;
        const fs::path source = dir.Write("big.srt", text);
        const FileShiftResult result = ShiftSrtFile(source, settings);
        ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
        const std::string whole = ShiftSrtString(text, settings).text;
        EXPECT_EQ(ReadBytes(source), textio::EncodeText(whole, ansi ? textio::Charset::Gb2312
                                                                    : textio::Charset::Utf8));
        if (ansi) {
            EXPECT_EQ(result.gbk.unencodableCount, 30000u);
            ASSERT_EQ(result.gbk.firstUnencodable.size(), 5u);
            EXPECT_EQ(result.gbk.firstUnencodable[4].line, 4u * 4 + 3);
        }
    }
}

// Another program changes the source while it is being shifted (here, when
// the first piece of shifted text is written, after the mark): the file is
// refused with a reason, nothing is written, and the program does not stop.
TEST(ShiftFile, SourceChangedWhileShiftingIsRefused) {
    using Change = std::function<void(const fs::path&)>;
    struct ChangeTheSourceOnFirstWrite : textio::WriteSeam {
        fs::path source;
        Change change;
        bool changed = false;
        std::error_code Write(int fd, std::string_view bytes) override {
            if (!changed && bytes.size() > 3) {
                change(source);
                changed = true;
            }
            return WriteSeam::Write(fd, bytes);
        }
    };
    const auto cutBy = [](std::uintmax_t bytes) {
        return
            [bytes](const fs::path& file) { fs::resize_file(file, fs::file_size(file) - bytes); };
    };
    const std::pair<const char*, Change> changes[] = {
        {"cut to nothing", [](const fs::path& file) { fs::resize_file(file, 0); }},
        {"cut in half",
         [](const fs::path& file) { fs::resize_file(file, fs::file_size(file) / 2); }},
        {"cut within its last page", cutBy(40)},
        {"rewritten in place",
         [](const fs::path& file) {
             std::fstream(file, std::ios::in | std::ios::out | std::ios::binary).write("9", 1);
         }},
        {"grown", [](const fs::path& file) { std::ofstream(file, std::ios::app) << "\n"; }},
    };
    std::string srt;
    std::string ass = "[Script Info]\n[Events]\n";
    for (int i = 1; i <= 40000; ++i) {
        srt += std::to_string(i) + "\n00:00:30,000 --> 00:00:31,000\nLine " + std::to_string(i) +
               "\n\n";
        ass += "Dialogue: 0,0:00:30.00,0:00:31.00,Default,,0,0,0,,Line " + std::to_string(i) + "\n";
    }
    for (const auto& [name, text] : {std::pair{"big.srt", srt}, std::pair{"big.ass", ass}}) {
        for (const auto& [how, change] : changes) {
            SCOPED_TRACE(std::string(name) + " " + how);
            TempDir dir;
            const fs::path source = dir.Write(name, text);
            fs::create_directory(dir / "out");
            ChangeTheSourceOnFirstWrite disk;
            disk.source = source;
            disk.change = change;
            const FileShiftResult result = ShiftSubtitleFile(
                source, IntoFolder(Direct(1, true), dir / "out"), {}, {{}, &disk});
            EXPECT_TRUE(disk.changed);
            EXPECT_EQ(result.failure.value_or(textio::Failure{}).kind,
                      textio::FailureKind::ChangedWhileRead);
            EXPECT_TRUE(fs::is_empty(dir / "out"));  // neither output nor temporary file
        }
    }
}

TEST(KindOfFile, GoesByTheLowerCasedExtension) {
    EXPECT_EQ(KindOfFile("a.SRT"), SubtitleKind::Srt);
    EXPECT_EQ(KindOfFile("dir.x/b.Ass"), SubtitleKind::Ass);
    EXPECT_EQ(KindOfFile("c.ssa"), SubtitleKind::Ass);
    EXPECT_EQ(KindOfFile("d.lrc"), SubtitleKind::Other);
    EXPECT_EQ(KindOfFile("srt"), SubtitleKind::Other);
}

// ---- Real-world files: a shift later and back earlier gives the same lines.

std::vector<std::string> NonBlankLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = textio::TrimSpaces(text.substr(start, end - start));
        if (!line.empty()) {
            lines.emplace_back(line);
        }
        start = end + 1;
    }
    return lines;
}

// ASS times come back in the form the shifter writes: no leading hour zero,
// hundredths.
std::string NormaliseAssTimes(const std::string& line) {
    const auto match = MatchTimeLine(line, TimePattern::Ass);
    if (!match) {
        return line;
    }
    return RewriteTimeLine(line, *match, FormatAssTime(ParseAssTime(match->start.In(line))),
                           FormatAssTime(ParseAssTime(match->end.In(line))));
}

// The lines a shift must keep: from the first cue (SRT) or from
// "[Script Info]" (ASS) on.
std::vector<std::string> ExpectedLines(const fs::path& file, SubtitleKind kind) {
    textio::ReadResult read = textio::ReadTextFile(file);
    std::vector<std::string> lines = NonBlankLines(read.text.utf8);
    auto startsTheKeptPart = [&](std::size_t k) {
        if (kind == SubtitleKind::Ass) {
            return lines[k].find("[Script Info]") != std::string::npos;
        }
        return k + 1 < lines.size() && textio::IsCueNumberIgnoringMarks(lines[k]) &&
               lines[k + 1].find("-->") != std::string::npos;
    };
    std::size_t first = 0;
    while (first < lines.size() && !startsTheKeptPart(first)) {
        ++first;
    }
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first));
    if (kind == SubtitleKind::Ass) {
        for (std::string& line : lines) {
            line = NormaliseAssTimes(line);
        }
    }
    return lines;
}

TEST(Corpus, ShiftLaterThenEarlierGivesTheSameLines) {
    const auto corpus = orvane::testing::CorpusDir();
    if (!corpus) {
        GTEST_SKIP() << "no corpus folder beside the checkout";
    }
    TempDir dir;
    int roundTrips = 0;
    int refused = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*corpus)) {
        const SubtitleKind kind = KindOfFile(entry.path());
        if (!entry.is_regular_file() || kind == SubtitleKind::Other) {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        const fs::path copy = dir / ("copy" + entry.path().extension().string());
        fs::copy_file(entry.path(), copy, fs::copy_options::overwrite_existing);
        ShiftSettings settings = Direct(1.5, true);
        settings.overwrite = true;
        const FileShiftResult later = ShiftSubtitleFile(copy, settings);
        if (later.failure) {
            std::cout << "refused " << entry.path().filename().string() << ": "
                      << orvane::testing::Why(later.failure) << "\n";
            ++refused;
            continue;
        }
        settings.later = false;
        const FileShiftResult earlier = ShiftSubtitleFile(copy, settings);
        ASSERT_FALSE(earlier.failure) << orvane::testing::Why(earlier.failure);
        const textio::ReadResult back = textio::ReadTextFile(copy);
        EXPECT_EQ(NonBlankLines(back.text.utf8), ExpectedLines(entry.path(), kind));
        ++roundTrips;
    }
    EXPECT_GT(roundTrips, 30);
    std::cout << roundTrips << " files came back unchanged, " << refused << " refused\n";
}

}  // namespace
}  // namespace orvane::engine
