// SPDX-License-Identifier: GPL-3.0-or-later
// The restart helper over archives made here with libarchive (zip and tar
// content under the name "Velmora.rar").
#include "update/restart_helper.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace orvane::update {
namespace {
namespace fs = std::filesystem;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;

struct Entry {
    std::string name;
    unsigned type = AE_IFREG;
    std::string content;  // a regular file's bytes, or a link's target
    bool hardLink = false;
};

void MakeArchive(const fs::path& path, bool zip, const std::vector<Entry>& entries) {
    archive* out = archive_write_new();
    if (zip) {
        archive_write_set_format_zip(out);
    } else {
        archive_write_set_format_pax_restricted(out);
    }
    archive_write_open_filename(out, path.c_str());
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        archive_entry_set_perm(entry, 0755);
        if (e.hardLink) {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_hardlink(entry, e.content.c_str());
        } else {
            archive_entry_set_filetype(entry, e.type);
            if (e.type == AE_IFLNK) {
                archive_entry_set_symlink(entry, e.content.c_str());
            }
        }
        const bool data = e.type == AE_IFREG && !e.hardLink;
        archive_entry_set_size(entry, data ? la_int64_t(e.content.size()) : 0);
        archive_write_header(out, entry);
        if (data) {
            archive_write_data(out, e.content.data(), e.content.size());
        }
        archive_entry_free(entry);
    }
    archive_write_close(out);
    archive_write_free(out);
}

// A program folder with an old program that, run, leaves a mark.
struct Program {
    TempDir dir;
    fs::path folder = dir / "program";
    fs::path mark = dir / "ran";
    Program() {
        fs::create_directories(folder);
        dir.Write("program/orvane", "#!/bin/sh\ntouch '" + mark.string() + "'\n");
        dir.Write("program/data.txt", "old data");
        fs::permissions(folder / "orvane", fs::perms::owner_all);
    }
    // Runs Tarrow as the program hands over to it; its exit status.
    int RunTarrow(const fs::path& archive) {
        const std::string handOver = MakeHandOver({archive, "orvane", "Orvane"});
        const std::string command = std::string("'") + TARROW_PATH + "' '" + handOver + "' 0 '" +
                                    folder.string() + "' orvane";
        const int status = std::system(command.c_str());
        return WEXITSTATUS(status);
    }
};

class GoodArchive : public ::testing::TestWithParam<bool> {};

TEST_P(GoodArchive, ReplacesTheFilesAndStartsTheProgram) {
    Program program;
    const fs::path archive = program.dir / "Velmora.rar";
    MakeArchive(archive, GetParam(),
                {{"data.txt", AE_IFREG, "new data"},
                 {"sub/more.txt", AE_IFREG, "more"},
                 {"orvane", AE_IFREG, "#!/bin/sh\ntouch '" + program.mark.string() + "'\n"}});
    EXPECT_EQ(program.RunTarrow(archive), 0);
    EXPECT_EQ(ReadBytes(program.folder / "data.txt"), "new data");
    EXPECT_EQ(ReadBytes(program.folder / "sub" / "more.txt"), "more");
    for (int i = 0; i < 200 && !fs::exists(program.mark); ++i) {
        std::system("sleep 0.01");
    }
    EXPECT_TRUE(fs::exists(program.mark));
    EXPECT_NE(ReadBytes(program.dir / "Tarrow.log").find("installed 3 files"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(ZipAndTar, GoodArchive, ::testing::Values(true, false));

struct EvilCase {
    const char* name;
    Entry entry;
};

class EvilArchive : public ::testing::TestWithParam<EvilCase> {};

TEST_P(EvilArchive, InstallsNothing) {
    Program program;
    const fs::path archive = program.dir / "Velmora.rar";
    MakeArchive(archive, false, {{"data.txt", AE_IFREG, "new data"}, GetParam().entry});
    EXPECT_EQ(program.RunTarrow(archive), 1);
    EXPECT_EQ(ReadBytes(program.folder / "data.txt"), "old data");
    EXPECT_FALSE(fs::exists(program.dir / "evil"));
    EXPECT_NE(ReadBytes(program.dir / "Tarrow.log").find("refused"), std::string::npos);
}

const EvilCase kEvil[] = {
    {"dot_dot", {"../evil", AE_IFREG, "x"}},
    {"absolute", {"/tmp/orvane-tarrow-evil", AE_IFREG, "x"}},
    {"symlink_to_etc", {"etc", AE_IFLNK, "/etc"}},
    {"symlink_climbing_out", {"up", AE_IFLNK, "../../evil"}},
    // Inside by its text, but a step of a chain that leads out.
    {"symlink_climbing_within", {"sub/up", AE_IFLNK, ".."}},
    {"hard_link_outside", {"passwd", AE_IFREG, "/etc/passwd", true}},
    {"fifo", {"pipe", AE_IFIFO, ""}},
};

INSTANTIATE_TEST_SUITE_P(Table, EvilArchive, ::testing::ValuesIn(kEvil),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InstallFiles, PutsBackWhatItReplacedWhenAStepFails) {
    TempDir dir;
    fs::create_directories(dir / "staging");
    fs::create_directories(dir / "program");
    dir.Write("staging/a.txt", "new a");
    dir.Write("staging/b.txt", "new b");
    dir.Write("program/a.txt", "old a");
    const fs::path locked = dir.Write("program/b.txt", "old b");
    fs::permissions(locked, fs::perms::owner_read);
    const Refusal refusal = InstallFiles(dir / "staging", {"a.txt", "b.txt"}, dir / "program");
    ASSERT_TRUE(refusal);
    EXPECT_EQ(ReadBytes(dir / "program" / "a.txt"), "old a");
    EXPECT_EQ(ReadBytes(dir / "program" / "b.txt"), "old b");
    EXPECT_EQ(orvane::testing::EntryNames(dir / "program"),
              (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(HandOver, FourFieldsSeparatedByTabs) {
    const std::string text = MakeHandOver({"/w/Velmora.rar", "orvane", "Orvane【发现有更新版本】"});
    EXPECT_EQ(text, "/w/Velmora.rar\t1\torvane\tOrvane【发现有更新版本】");
    const auto back = ParseHandOver(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->archive, "/w/Velmora.rar");
    EXPECT_FALSE(ParseHandOver("/w/Velmora.rar\t2\ta\tb"));
    EXPECT_FALSE(ParseHandOver("only one field"));
}

}  // namespace
}  // namespace orvane::update
