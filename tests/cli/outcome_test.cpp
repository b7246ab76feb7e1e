// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-shift's exit status and what it prints, for the runs that must not
// end as a quiet success.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/messages.h"
#include "cli/runner.h"
#include "support/temp_dir.h"
#include "textio/icu_handles.h"

namespace orvane::cli {
namespace {
namespace fs = std::filesystem;
using orvane::testing::TempDir;

const std::string kUntimed =
    "1\r\n00:00:0x,000 --> 00:00:02,000\r\nA\r\n\r\n2\r\n00:00:20,000 --> 00:00:22,000\r\nB\r\n";

struct ExitCase {
    const char* name;
    std::function<std::vector<std::string>(const TempDir&)> args;
    int status;
    const char* inErr;  // a part of what stderr must say
};

class ExitStatus : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitStatus, TellsWhatHappened) {
    TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::Run(GetParam().args(dir), out, err);
    EXPECT_EQ(status, GetParam().status) << err.str();
    EXPECT_NE(err.str().find(GetParam().inErr), std::string::npos) << err.str();
}

const ExitCase kExits[] = {
    {"from_in_cut_mode",
     [](const TempDir&) {
         return std::vector<std::string>{"--cut", "5", "--from", "1200", "-o", "out", "a.srt"};
     },
     kExitUsage, "--from and --until only apply to --direct"},
    {"option_as_a_value",
     [](const TempDir&) {
         return std::vector<std::string>{"-o", "-q", "a.srt"};
     },
     kExitUsage, "-o/--output-dir needs a value"},
    {"no_subtitle_among_the_inputs",
     [](const TempDir& dir) {
         return std::vector<std::string>{"-o", (dir / "out").string(),
                                         dir.Write("notes.txt", "x").string()};
     },
     kExitSomeFailed, "no .srt, .ass or .ssa file"},
    {"unreadable_times_warned_even_when_quiet",
     [](const TempDir& dir) {
         return std::vector<std::string>{"-q",
                                         "--cut",
                                         "5",
                                         "-o",
                                         (dir / "out").string(),
                                         dir.Write("a.srt", kUntimed).string()};
     },
     kExitOk, "a.srt: 1 cue without a readable time line, written unchanged"},
    {"control_characters_in_a_name_are_escaped",
     [](const TempDir& dir) {
         return std::vector<std::string>{"-o", (dir / "out").string(),
                                         dir.Write("bad\x1b[2Jname\n.srt", "").string()};
     },
     kExitSomeFailed, "bad\\x1b[2Jname\\n.srt: the file is empty"},
};

INSTANTIATE_TEST_SUITE_P(Table, ExitStatus, ::testing::ValuesIn(kExits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShowPath, EscapesWhatCouldForgeOrTurnALine) {
    const std::pair<std::string, std::string> cases[] = {
        {"第1集.srt", "第1集.srt"},
        {"a\nb\x1b.srt", "a\\nb\\x1b.srt"},
        {"csi\xC2\x9B.srt", "csi\\u009b.srt"},
        {"\xE2\x80\xAEtrs.exe", "\\u202etrs.exe"},
        {"gbk\xB5\xDA.srt", "gbk\\xb5\\xda.srt"},
        {"\xEF\xBF\xBD.srt", "\xEF\xBF\xBD.srt"},  // U+FFFD itself is a character
    };
    for (const auto& [name, shown] : cases) {
        EXPECT_EQ(cli::ShowPath(fs::path(name)), shown);
    }
}

TEST(FailureText, NamesAReadOnlyFileSystem) {
    textio::Failure failure;
    failure.kind = textio::FailureKind::TargetReadOnly;
    failure.code = std::make_error_code(std::errc::read_only_file_system);
    EXPECT_EQ(cli::FailureText(failure), "it is on a read-only file system; not written");
}

// A closed or broken standard output is no success, though every file was written.
TEST(ExitStatus, FailedStandardOutputIsNoSuccess) {
    TempDir dir;
    const fs::path source = dir.Write("a.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n");
    const std::vector<std::string> runs[] = {
        {"--direct", "1", "-o", (dir / "out").string(), source.string()}, {"--help"}};
    for (const std::vector<std::string>& args : runs) {
        SCOPED_TRACE(args.front());
        std::ostringstream out;
        out.setstate(std::ios::badbit);
        std::ostringstream err;
        EXPECT_EQ(cli::Run(args, out, err), kExitSomeFailed);
        EXPECT_NE(err.str().find("standard output"), std::string::npos) << err.str();
    }
    EXPECT_TRUE(fs::exists(dir / "out" / "a.srt"));
}

// "An advert was inserted at 20:00": only what starts from there moves.
TEST(Range, FromMovesOnlyTheCuesFromThatTimeOn) {
    TempDir dir;
    const std::string before = "1\r\n00:19:59,999 --> 00:20:01,000\r\nBefore\r\n\r\n";
    const fs::path source =
        dir.Write("a.srt", before + "2\r\n00:20:00,000 --> 00:20:02,000\r\nAfter\r\n");
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(cli::Run({"--direct", "30", "--later", "--from", "1200", "-q", "-o",
                        (dir / "out").string(), source.string()},
                       out, err),
              kExitOk)
        << err.str();
    EXPECT_EQ(orvane::testing::ReadBytes(dir / "out" / "a.srt"),
              "\xEF\xBB\xBF" + before + "2\r\n00:20:30,000 --> 00:20:32,000\r\nAfter\r\n");
}

// 1.118 typed and 00:00:01,118 read are one moment, though 1 + 0.118 and
// 1.118 differ in a double's last bit.
TEST(Range, BoundsInSecondsMeetTheCodeToTheMillisecond) {
    const std::string cue = "1\r\n00:00:01,118 --> 00:00:02,000\r\nA\r\n";
    const std::string moved = "1\r\n00:00:02,118 --> 00:00:03,000\r\nA\r\n";
    const std::pair<const char*, const std::string&> cases[] = {{"--from", moved},
                                                                {"--until", cue}};
    for (const auto& [bound, expected] : cases) {
        SCOPED_TRACE(bound);
        TempDir dir;
        const fs::path source = dir.Write("a.srt", cue);
        std::ostringstream out;
        std::ostringstream err;
        ASSERT_EQ(cli::Run({"--direct", "1", "--later", bound, "1.118", "-q", "-o",
                            (dir / "out").string(), source.string()},
                           out, err),
                  kExitOk)
            << err.str();
        EXPECT_EQ(orvane::testing::ReadBytes(dir / "out" / "a.srt"), "\xEF\xBB\xBF" + expected);
    }
}

// A file in a legacy code page comes out as its UTF-8 original does.
TEST(Encodings, LegacyFilesGiveTheBytesOfTheirUtf8Original) {
    const std::pair<const char*, std::string> cases[] = {
        {"Big5",
         "1\r\n00:00:01,000 --> 00:00:02,000\r\n我們去看電影，這個故事很長。\r\n\r\n"
         "2\r\n00:00:03,000 --> 00:00:04,000\r\n兩個朋友在這裡說話。\r\n"},
        {"windows-1252",
         "1\r\n00:00:01,000 --> 00:00:02,000\r\nCE FILM RELATE DES ÉVÉNEMENTS "
         "QUI ONT EXISTÉ, déjà vu, Noël.\r\n"},
        {"windows-1251",
         "1\r\n00:00:01,000 --> 00:00:02,000\r\nДоброе утро, как дела? Всё "
         "хорошо, спасибо.\r\n"},
    };
    for (const auto& [charset, text] : cases) {
        SCOPED_TRACE(charset);
        TempDir dir;
        const fs::path utf8 = dir.Write("a_utf8.srt", text);
        const fs::path legacy =
            dir.Write("a_legacy.srt", textio::ConvertCharset(charset, "UTF-8", text));
        std::ostringstream out;
        std::ostringstream err;
        for (const fs::path& source : {utf8, legacy}) {
            ASSERT_EQ(cli::Run({"--direct", "1", "--later", "--simplified", "-q", "-o",
                                (dir.path() / source.stem()).string(), source.string()},
                               out, err),
                      kExitOk)
                << err.str();
        }
        EXPECT_EQ(orvane::testing::ReadBytes(dir / "a_legacy" / "a_legacy.srt"),
                  orvane::testing::ReadBytes(dir / "a_utf8" / "a_utf8.srt"));
    }
}

// In every encoding: bytes that are not text never go over the source, and
// a copy names the encoding and the line of the first.
TEST(Encodings, AStrayByteKeepsTheSourceUnderOverwrite) {
    const std::string time = "1\r\n00:00:01,000 --> 00:00:02,000\r\n";
    const std::string gbkText = "\xCE\xD2\xD3\xD0\xB8\xF6\xB5\xE3\xD7\xD3";  // 我有个点子
    auto Utf16Le = [](const std::string& text) {
        return textio::ConvertCharset("UTF-16LE", "UTF-8", text);
    };
    const std::pair<const char*, std::string> cases[] = {
        {"UTF-8", time + "我有个点子\xE9\r\n"},
        {"GBK", time + gbkText + gbkText + gbkText + "\r\n\xFF\r\n"},
        {"UTF-16LE",
         "\xFF\xFE" + Utf16Le(time + "A") + std::string("\x00\xD8", 2) + Utf16Le("\r\n")},
    };
    for (const auto& [charset, bytes] : cases) {
        SCOPED_TRACE(charset);
        TempDir dir;
        const fs::path source = dir.Write("a.srt", bytes);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(cli::Run({"--direct", "1", "--overwrite", source.string()}, out, err),
                  kExitSomeFailed);
        EXPECT_EQ(orvane::testing::ReadBytes(source), bytes);
        EXPECT_NE(err.str().find("not text in its encoding"), std::string::npos) << err.str();
        cli::Run({"--direct", "1", "-o", (dir / "out").string(), source.string()}, out, err);
        EXPECT_NE(err.str().find(std::string("not valid ") + charset), std::string::npos)
            << err.str();
    }
}

}  // namespace
}  // namespace orvane::cli
