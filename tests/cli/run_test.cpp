// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace orvane::cli {
namespace {
namespace fs = std::filesystem;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;

constexpr char kSrt[] =
    "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n你好\r\n\r\n"
    "2\r\n00:00:20,000 --> 00:00:22,000\r\nBye\r\n\r\n";

constexpr char kAss[] =
    "[Script Info]\r\nScriptType: v4.00+\r\n\r\n[Events]\r\n"
    "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
    "Dialogue: 0,0:00:05.00,0:00:07.50,Default,,0,0,0,,Hi\r\n";

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome RunWith(const std::vector<std::string>& args, const RunEnvironment& environment = {}) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = Run(args, out, err, environment);
    return {status, out.str(), err.str()};
}

std::string P(const fs::path& path) {
    return path.string();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(Run, UsageErrorExitsTwoWithMessageOnStderr) {
    const Outcome outcome = RunWith({"--direct", "1", "--cut", "2", "-o", "out", "a.srt"});
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err,
              "orvane-shift: --direct cannot be combined with --cut\n"
              "Try 'orvane-shift --help'.  用法见 orvane-shift --help\n");
}

TEST(Run, HelpGoesToStdout) {
    const Outcome outcome = RunWith({"--help"});
    EXPECT_EQ(outcome.status, kExitOk);
    EXPECT_TRUE(outcome.out.starts_with("Usage: orvane-shift [OPTIONS] FILE...\n"));
    EXPECT_EQ(outcome.err, "");
}

struct OpeningCase {
    const char* name;
    bool available;
    std::optional<double> measured;
    const char* err;
};

class OpeningTest : public ::testing::TestWithParam<OpeningCase> {};

