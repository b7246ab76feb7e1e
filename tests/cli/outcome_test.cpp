// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-shift's exit status and what it prints, for the runs that must not
// end as a quiet success.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/runner.h"
#include "support/temp_dir.h"

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

// A closed or broken standard output is no success, though every file was written.
TEST(ExitStatus, FailedStandardOutputIsNoSuccess) {
    TempDir dir;
    const fs::path source = dir.Write("a.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n");
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(cli::Run({"--direct", "1", "-o", (dir / "out").string(), source.string()}, out, err),
              kExitSomeFailed);
    EXPECT_TRUE(fs::exists(dir / "out" / "a.srt"));
}

}  // namespace
}  // namespace orvane::cli
