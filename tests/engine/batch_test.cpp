// SPDX-License-Identifier: GPL-3.0-or-later
// Runs over real folders: every refusal decided before the first write, one
// file reached by several names shifted once, stop between files.
#include "engine/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "support/temp_dir.h"
#include "support/why.h"

namespace orvane::engine {
namespace {

namespace fs = std::filesystem;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;
using textio::FailureKind;

const std::string kSrt = "1\r\n00:00:10,000 --> 00:00:11,000\r\nHello\r\n";
const std::string kShiftedOnce = "00:00:11,000 --> 00:00:12,000";

ShiftSettings Later(const TempDir& dir, bool overwrite) {
    ShiftSettings settings;
    settings.mode = ShiftMode::Direct;
    settings.shiftSeconds = 1;
    settings.later = true;
    settings.overwrite = overwrite;
    settings.outputDir = dir / "out";
    return settings;
}

std::vector<FailureKind> Kinds(const std::vector<textio::Failure>& failures) {
    std::vector<FailureKind> kinds;
    for (const textio::Failure& failure : failures) {
        kinds.push_back(failure.kind);
    }
    return kinds;
}

// ---- refusals decided by the plan ---------------------------------------------

struct RefusalCase {
    const char* name;
    // Makes the files; returns the inputs. `settings` may be changed.
    std::function<std::vector<fs::path>(const TempDir&, ShiftSettings&)> prepare;
    std::vector<FailureKind> withoutOverwrite;
    std::vector<FailureKind> withOverwrite;
};

class PlanRefuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PlanRefuses, BeforeAnythingIsWritten) {
    for (const bool overwrite : {false, true}) {
        SCOPED_TRACE(overwrite ? "overwrite" : "into a folder");
        TempDir dir;
        ShiftSettings settings = Later(dir, overwrite);
        const std::vector<fs::path> inputs = GetParam().prepare(dir, settings);
        std::vector<std::string> before;
        for (const fs::path& input : inputs) {
            before.push_back(fs::is_regular_file(input) ? ReadBytes(input) : "");
        }
        const BatchPlan plan = PlanBatch(inputs, settings);
        EXPECT_EQ(Kinds(plan.refused),
                  overwrite ? GetParam().withOverwrite : GetParam().withoutOverwrite);
        RunBatch(plan);
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const bool refused = std::any_of(
                plan.refused.begin(), plan.refused.end(),
                [&](const textio::Failure& failure) { return failure.path == inputs[i]; });
            if (refused && fs::is_regular_file(inputs[i])) {
                EXPECT_EQ(ReadBytes(inputs[i]), before[i]) << inputs[i];
            }
        }
    }
}

const RefusalCase kRefusals[] = {
    RefusalCase{"output_folder_is_the_source_folder",
                [](const TempDir& dir, ShiftSettings& settings) {
                    settings.outputDir = dir.path();
                    return std::vector<fs::path>{dir.Write("a.srt", kSrt)};
                },
                {FailureKind::TargetIsSource},
                {}},
    // orvane-shift --direct 1 -o xb xa/x.srt xb/x.srt
    RefusalCase{"output_replaces_another_input",
                [](const TempDir& dir, ShiftSettings& settings) {
                    fs::create_directories(dir / "xa");
                    fs::create_directories(dir / "xb");
                    settings.outputDir = dir / "xb";
                    return std::vector<fs::path>{dir.Write("xa/x.srt", kSrt),
                                                 dir.Write("xb/x.srt", "1\r\nother\r\n")};
                },
                {FailureKind::TargetIsInput, FailureKind::TargetIsSource},
                {}},
    RefusalCase{
        "two_sources_one_target",
        [](const TempDir& dir, ShiftSettings&) {
            fs::create_directories(dir / "x");
            fs::create_directories(dir / "y");
            return std::vector<fs::path>{dir.Write("x/a.srt", kSrt), dir.Write("y/a.srt", kSrt)};
        },
        {FailureKind::TargetTaken},
        {}},
    RefusalCase{"missing_input",
                [](const TempDir& dir, ShiftSettings&) {
                    return std::vector<fs::path>{dir / "gone.srt", dir / "gone"};
                },
                {FailureKind::NoSuchFile, FailureKind::NoSuchFile},
                {FailureKind::NoSuchFile, FailureKind::NoSuchFile}},
#ifndef _WIN32
    RefusalCase{"fifo_and_device",
                [](const TempDir& dir, ShiftSettings&) {
                    mkfifo((dir / "f.srt").c_str(), 0600);
                    fs::create_symlink("/dev/zero", dir / "z.srt");
                    return std::vector<fs::path>{dir / "f.srt", dir / "z.srt"};
                },
                {FailureKind::NotRegularFile, FailureKind::NotRegularFile},
                {FailureKind::NotRegularFile, FailureKind::NotRegularFile}},
#endif
    RefusalCase{"read_only_target",
                [](const TempDir& dir, ShiftSettings&) {
                    const fs::path source = dir.Write("a.srt", kSrt);
                    fs::create_directories(dir / "out");
                    const fs::path old = dir.Write("out/a.srt", "old");
                    for (const fs::path& file : {source, old}) {
                        fs::permissions(file, fs::perms::owner_read | fs::perms::group_read |
                                                  fs::perms::others_read);
                    }
                    return std::vector<fs::path>{source};
                },
                {FailureKind::TargetReadOnly},
                {FailureKind::TargetReadOnly}}};