TEST_P(OpeningTest, RefusesBeforeTouchingFiles) {
    const OpeningCase& c = GetParam();
    TempDir dir;
    const fs::path srt = dir.Write("a.srt", kSrt);
    RunEnvironment environment;
    if (c.available) {
        environment.measureOpening = [&c](const fs::path&, std::string& error) {
            error = "不是视频文件";
            return c.measured;
        };
    }
    const Outcome outcome =
        RunWith({"--opening", "ad.mp4", "-o", P(dir / "out"), P(srt)}, environment);
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_EQ(outcome.err, c.err);
    EXPECT_FALSE(fs::exists(dir / "out"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpeningTest,
    ::testing::Values(OpeningCase{"not_in_this_build", false, std::nullopt,
                                  "orvane-shift: --opening is not available in this build\n"
                                  "Try 'orvane-shift --help'.  用法见 orvane-shift --help\n"},
                      OpeningCase{"unreadable_video", true, std::nullopt,
                                  "orvane-shift: --opening ad.mp4: 不是视频文件\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Run, OpeningLengthBecomesTheCut) {
    TempDir dir;
    const fs::path srt = dir.Write("a.srt", kSrt);
    RunEnvironment environment;
    environment.measureOpening = [](const fs::path&, std::string&) {
        return std::optional<double>(19.0);
    };
    const Outcome outcome =
        RunWith({"--opening", "ad.mp4", "-q", "-o", P(dir / "out"), P(srt)}, environment);
    ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_TRUE(Contains(ReadBytes(dir / "out" / "a.srt"), "00:00:01,000 --> 00:00:03,000"));
}

TEST(Run, FolderOfMixedFilesIntoNewOutputFolder) {
    TempDir dir;
    fs::create_directory(dir / "in");
    dir.Write("in/a.srt", kSrt);
    dir.Write("in/B.ASS", kAss);
    dir.Write("in/notes.txt", "not a subtitle");
    const fs::path out = dir / "new" / "nested";

    const Outcome outcome = RunWith({"--direct", "1.5", "--later", "-o", P(out), P(dir / "in")});

    ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_TRUE(Contains(ReadBytes(out / "a.srt"), "00:00:02,500 --> 00:00:03,500"));
    EXPECT_TRUE(Contains(ReadBytes(out / "B.ASS"), "Dialogue: 0,0:00:06.50,0:00:09.00,Default"));
    EXPECT_FALSE(fs::exists(out / "notes.txt"));
    EXPECT_EQ(outcome.err, "orvane-shift: note: " + P(dir / "in" / "notes.txt") +
                               ": skipped, not a .srt, .ass or .ssa file\n");
    EXPECT_TRUE(outcome.out.ends_with("2 written, 0 failed, 1 skipped\n")) << outcome.out;
}

TEST(Run, QuietPrintsNothingOnSuccess) {
    TempDir dir;
    const fs::path srt = dir.Write("a.srt", kSrt);
    const fs::path txt = dir.Write("a.txt", "x");
    const Outcome outcome = RunWith({"-q", "-o", P(dir / "out"), P(srt), P(txt)});
    EXPECT_EQ(outcome.status, kExitOk);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
}

TEST(Run, FailingFileIsNamedAndTheOthersAreStillWritten) {
    TempDir dir;
    const fs::path broken = dir.Write("broken.srt", "no cues in here\r\n");
    const fs::path good = dir.Write("good.srt", kSrt);
    const fs::path missing = dir / "missing.ass";

    const Outcome outcome = RunWith({"-o", P(dir / "out"), P(broken), P(missing), P(good)});

    EXPECT_EQ(outcome.status, kExitSomeFailed);
    EXPECT_TRUE(Contains(outcome.err, "orvane-shift: " + P(broken) + ": ")) << outcome.err;
    EXPECT_TRUE(Contains(outcome.err, "orvane-shift: " + P(missing) + ": ")) << outcome.err;
    EXPECT_FALSE(Contains(outcome.err, P(good)));
    EXPECT_FALSE(fs::exists(dir / "out" / "broken.srt"));
    EXPECT_TRUE(fs::exists(dir / "out" / "good.srt"));
    EXPECT_TRUE(outcome.out.ends_with("1 written, 2 failed, 0 skipped\n")) << outcome.out;
}

TEST(Run, FileNamedTwiceWithOverwriteIsShiftedOnce) {
    TempDir dir;
    const fs::path srt = dir.Write("a.srt", kSrt);
    const Outcome outcome =
        RunWith({"--direct", "1", "--later", "--overwrite", "-q", P(srt), P(dir.path()), P(srt)});
    ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_TRUE(Contains(ReadBytes(srt), "00:00:02,000 --> 00:00:03,000"));
}

TEST(Run, OverwriteRefusesAFileWithTwoNames) {
    TempDir dir;
    const fs::path a = dir.Write("a.srt", kSrt);
    fs::create_hard_link(a, dir / "b.srt");
    const Outcome outcome = RunWith({"--direct", "1", "--overwrite", P(a), P(dir / "b.srt")});
    EXPECT_EQ(outcome.status, kExitSomeFailed);
    EXPECT_EQ(ReadBytes(a), kSrt);
    EXPECT_TRUE(Contains(outcome.err,
                         "a.srt: has 2 names (hard links); replacing it would split "
                         "them; not written (--break-links accepts the split)"))
        << outcome.err;
    EXPECT_TRUE(Contains(outcome.err, "b.srt: has 2 names")) << outcome.err;
}

TEST(Run, OutputFolderThatIsTheSourceFolderIsRefused) {
    TempDir dir;
    const fs::path srt = dir.Write("a.srt", kSrt);
    const Outcome outcome = RunWith({"--direct", "1", "-o", P(dir.path()), P(srt)});
    EXPECT_EQ(outcome.status, kExitSomeFailed);
    EXPECT_EQ(ReadBytes(srt), kSrt);
    EXPECT_TRUE(Contains(outcome.err, "use --overwrite")) << outcome.err;
}

// "." and "./a.srt" name one folder in two spellings: refused as the
// file's own folder, not as some other clash.
TEST(Run, OutputFolderSpelledDifferentlyFromTheSourceFolderIsRefused) {
    TempDir dir;
    const fs::path srt = dir.Write("a.srt", kSrt);
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const Outcome outcome = RunWith({"--direct", "1", "-o", ".", "./a.srt"});
    fs::current_path(before);
    EXPECT_EQ(outcome.status, kExitSomeFailed);
    EXPECT_EQ(ReadBytes(srt), kSrt);
    EXPECT_TRUE(Contains(outcome.err, "the output folder is the file's own folder")) << outcome.err;
}

struct RetimeRun {
    std::vector<std::string> args;
    const char* input;
    const char* expected;
};

TEST(Run, RetimesByFrameRatePointsAndFrames) {
    const RetimeRun runs[] = {
        {{"--fps", "25:23.976"},
         "1\r\n01:00:00,000 --> 02:00:00,000\r\nA\r\n",
         "1\r\n01:02:33,750 --> 02:05:07,500\r\nA\r\n"},
        // Anchored at --from: a cue there stays, one before it is not moved.
        {{"--fps", "25:23.976", "--from", "100"},
         "1\r\n00:00:50,000 --> 00:00:51,000\r\nA\r\n\r\n"
         "2\r\n00:01:40,000 --> 01:01:40,000\r\nB\r\n",
         "1\r\n00:00:50,000 --> 00:00:51,000\r\nA\r\n\r\n"
         "2\r\n00:01:40,000 --> 01:04:13,750\r\nB\r\n"},
        {{"--point", "10=12", "--point", "00:01:50,000=212"},
         "1\r\n00:00:10,000 --> 00:00:20,000\r\nA\r\n",
         "1\r\n00:00:12,000 --> 00:00:32,000\r\nA\r\n"},
        // With a cut: the cut first, then the change of rate; what ends
        // before the cut is dropped, and the rest numbered, as in any cut.
        {{"--fps", "25:23.976", "--cut", "10"},
         "1\r\n00:00:05,000 --> 00:00:08,000\r\nA\r\n\r\n"
         "2\r\n01:00:10,000 --> 02:00:10,000\r\nB\r\n",
         "1\r\n01:02:33,750 --> 02:05:07,500\r\nB\r\n"},
        {{"--direct", "24f", "--frame-rate", "23.976", "--later"},
         "1\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n",
         "1\r\n00:00:02,001 --> 00:00:03,001\r\nA\r\n"},
    };
    for (const RetimeRun& run : runs) {
        TempDir dir;
        const fs::path srt = dir.Write("a.srt", run.input);
        std::vector<std::string> args = run.args;
        args.insert(args.end(), {"-o", P(dir / "out"), P(srt)});
        const Outcome outcome = RunWith(args);
        ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
        EXPECT_EQ(ReadBytes(dir / "out" / "a.srt"), std::string("\xEF\xBB\xBF") + run.expected)
            << run.args.front();
    }
}

TEST(Run, ReportsTheMap) {
    TempDir dir;
    const fs::path srt = dir.Write("a.srt", kSrt);
    const Outcome outcome = RunWith({"--fps", "25:23.976", "-o", P(dir / "out"), P(srt)});
    ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
    // The last end, 22 s, moves furthest: to 22.939583 s, written 00:00:22,940.
    EXPECT_TRUE(Contains(outcome.out, "2 cues shifted, largest change 0.940 s")) << outcome.out;
    EXPECT_TRUE(Contains(outcome.out,
                         "retiming: t \u00D7 1.04270833 + 0.000 s (frame rate 25 to "
                         "23.976)"))
        << outcome.out;
}

TEST(Run, SameNameFromTwoFoldersIsNotWrittenTwice) {
    TempDir dir;
    fs::create_directories(dir / "x");
    fs::create_directories(dir / "y");
    const fs::path first = dir.Write("x/a.srt", kSrt);
    const fs::path second = dir.Write("y/a.srt", kSrt);
    const Outcome outcome = RunWith({"--direct", "1", "-o", P(dir / "out"), P(first), P(second)});
    EXPECT_EQ(outcome.status, kExitSomeFailed);
    EXPECT_TRUE(Contains(outcome.err, P(second) + ": has the same name as " + P(first)))
        << outcome.err;
}

// Which file owns a target is decided before anything is read or written,
// so a first file that later fails still keeps the second from its target.
TEST(Run, SameNameAfterAFailedFileIsRefusedAndNamed) {
    TempDir dir;
    fs::create_directories(dir / "x");
    fs::create_directories(dir / "y");
    const fs::path broken = dir.Write("x/a.srt", "no cues\r\n");
    const fs::path good = dir.Write("y/a.srt", kSrt);
    const Outcome outcome =
        RunWith({"--direct", "1", "--later", "-q", "-o", P(dir / "out"), P(broken), P(good)});
    EXPECT_EQ(outcome.status, kExitSomeFailed);
    EXPECT_TRUE(Contains(outcome.err, P(good) + ": has the same name as " + P(broken)))
        << outcome.err;
    EXPECT_TRUE(Contains(outcome.err, P(broken) + ": no cue numbers")) << outcome.err;
    EXPECT_FALSE(fs::exists(dir / "out" / "a.srt"));
}

struct MissingInputCase {
    const char* name;
    const char* input;  // under the test's folder; never created
};

class MissingInputTest : public ::testing::TestWithParam<MissingInputCase> {};

// A mistyped name is a failure, never a quiet success.
TEST_P(MissingInputTest, FailsAndIsNamed) {
    TempDir dir;
    const fs::path missing = dir / GetParam().input;
    const Outcome outcome = RunWith({"-q", "-o", P(dir / "out"), P(missing)});
    EXPECT_EQ(outcome.status, kExitSomeFailed);
    EXPECT_TRUE(Contains(outcome.err, "orvane-shift: " + P(missing) + ": ")) << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, MissingInputTest,
                         ::testing::Values(MissingInputCase{"folder", "subs"},
                                           MissingInputCase{"folder_with_slash", "subs/"},
                                           MissingInputCase{"other_type", "notes.txt"},
                                           MissingInputCase{"subtitle", "ep01.srt"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Run, OutputPathThatIsAFileFails) {
    TempDir dir;
    const fs::path srt = dir.Write("a.srt", kSrt);
    const fs::path blocker = dir.Write("out", "");
    const Outcome outcome = RunWith({"-o", P(blocker), P(srt)});
    EXPECT_EQ(outcome.status, kExitSomeFailed);
    EXPECT_EQ(outcome.err, "orvane-shift: " + P(srt) + ": the output folder " + P(blocker) +
                               " is not a folder\n");
}

TEST(Run, AnsiOutputWarnsAboutCharactersGbkLacks) {
    TempDir dir;
    const fs::path srt = dir.Write("a.srt",
                                   "1\r\n00:00:01,000 --> 00:00:02,000\r\nok\r\n\r\n"
                                   "2\r\n00:00:03,000 --> 00:00:04,000\r\n笑\xF0\x9F\x98\x80\r\n");
    const Outcome outcome =
        RunWith({"--direct", "1", "--later", "--ansi", "-q", "-o", P(dir / "out"), P(srt)});
    ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.err, "orvane-shift: warning: " + P(dir / "out" / "a.srt") +
                               ": GB2312 cannot hold 1 character, written as \"?\": U+1F600 "
                               "(line 7)\n");
}

struct ProgressCase {
    const char* name;
    bool terminal;
    bool expectLine;
};

class ProgressTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTest, DrawnOnlyOnATerminalAndErasedAfterwards) {
    TempDir dir;
    const fs::path srt = dir.Write("a.srt", kSrt);
    RunEnvironment environment;
    environment.progressLine = GetParam().terminal;
    environment.progressDelay = std::chrono::milliseconds(0);
    environment.progressInterval = std::chrono::milliseconds(0);
    const Outcome outcome = RunWith({"-q", "-o", P(dir / "out"), P(srt)}, environment);
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(Contains(outcome.err, "\r[1/1] a.srt"), GetParam().expectLine) << outcome.err;
    EXPECT_TRUE(outcome.err.empty() || outcome.err.back() == '\r');
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressTest,
                         ::testing::Values(ProgressCase{"terminal", true, true},
                                           ProgressCase{"pipe", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct WidthCase {
    const char* name;
    const char* text;
    std::size_t width;
};

class DisplayWidthTest : public ::testing::TestWithParam<WidthCase> {};

TEST_P(DisplayWidthTest, Counts) {
    EXPECT_EQ(DisplayWidth(GetParam().text), GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(Cases, DisplayWidthTest,
                         ::testing::Values(WidthCase{"ascii", "ep01.srt", 8},
                                           WidthCase{"chinese", "状态：", 6},
                                           WidthCase{"mixed", "第1集.srt", 9},
                                           WidthCase{"ellipsis_is_narrow", "…", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::cli
