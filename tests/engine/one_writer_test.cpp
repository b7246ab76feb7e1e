// SPDX-License-Identifier: GPL-3.0-or-later
// One writer per file: runs at once over one folder lose no update, a file
// another run holds fails after the wait, a program writing just before the
// rename keeps its bytes, and what dead runs left behind is cleared.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/batch.h"
#include "support/temp_dir.h"
#include "textio/file_lock.h"

namespace orvane::engine {
namespace {
namespace fs = std::filesystem;
using orvane::testing::EntryNames;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;
using textio::FailureKind;

const std::string kSrt = "1\r\n00:00:10,000 --> 00:00:11,000\r\nHello\r\n";

ShiftSettings LaterOverwrite(double seconds) {
    ShiftSettings settings;
    settings.mode = ShiftMode::Direct;
    settings.shiftSeconds = seconds;
    settings.later = true;
    settings.overwrite = true;
    return settings;
}

// The cue's start as written, "00:00:13,000" for a file moved 3 s later.
std::string StartOf(const fs::path& file) {
    const std::string text = ReadBytes(file);
    const std::size_t arrow = text.find(" --> ");
    return arrow == std::string::npos || arrow < 12 ? text : text.substr(arrow - 12, 12);
}

TEST(OneWriter, TwoRunsAtOnceLoseNoUpdate) {
    TempDir dir;
    constexpr int kFiles = 60;
    for (int i = 0; i < kFiles; ++i) {
        dir.Write("f" + std::to_string(i) + ".srt", kSrt);
    }
    BatchSummary one;
    BatchSummary two;
    std::thread first([&] { one = RunBatch(PlanBatch({dir.path()}, LaterOverwrite(1))); });
    std::thread second([&] { two = RunBatch(PlanBatch({dir.path()}, LaterOverwrite(2))); });
    first.join();
    second.join();
    // Each file moved by exactly the runs that say they wrote it.
    const auto wrote = [](const BatchSummary& summary, const fs::path& file) {
        for (const FileOutcome& outcome : summary.outcomes) {
            if (outcome.source == file) {
                return !outcome.failure;
            }
        }
        return false;
    };
    const char* const kStarts[] = {"00:00:10,000", "00:00:11,000", "00:00:12,000", "00:00:13,000"};
    for (int i = 0; i < kFiles; ++i) {
        const fs::path file = dir / ("f" + std::to_string(i) + ".srt");
        const int moved = (wrote(one, file) ? 1 : 0) + (wrote(two, file) ? 2 : 0);
        EXPECT_EQ(StartOf(file), kStarts[moved]) << file;
    }
    EXPECT_EQ(EntryNames(dir.path()).size(), std::size_t{kFiles});  // no temporary file left
}

TEST(OneWriter, AFileAnotherRunHoldsFailsAfterTheWait) {
    TempDir dir;
    const fs::path file = dir.Write("a.srt", kSrt);
    const textio::FileLock other = textio::FileLock::Acquire(file, std::chrono::milliseconds(0));
    ASSERT_FALSE(other.failure());
    RunOptions options;
    options.lockWait = std::chrono::milliseconds(50);
    const BatchSummary summary = RunBatch(PlanBatch({file}, LaterOverwrite(1)), {}, options);
    ASSERT_EQ(summary.outcomes.size(), 1u);
    ASSERT_TRUE(summary.outcomes[0].failure);
    EXPECT_EQ(summary.outcomes[0].failure->kind, FailureKind::BeingShifted);
    EXPECT_EQ(ReadBytes(file), kSrt);
}

// Another program appends to the source while the output is being flushed,
// the last moment before the rename.
class WriterBeforeTheRename final : public textio::WriteSeam {
public:
    explicit WriterBeforeTheRename(fs::path source) : source_(std::move(source)) {}
    std::error_code Sync(int fd) override {
        std::ofstream(source_, std::ios::app | std::ios::binary) << "2\r\nmine\r\n";
        return WriteSeam::Sync(fd);
    }

private:
    fs::path source_;
};

TEST(OneWriter, AProgramWritingBeforeTheRenameKeepsItsBytes) {
    TempDir dir;
    const fs::path file = dir.Write("a.srt", kSrt);
    WriterBeforeTheRename seam(file);
    RunOptions options;
    options.seam = &seam;
    const BatchSummary summary = RunBatch(PlanBatch({file}, LaterOverwrite(1)), {}, options);
    ASSERT_EQ(summary.outcomes.size(), 1u);
    ASSERT_TRUE(summary.outcomes[0].failure);
    EXPECT_EQ(summary.outcomes[0].failure->kind, FailureKind::ChangedBeforeReplace);
    EXPECT_EQ(ReadBytes(file), kSrt + "2\r\nmine\r\n");
    EXPECT_EQ(EntryNames(dir.path()), std::vector<std::string>{"a.srt"});
}

TEST(OneWriter, AStaleTemporaryFileIsRemovedALiveOneKept) {
    TempDir dir;
    const fs::path file = dir.Write("a.srt", kSrt);
    const fs::path stale = dir.Write(".a.srt.orvane-0dead000.tmp", "half");
    const fs::path live = dir.Write(".a.srt.orvane-1live111.tmp", "half");
    const fs::path fresh = dir.Write(".a.srt.orvane-2new2222.tmp", "half");
    const fs::path other = dir.Write(".a.srt.other-0dead000.tmp", "not ours");
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    for (const fs::path& path : {stale, live, other}) {
        fs::last_write_time(path, old);
    }
    const textio::FileLock writer = textio::FileLock::Acquire(live, std::chrono::milliseconds(0));
    const BatchSummary summary = RunBatch(PlanBatch({file}, LaterOverwrite(1)));
    EXPECT_EQ(summary.Written(), 1u);
    EXPECT_EQ(EntryNames(dir.path()),
              (std::vector<std::string>{".a.srt.orvane-1live111.tmp", ".a.srt.orvane-2new2222.tmp",
                                        ".a.srt.other-0dead000.tmp", "a.srt"}));
}

}  // namespace
}  // namespace orvane::engine