INSTANTIATE_TEST_SUITE_P(Table, PlanRefuses, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32
// A folder named by a path longer than the system takes: its cause, not
// "another file type".
TEST(Batch, AnInputPathTooLongSaysSo) {
    TempDir dir;
    fs::path input = dir.path();
    while (input.native().size() < 5000) {
        input /= std::string(200, 'd');
    }
    const BatchPlan plan = PlanBatch({input}, Later(dir, true));
    ASSERT_EQ(Kinds(plan.refused), std::vector<FailureKind>{FailureKind::OpenFailed});
    EXPECT_EQ(plan.refused[0].code, std::errc::filename_too_long);
    EXPECT_TRUE(plan.skipped.empty());
}

// A link deeper than the longest path the system resolves: its file cannot be
// found by name, and replacing the link itself would leave the file unshifted.
TEST(Batch, OverwriteRefusesALinkWhoseFileCannotBeFound) {
    TempDir dir;
    const fs::path start = fs::current_path();
    const std::string level(100, 'd');
    constexpr int kLevels = 45;  // 4,500 bytes and more
    fs::current_path(dir.path());
    for (int i = 0; i < kLevels; ++i) {
        ASSERT_EQ(mkdir(level.c_str(), 0700), 0);
        fs::current_path(level);
    }
    std::ofstream("real.srt", std::ios::binary) << kSrt;
    fs::create_symlink("real.srt", "link.srt");
    const BatchPlan plan = PlanBatch({"link.srt"}, Later(dir, true));
    RunBatch(plan);
    EXPECT_EQ(Kinds(plan.refused), std::vector<FailureKind>{FailureKind::LinkUnresolved});
    EXPECT_TRUE(fs::is_symlink("link.srt"));
    std::ifstream real("real.srt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(real), {}), kSrt);
    real.close();
    fs::remove("link.srt");
    fs::remove("real.srt");
    for (int i = 0; i < kLevels; ++i) {
        fs::current_path("..");
        rmdir(level.c_str());
    }
    fs::current_path(start);
}
#endif

#ifndef _WIN32
// A file its owner has closed to them is read-only, though its group may
// write to it: a rename over it would undo that.
TEST(Batch, OverwriteRefusesAFileThisUserMayNotWrite) {
    TempDir dir;
    const fs::path source = dir.Write("a.srt", kSrt);
    fs::permissions(source, fs::perms::owner_read | fs::perms::group_read | fs::perms::group_write |
                                fs::perms::others_read);
    auto refusedAsReadOnly = [&] {
        return Kinds(PlanBatch({source}, Later(dir, true)).refused) ==
               std::vector<FailureKind>{FailureKind::TargetReadOnly};
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(refusedAsReadOnly());
        return;
    }
    // Root may write to anything: ask as nobody, to whom the file is closed too.
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool asNobody = setgid(65534) == 0 && setuid(65534) == 0;
        _exit(!asNobody ? 2 : refusedAsReadOnly() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
}
#endif

// ---- one file, several names ------------------------------------------------------

TEST(Batch, OneFileByManyNamesIsShiftedOnce) {
    for (const bool overwrite : {false, true}) {
        TempDir dir;
        fs::create_directories(dir / "in");
        const fs::path real = dir.Write("in/ep1.en.srt", kSrt);
        if (!overwrite) {  // overwrite refuses hard links, below
            fs::create_hard_link(real, dir / "in" / "ep1.hard.srt");
        }
#ifndef _WIN32
        fs::create_symlink("ep1.en.srt", dir / "in" / "ep1.default.srt");
#endif
        const BatchPlan plan = PlanBatch(
            {dir / "in", real, dir / "in" / ".." / "in" / "ep1.en.srt"}, Later(dir, overwrite));
        ASSERT_EQ(plan.files.size(), 1u);
        EXPECT_TRUE(plan.refused.empty()) << orvane::testing::Why(plan.refused.front());
        EXPECT_GE(plan.skipped.size(), 2u);
        for (const SkippedName& skipped : plan.skipped) {
            EXPECT_EQ(skipped.why, SkippedName::Why::SameFile);
            EXPECT_EQ(skipped.sameAs, plan.files.front().source);
        }
        const BatchSummary summary = RunBatch(plan);
        EXPECT_EQ(summary.Written(), 1u);
        const fs::path written =
            overwrite ? real : dir / "out" / plan.files.front().source.filename();
        EXPECT_NE(ReadBytes(written).find(kShiftedOnce), std::string::npos);
#ifndef _WIN32
        // The link stays a link to the file that was shifted.
        EXPECT_TRUE(fs::is_symlink(dir / "in" / "ep1.default.srt"));
#endif
    }
}

// A rename gives only the replaced name the new bytes: under overwrite a file
// with two names is refused unless the user accepts that each name becomes a
// file of its own.
TEST(Batch, OverwriteRefusesAHardLinkedFileUnlessLinksMayBreak) {
    for (const bool breakLinks : {false, true}) {
        SCOPED_TRACE(breakLinks ? "break links" : "keep links");
        TempDir dir;
        const fs::path a = dir.Write("a.srt", kSrt);
        const fs::path b = dir / "b.srt";
        fs::create_hard_link(a, b);
        ShiftSettings settings = Later(dir, true);
        settings.breakLinks = breakLinks;
        const BatchPlan plan = PlanBatch({a, b}, settings);
        const BatchSummary summary = RunBatch(plan);
        if (breakLinks) {
            EXPECT_EQ(summary.Written(), 2u);
            for (const fs::path& name : {a, b}) {
                EXPECT_NE(ReadBytes(name).find(kShiftedOnce), std::string::npos) << name;
                EXPECT_EQ(fs::hard_link_count(name), 1u);
            }
        } else {
            EXPECT_EQ(Kinds(plan.refused),
                      (std::vector<FailureKind>{FailureKind::HardLinked, FailureKind::HardLinked}));
            EXPECT_EQ(plan.refused.front().links, 2u);
            EXPECT_TRUE(plan.skipped.empty());
            EXPECT_EQ(ReadBytes(a), kSrt);
            EXPECT_EQ(fs::hard_link_count(a), 2u);
        }
    }
}

// ---- running ------------------------------------------------------------------------

// Files aligned one by one each follow their own map; a map that moves every
// cue before zero leaves nothing worth writing, and the file stays.
TEST(Batch, EachFileFollowsItsOwnMap) {
    TempDir dir;
    const std::vector<fs::path> inputs = {dir.Write("1.srt", kSrt), dir.Write("2.srt", kSrt),
                                          dir.Write("3.srt", kSrt)};
    ShiftSettings settings = Later(dir, true);
    settings.shiftSeconds = 0;
    BatchPlan plan = PlanBatch(inputs, settings);
    ASSERT_EQ(plan.files.size(), 3u);
    plan.files[0].map = TimingMap::Constant(2);
    plan.files[2].map = TimingMap::Constant(-20);
    const BatchSummary summary = RunBatch(plan);
    EXPECT_NE(ReadBytes(inputs[0]).find("00:00:12,000 --> 00:00:13,000"), std::string::npos);
    EXPECT_NE(ReadBytes(inputs[1]).find("00:00:10,000 --> 00:00:11,000"), std::string::npos);
    ASSERT_EQ(summary.outcomes.size(), 3u);
    ASSERT_TRUE(summary.outcomes[2].failure);
    EXPECT_EQ(summary.outcomes[2].failure->kind, FailureKind::NothingLeft);
    EXPECT_EQ(summary.outcomes[2].stats.dropped, 1u);
    EXPECT_EQ(ReadBytes(inputs[2]), kSrt);
}

TEST(Batch, StopAfterTheSecondOfFiveLeavesTheRestUntouched) {
    TempDir dir;
    std::vector<fs::path> inputs;
    for (const char* name : {"1.srt", "2.srt", "3.srt", "4.srt", "5.srt"}) {
        inputs.push_back(dir.Write(name, kSrt));
    }
    const BatchPlan plan = PlanBatch(inputs, Later(dir, true));
    std::atomic<bool> stop{false};
    BatchObserver observer;
    observer.fileDone = [&](const FileOutcome&) {
        if (ReadBytes(inputs[1]) != kSrt) {
            stop = true;  // the second file is written
        }
    };
    const BatchSummary summary = RunBatch(plan, observer, {&stop, nullptr});
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.processed, 2u);
    EXPECT_EQ(summary.planned, 5u);
    for (std::size_t i = 2; i < inputs.size(); ++i) {
        EXPECT_EQ(ReadBytes(inputs[i]), kSrt);
    }
}

TEST(Batch, OutputFolderThatCannotBeMadeFailsEveryFileByName) {
    TempDir dir;
    const fs::path a = dir.Write("a.srt", kSrt);
    const fs::path b = dir.Write("b.srt", kSrt);
    ShiftSettings settings = Later(dir, false);
    settings.outputDir = dir.Write("blocker", "") / "out";
    const BatchSummary summary = RunBatch(PlanBatch({a, b}, settings));
    ASSERT_EQ(summary.outcomes.size(), 2u);
    for (const FileOutcome& outcome : summary.outcomes) {
        ASSERT_TRUE(outcome.failure);
        EXPECT_EQ(outcome.failure->kind, FailureKind::OutputDirCreateFailed);
        EXPECT_TRUE(outcome.failure->code);
    }
    EXPECT_EQ(summary.outcomes[1].failure->path, b);
}

struct OutcomeCase {
    const char* name;
    std::string input;
    ShiftSettings settings;
    std::optional<FailureKind> failure;
    std::size_t untimed;
};

ShiftSettings CutOf(double seconds) {
    ShiftSettings settings;
    settings.mode = ShiftMode::Cut;
    settings.cutSeconds = seconds;
    settings.overwrite = true;
    return settings;
}

class BatchOutcome : public ::testing::TestWithParam<OutcomeCase> {};

// A cut that leaves nothing writes nothing; unreadable times stay as they
// are in every mode and are counted.
TEST_P(BatchOutcome, IsTold) {
    TempDir dir;
    const fs::path source = dir.Write("a.srt", GetParam().input);
    const BatchSummary summary = RunBatch(PlanBatch({source}, GetParam().settings));
    ASSERT_EQ(summary.outcomes.size(), 1u);
    const FileOutcome& outcome = summary.outcomes.front();
    EXPECT_EQ(outcome.failure ? std::optional(outcome.failure->kind) : std::nullopt,
              GetParam().failure);
    EXPECT_EQ(outcome.stats.untimed, GetParam().untimed);
    if (GetParam().failure) {
        EXPECT_EQ(ReadBytes(source), GetParam().input);
    } else if (GetParam().untimed > 0) {
        EXPECT_NE(ReadBytes(source).find("00:00:0x,000 --> 00:00:02,000"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchOutcome,
    ::testing::Values(OutcomeCase{"cut_beyond_every_cue", kSrt, CutOf(360000),
                                  FailureKind::NothingLeft, 0},
                      OutcomeCase{"cut_keeps_an_unreadable_cue_before_it",
                                  "1\r\n00:00:0x,000 --> 00:00:02,000\r\nA\r\n\r\n" + kSrt,
                                  CutOf(5), std::nullopt, 1},
                      OutcomeCase{"nothing_but_unreadable_cues_is_still_written",
                                  "1\r\n00:00:0x,000 --> 00:00:02,000\r\nA\r\n\r\n"
                                  "2\r\n00:00:01,000 --> 00:00:02,000\r\nB\r\n",
                                  CutOf(5), std::nullopt, 1}),
    [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32
TEST(Batch, NewOutputTakesThePrivateModeOfItsSource) {
    TempDir dir;
    const fs::path source = dir.Write("a.srt", kSrt);
    fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write);
    const BatchSummary summary = RunBatch(PlanBatch({source}, Later(dir, false)));
    ASSERT_EQ(summary.Written(), 1u);
    EXPECT_EQ(fs::status(dir / "out" / "a.srt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}
#endif

// The seam reaches the writer: a replaced file waits for the disk once.
TEST(Batch, WritesGoThroughTheSeam) {
    struct CountingDisk : textio::WriteSeam {
        int writes = 0;
        int syncs = 0;
        std::error_code Write(int fd, std::string_view bytes) override {
            ++writes;
            return WriteSeam::Write(fd, bytes);
        }
        std::error_code Sync(int fd) override {
            ++syncs;
            return WriteSeam::Sync(fd);
        }
    } disk;
    TempDir dir;
    const fs::path source = dir.Write("a.srt", kSrt);
    const BatchSummary summary =
        RunBatch(PlanBatch({source}, Later(dir, true)), {}, {nullptr, &disk});
    EXPECT_EQ(summary.Written(), 1u);
    EXPECT_GT(disk.writes, 0);
    EXPECT_EQ(disk.syncs, 1);
}

}  // namespace
}  // namespace orvane::engine
