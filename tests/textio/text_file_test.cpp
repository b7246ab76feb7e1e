// SPDX-License-Identifier: GPL-3.0-or-later
// Writes that never damage the target, and reads that take regular files only.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "support/temp_dir.h"
#include "support/why.h"
#include "textio/text_file.h"

namespace orvane::textio {
namespace {

namespace fs = std::filesystem;
using orvane::testing::EntryNames;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;

std::string Repeat(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

// A disk that fills up after `room` bytes, counts the waits for it, and
// notes the temporary file's mode while it is written.
class TestDisk : public WriteSeam {
public:
    std::size_t room = static_cast<std::size_t>(-1);
    int syncs = 0;
    unsigned modeWhileWriting = 0;

    std::error_code Write(int fd, std::string_view bytes) override {
#ifndef _WIN32
        struct stat st {};
        if (fstat(fd, &st) == 0) {
            modeWhileWriting = st.st_mode & 07777;
        }
#endif
        if (bytes.size() > room) {
            WriteSeam::Write(fd, bytes.substr(0, room));
            room = 0;
            return std::make_error_code(std::errc::no_space_on_device);
        }
        room -= bytes.size();
        return WriteSeam::Write(fd, bytes);
    }
    std::error_code Sync(int fd) override {
        ++syncs;
        return WriteSeam::Sync(fd);
    }
};

struct InterruptCase {
    const char* name;
    const char* oldContent;  // nullptr: no target yet
    std::size_t failAfter;
    Charset charset;
};

class InterruptedWrite : public ::testing::TestWithParam<InterruptCase> {};

TEST_P(InterruptedWrite, LeavesTheOldFileAndNoTemporary) {
    const InterruptCase& c = GetParam();
    TempDir dir;
    const auto path = dir / "sub.srt";
    if (c.oldContent != nullptr) {
        dir.Write("sub.srt", c.oldContent);
    }
    TestDisk disk;
    disk.room = c.failAfter;
    const WriteResult result =
        WriteTextFile(path, Repeat("新的内容 new content\r\n", 20), c.charset, {{}, &disk});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, FailureKind::WriteFailed);
    EXPECT_EQ(result.failure->code, std::errc::no_space_on_device);
    // "The original is unchanged" is said only where there was one.
    EXPECT_EQ(result.failure->originalKept, c.oldContent != nullptr);
    if (c.oldContent != nullptr) {
        EXPECT_EQ(ReadBytes(path), c.oldContent);
        EXPECT_EQ(EntryNames(dir.path()), std::vector<std::string>{"sub.srt"});
    } else {
        EXPECT_EQ(EntryNames(dir.path()), std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, InterruptedWrite,
    ::testing::Values(InterruptCase{"utf8_at_once", "old\r\n", 0, Charset::Utf8},
                      InterruptCase{"utf8_inside_mark", "old\r\n", 2, Charset::Utf8},
                      InterruptCase{"utf8_inside_text", "old\r\n", 40, Charset::Utf8},
                      InterruptCase{"gb2312_inside_text", "old\r\n", 40, Charset::Gb2312},
                      InterruptCase{"no_old_file", nullptr, 10, Charset::Utf8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteTextFile, WaitsForTheDiskOnlyWhenReplacing) {
    TempDir dir;
    TestDisk disk;
    ASSERT_FALSE(WriteTextFile(dir / "new.srt", "new", Charset::Utf8, {{}, &disk}).failure);
    EXPECT_EQ(disk.syncs, 0);
    ASSERT_FALSE(WriteTextFile(dir / "new.srt", "newer", Charset::Utf8, {{}, &disk}).failure);
    EXPECT_EQ(disk.syncs, 1);
}

// A rename that fails at the very end leaves the target as it was and no
// temporary file beside it.
TEST(WriteTextFile, AFailedRenameLeavesNoTemporaryFile) {
    struct RenameFails : WriteSeam {
        std::error_code Rename(const fs::path&, const fs::path&) override {
            return std::make_error_code(std::errc::permission_denied);
        }
    } seam;
    TempDir dir;
    const fs::path target = dir.Write("a.srt", "old");
    WriteOptions options;
    options.seam = &seam;
    const WriteResult result = WriteTextFile(target, "new", Charset::Utf8, options);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, FailureKind::ReplaceFailed);
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(EntryNames(dir.path()), std::vector<std::string>{"a.srt"});
}

TEST(WriteTextFile, ReplacesByRenameSoAHardLinkKeepsTheOldBytes) {
    TempDir dir;
    const auto path = dir.Write("sub.srt", "old");
    fs::create_hard_link(path, dir / "link.srt");
    ASSERT_FALSE(WriteTextFile(path, "new", Charset::Gb2312).failure);
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(ReadBytes(dir / "link.srt"), "old");
}

TEST(WriteTextFile, MissingFolderFailsWithTheSystemsReason) {
    TempDir dir;
    const WriteResult result = WriteTextFile(dir / "missing/sub.srt", "text", Charset::Utf8);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, FailureKind::TempCreateFailed);
    EXPECT_EQ(result.failure->code, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(result.failure->originalKept);
    EXPECT_EQ(EntryNames(dir.path()), std::vector<std::string>{});
}

TEST(WriteTextFile, LongChineseFileName) {
    // 80 Chinese characters take 240 of the 255 bytes a file name may have;
    // the temporary name beside it must still fit.
    TempDir dir;
    std::string name = Repeat("字", 80) + ".srt";
    const WriteResult result = WriteTextFile(dir / name, "text", Charset::Utf8);
    ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
    EXPECT_EQ(EntryNames(dir.path()), std::vector<std::string>{name});
}

TEST(WriteTextFile, FolderAsTargetIsRefused) {
    TempDir dir;
    fs::create_directory(dir / "sub.srt");
    const WriteResult result = WriteTextFile(dir / "sub.srt", "text", Charset::Utf8);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, FailureKind::TargetIsFolder);
    EXPECT_TRUE(fs::is_directory(dir / "sub.srt"));
}

#ifndef _WIN32
unsigned ModeOf(const fs::path& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

unsigned Umask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

struct ModeCase {
    const char* name;
    unsigned oldMode;     // 0: no target yet
    unsigned modeForNew;  // 0: none given
    unsigned expected;    // before the umask, for a new file
    bool appliesUmask;
};

class WriteMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(WriteMode, PrivateWhileWrittenThenTheFinalMode) {
    const ModeCase& c = GetParam();
    TempDir dir;
    const auto path = dir / "sub.srt";
    if (c.oldMode != 0) {
        dir.Write("sub.srt", "old");
        fs::permissions(path, static_cast<fs::perms>(c.oldMode));
    }
    TestDisk disk;
    WriteOptions options{{}, &disk};
    if (c.modeForNew != 0) {
        options.modeForNew = c.modeForNew;
    }
    ASSERT_FALSE(WriteTextFile(path, "new", Charset::Utf8, options).failure);
    EXPECT_EQ(disk.modeWhileWriting, 0600u);
    EXPECT_EQ(ModeOf(path), c.appliesUmask ? c.expected & ~Umask() : c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteMode,
    ::testing::Values(ModeCase{"replaced_keeps_0640", 0640, 0644, 0640, false},
                      ModeCase{"replaced_keeps_0600", 0600, 0, 0600, false},
                      ModeCase{"new_takes_the_sources_0600", 0, 0600, 0600, true},
                      ModeCase{"new_takes_the_sources_0664", 0, 0664, 0664, true},
                      ModeCase{"new_without_a_source", 0, 0, 0666, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteTextFile, ALinkAtTheTargetIsReplacedNotFollowed) {
    TempDir dir;
    const auto secret = dir.Write("secret.txt", "keep me");
    fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(secret, dir / "sub.srt");
    ASSERT_FALSE(WriteTextFile(dir / "sub.srt", "new", Charset::Gb2312, {0644u, nullptr}).failure);
    EXPECT_FALSE(fs::is_symlink(dir / "sub.srt"));
    EXPECT_EQ(ModeOf(dir / "sub.srt"), 0644u & ~Umask());
    EXPECT_EQ(ReadBytes(secret), "keep me");
}

TEST(ReadFileBytes, RefusesAFifoWithoutWaitingForAWriter) {
    TempDir dir;
    const auto fifo = dir / "x.srt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const BytesResult read = ReadFileBytes(fifo);
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(read.failure->kind, FailureKind::NotRegularFile);
}

TEST(ReadFileBytes, RefusesADeviceBehindALink) {
    TempDir dir;
    fs::create_symlink("/dev/zero", dir / "z.srt");
    const BytesResult read = ReadFileBytes(dir / "z.srt");
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(read.failure->kind, FailureKind::NotRegularFile);
}

TEST(RemovePendingTemporaryFiles, TakesTheHalfWrittenFileAway) {
    TempDir dir;
    dir.Write("sub.srt", "old");
    AtomicFileWriter writer(dir / "sub.srt");
    ASSERT_TRUE(writer.Write("half"));
    EXPECT_EQ(EntryNames(dir.path()).size(), 2u);
    RemovePendingTemporaryFiles();
    EXPECT_EQ(EntryNames(dir.path()), std::vector<std::string>{"sub.srt"});
    EXPECT_EQ(ReadBytes(dir / "sub.srt"), "old");
}
#endif

}  // namespace
}  // namespace orvane::textio
