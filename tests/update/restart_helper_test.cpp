// SPDX-License-Identifier: GPL-3.0-or-later
// The restart helper over archives made here with libarchive (zip and tar
// content under the name "Velmora.rar"): after every run the program folder
// holds exactly the files and modes it should, and nothing lands outside.
#include "update/restart_helper.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace orvane::update {
namespace {
namespace fs = std::filesystem;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;

enum class Format { Tar, Zip };

struct Entry {
    std::string name;
    unsigned type = AE_IFREG;
    std::string content;  // a regular file's bytes, or a link's target
    bool hardLink = false;
    int perm = 0644;
};

void MakeArchive(const fs::path& path, Format format, const std::vector<Entry>& entries) {
    archive* out = archive_write_new();
    if (format == Format::Zip) {
        archive_write_set_format_zip(out);
    } else {
        archive_write_set_format_pax_restricted(out);
    }
    archive_write_open_filename(out, path.c_str());
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        archive_entry_set_perm(entry, static_cast<mode_t>(e.perm));
        archive_entry_set_filetype(entry, e.hardLink ? AE_IFREG : e.type);
        if (e.hardLink) {
            archive_entry_set_hardlink(entry, e.content.c_str());
        } else if (e.type == AE_IFLNK) {
            archive_entry_set_symlink(entry, e.content.c_str());
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

// Every file and folder under `folder`: "0644 bytes" for a file, "0755/"
// for a folder, "link" for a link.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).generic_string();
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o",
                      static_cast<unsigned>(entry.symlink_status().permissions()));
        if (entry.is_symlink()) {
            contents[name] = "link";
        } else if (entry.is_directory()) {
            contents[name] = std::string(mode) + "/";
        } else {
            contents[name] = std::string(mode) + " " + ReadBytes(entry.path());
        }
    }
    return contents;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
    }
    return lines;
}

// A program folder with an old program that, run, leaves a mark.
struct Program {
    TempDir dir;
    fs::path folder = dir / "program";
    fs::path mark = dir / "ran";
    fs::path archive = dir / "Velmora.rar";
    std::string script = "#!/bin/sh\ntouch '" + mark.string() + "'\n";
    Program() {
        fs::create_directories(folder / "lib");
        fs::permissions(folder / "lib", fs::perms(0750));
        dir.Write("program/orvane", script);
        dir.Write("program/data.txt", "old data");
        dir.Write("program/lib/plugin.so", "old plugin");
        fs::permissions(folder / "orvane", fs::perms(0755));
        fs::permissions(folder / "data.txt", fs::perms(0640));
        fs::permissions(folder / "lib/plugin.so", fs::perms(0644));
    }
    std::map<std::string, std::string> Old() const {
        return {{"data.txt", "0640 old data"},
                {"lib", "0750/"},
                {"lib/plugin.so", "0644 old plugin"},
                {"orvane", "0755 " + script}};
    }
    // Runs Tarrow as the program hands over to it; its exit status.
    int RunTarrow(const std::string& handOver) {
        const std::string command = std::string("'") + TARROW_PATH + "' '" + handOver + "' 0 '" +
                                    folder.string() + "' orvane 2>/dev/null";
        const int status = std::system(command.c_str());
        return WEXITSTATUS(status);
    }
    int RunTarrow() { return RunTarrow(MakeHandOver({archive, "orvane", "Orvane"})); }
    std::string Log() const { return ReadBytes(dir / "Tarrow.log"); }
};

TEST(Tarrow, ReplacesTheFilesKeepingTheirModesAndStartsTheProgram) {
    for (const Format format : {Format::Tar, Format::Zip}) {
        Program program;
        // Made on Windows: no mode bits at all, except the new tool's.
        MakeArchive(program.archive, format,
                    {{"data.txt", AE_IFREG, "new data", false, 0},
                     {"sub/more.txt", AE_IFREG, "more", false, 0},
                     {"sub/tool", AE_IFREG, "tool", false, 0755},
                     {"orvane", AE_IFREG, program.script + "#new\n", false, 0}});
        EXPECT_EQ(program.RunTarrow(), 0);
        EXPECT_EQ(Contents(program.folder), (std::map<std::string, std::string>{
                                                {"data.txt", "0640 new data"},
                                                {"lib", "0750/"},
                                                {"lib/plugin.so", "0644 old plugin"},
                                                {"orvane", "0755 " + program.script + "#new\n"},
                                                {"sub", "0755/"},
                                                {"sub/more.txt", "0644 more"},
                                                {"sub/tool", "0755 tool"}}));
        for (int i = 0; i < 200 && !fs::exists(program.mark); ++i) {
            std::system("sleep 0.01");
        }
        EXPECT_TRUE(fs::exists(program.mark));
        EXPECT_EQ(Lines(program.Log()),
                  std::vector<std::string>{"installed 4 files into " + program.folder.string()});
    }
}

struct HostileCase {
    const char* name;
    Format format;
    std::vector<Entry> entries;
    std::string logSays;
    std::string mustNotExist;          // a path the entry names, under the test folder
    std::vector<Entry> appended = {};  // a second tar written after the first
};

class HostileArchive : public ::testing::TestWithParam<HostileCase> {};

// "@" in an entry's name stands for the test folder.
std::vector<Entry> Placed(std::vector<Entry> entries, const fs::path& dir) {
    for (Entry& entry : entries) {
        if (const auto at = entry.name.find('@'); at != std::string::npos) {
            entry.name.replace(at, 1, dir.string());
        }
    }
    return entries;
}

TEST_P(HostileArchive, ChangesNothingAndSaysWhy) {
    const HostileCase& c = GetParam();
    Program program;
    MakeArchive(program.archive, c.format, Placed(c.entries, program.dir.path()));
    if (!c.appended.empty()) {
        const fs::path second = program.dir / "second.tar";
        MakeArchive(second, Format::Tar, c.appended);
        std::ofstream(program.archive, std::ios::app | std::ios::binary) << ReadBytes(second);
        fs::remove(second);
    }
    EXPECT_EQ(program.RunTarrow(), 1);
    EXPECT_EQ(Contents(program.folder), program.Old());
    const std::vector<std::string> log = Lines(program.Log());
    ASSERT_EQ(log.size(), 1u) << program.Log();
    EXPECT_EQ(log[0].rfind("refused: ", 0), 0u) << log[0];
    EXPECT_NE(log[0].find(c.logSays), std::string::npos) << log[0];
    EXPECT_NE(log[0].find("nothing changed"), std::string::npos) << log[0];
    if (!c.mustNotExist.empty()) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(program.dir / c.mustNotExist)));
    }
}

const std::string kBig(std::size_t{20} << 20, '\0');

const HostileCase kHostile[] = {
    {"duplicate_tar",
     Format::Tar,
     {{"orvane", AE_IFREG, "new 1"}, {"readme.txt", AE_IFREG, "r"}, {"orvane", AE_IFREG, "new 2"}},
     R"("orvane" appears twice in the archive)",
     ""},
    {"duplicate_zip",
     Format::Zip,
     {{"orvane", AE_IFREG, "new 1"}, {"readme.txt", AE_IFREG, "r"}, {"orvane", AE_IFREG, "new 2"}},
     R"("orvane" appears twice in the archive)",
     ""},
    {"duplicate_dot_slash",
     Format::Tar,
     {{"orvane", AE_IFREG, "new 1"}, {"./orvane", AE_IFREG, "new 2"}},
     R"("orvane" appears twice in the archive)",
     ""},
    {"duplicate_in_appended_tar",
     Format::Tar,
     {{"orvane", AE_IFREG, "new 1"}},
     R"("orvane" appears twice in the archive)",
     "",
     {{"orvane", AE_IFREG, "new 2"}}},
    {"file_and_folder",
     Format::Tar,
     {{"sub", AE_IFREG, "x"}, {"sub/a.txt", AE_IFREG, "y"}},
     R"("sub" is both a file and a folder in the archive)",
     ""},
    {"backup_suffix",
     Format::Tar,
     {{"data.txt", AE_IFREG, "new"}, {"data.txt.tarrow-old", AE_IFREG, "x"}},
     "has a name the helper keeps for its own files",
     ""},
    {"hard_link_inside",
     Format::Tar,
     {{"data.txt", AE_IFREG, "new"}, {"copy.txt", AE_IFREG, "data.txt", true}},
     R"("copy.txt" is a hard link; links are not installed)",
     ""},
    {"hard_link_outside",
     Format::Tar,
     {{"passwd", AE_IFREG, "/etc/passwd", true}},
     "is a hard link",
     "program/passwd"},
    {"symlink_inside",
     Format::Tar,
     {{"data.txt", AE_IFREG, "new"}, {"link", AE_IFLNK, "data.txt"}},
     R"("link" is a symbolic link; links are not installed)",
     ""},
    {"symlink_then_file_through_it",
     Format::Tar,
     {{"up", AE_IFLNK, ".."}, {"up/evil", AE_IFREG, "x"}},
     "is a symbolic link",
     "evil"},
    {"dot_dot", Format::Tar, {{"../evil", AE_IFREG, "x"}}, R"(climbs out with "..")", "evil"},
    {"absolute", Format::Tar, {{"@/evil", AE_IFREG, "x"}}, "has an absolute path", "evil"},
    {"newline_in_name",
     Format::Tar,
     {{"a\nrefused: forged", AE_IFREG, "x"}},
     R"(entry "a\x0arefused: forged" has a control character in its name)",
     ""},
    {"c1_control_in_name",
     Format::Zip,
     {{"a\xC2\x9B.txt", AE_IFREG, "x"}},
     R"("a\u+009b.txt" has a control character)",
     ""},
    {"fifo", Format::Tar, {{"pipe", AE_IFIFO, ""}}, "is a device, FIFO or socket", ""},
    {"zip_bomb",
     Format::Zip,
     {{"big.bin", AE_IFREG, kBig}},
     "the archive unpacks to more than",
     "program/big.bin"},
    {"file_replacing_a_folder",
     Format::Tar,
     {{"data.txt", AE_IFREG, "new"}, {"lib", AE_IFREG, "x"}},
     R"("lib" is a folder in the program folder; a file cannot replace it)",
     ""},
    {"folder_in_place_of_a_file",
     Format::Tar,
     {{"data.txt/x", AE_IFREG, "new"}},
     R"("data.txt" is a file in the program folder)",
     ""},
};

INSTANTIATE_TEST_SUITE_P(Table, HostileArchive, ::testing::ValuesIn(kHostile),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Tarrow, AMalformedHandOverIsLoggedInTheProgramFolder) {
    Program program;
    EXPECT_EQ(program.RunTarrow("no tabs here"), 2);
    EXPECT_EQ(Contents(program.folder).count("Tarrow.log"), 1u);
    const std::string log = ReadBytes(program.folder / "Tarrow.log");
    EXPECT_EQ(log.rfind("refused: the hand-over is not", 0), 0u) << log;
}

TEST(ExtractArchive, LimitsHoldForEntriesAndForBytesRead) {
    TempDir dir;
    MakeArchive(dir / "a.tar", Format::Tar,
                {{"a", AE_IFREG, "1"}, {"b", AE_IFREG, "2"}, {"c", AE_IFREG, "3"}});
    fs::create_directories(dir / "out");
    std::vector<StagedFile> files;
    EXPECT_EQ(ExtractArchive(dir / "a.tar", dir / "out", files, {1000, 200, 2}),
              Refusal("the archive has more than 2 entries"));
    EXPECT_TRUE(fs::is_empty(dir / "out"));
    // A zip cut before its central directory is read as a stream, without
    // the sizes of its deflated 64 KB of zeros.
    MakeArchive(dir / "a.zip", Format::Zip, {{"zeros", AE_IFREG, std::string(65536, '\0')}});
    std::string bytes = ReadBytes(dir / "a.zip");
    bytes.resize(bytes.find("PK\x01\x02"));
    dir.Write("a.zip", bytes);
    EXPECT_EQ(ExtractArchive(dir / "a.zip", dir / "out", files),
              Refusal("the archive unpacks to more than " + std::to_string(200 * bytes.size()) +
                      " bytes (at most 1073741824 bytes and 200 times the archive's size)"));
}

TEST(ExtractArchive, AFullDiskNamesItsCause) {
    TempDir dir;
    MakeArchive(dir / "a.tar", Format::Tar, {{"a.txt", AE_IFREG, "bytes"}});
    fs::create_directories(dir / "out");
    DiskSteps full = RealDisk();
    full.write = [](std::FILE*, const char*, std::size_t) {
        return std::error_code(ENOSPC, std::generic_category());
    };
    std::vector<StagedFile> files;
    EXPECT_EQ(ExtractArchive(dir / "a.tar", dir / "out", files, {}, full),
              Refusal(R"(cannot write "a.txt": No space left on device)"));
}

// A program folder with a.txt and b.txt and staged new versions of both
// and a new c.txt.
struct Staged {
    TempDir dir;
    std::vector<StagedFile> files = {{"a.txt"}, {"b.txt"}, {"new/c.txt"}};
    Staged() {
        fs::create_directories(dir / "staging/new");
        fs::create_directories(dir / "program");
        dir.Write("staging/a.txt", "new a");
        dir.Write("staging/b.txt", "new b");
        dir.Write("staging/new/c.txt", "new c");
        dir.Write("program/a.txt", "old a");
        dir.Write("program/b.txt", "old b");
        fs::permissions(dir / "program/a.txt", fs::perms(0600));
        fs::permissions(dir / "program/b.txt", fs::perms(0640));
    }
    std::map<std::string, std::string> Old() const {
        return {{"a.txt", "0600 old a"}, {"b.txt", "0640 old b"}};
    }
};

TEST(InstallFiles, ARenameFailingHalfWayIsUndoneInReverse) {
    // Each rename in turn fails once: moving a.txt aside, putting it in
    // place, ... up to putting c.txt in place.
    for (int failing = 1; failing <= 5; ++failing) {
        Staged staged;
        int renames = 0;
        DiskSteps disk = RealDisk();
        const auto real = disk.rename;
        disk.rename = [&](const fs::path& from, const fs::path& to) {
            return ++renames == failing ? std::error_code(EIO, std::generic_category())
                                        : real(from, to);
        };
        const Refusal refusal = InstallFiles(staged.dir / "staging", staged.files,
                                             staged.dir / "program", "orvane", disk);
        ASSERT_TRUE(refusal) << failing;
        EXPECT_NE(refusal->find("Input/output error"), std::string::npos) << *refusal;
        EXPECT_EQ(Contents(staged.dir / "program"), staged.Old()) << *refusal;
    }
}

TEST(InstallFiles, TheUndoSaysWhatItPutBack) {
    Staged staged;
    int renames = 0;
    DiskSteps disk = RealDisk();
    const auto real = disk.rename;
    disk.rename = [&](const fs::path& from, const fs::path& to) {
        return ++renames == 5 ? std::error_code(EIO, std::generic_category()) : real(from, to);
    };
    EXPECT_EQ(
        InstallFiles(staged.dir / "staging", staged.files, staged.dir / "program", "orvane", disk),
        Refusal(R"(cannot put "new/c.txt" in place: Input/output error; undone: )"
                R"(restored "b.txt", restored "a.txt")"));
}

TEST(InstallFiles, AnUndoThatFailsSaysWhereTheOldFileIs) {
    Staged staged;
    int renames = 0;
    DiskSteps disk = RealDisk();
    const auto real = disk.rename;
    // Putting c.txt in place fails, and so does restoring b.txt.
    disk.rename = [&](const fs::path& from, const fs::path& to) {
        ++renames;
        return renames == 5 || renames == 6 ? std::error_code(EIO, std::generic_category())
                                            : real(from, to);
    };
    const Refusal refusal =
        InstallFiles(staged.dir / "staging", staged.files, staged.dir / "program", "orvane", disk);
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find(R"(; undone: restored "a.txt"; NOT undone: could not restore "b.txt")"
                            R"( (Input/output error); the old file is kept as )"),
              std::string::npos)
        << *refusal;
    const std::map<std::string, std::string> after = Contents(staged.dir / "program");
    EXPECT_EQ(after.at("a.txt"), "0600 old a");
    EXPECT_EQ(after.at("b.txt"), "0640 new b");  // the new one stayed: said so above
    const auto kept = std::find_if(after.begin(), after.end(),
                                   [](const auto& entry) { return entry.second == "0640 old b"; });
    ASSERT_NE(kept, after.end());
    EXPECT_NE(refusal->find(kept->first), std::string::npos) << kept->first;
}

TEST(InstallFiles, AReadOnlyFileRefusesBeforeAnythingMoves) {
    Staged staged;
    fs::permissions(staged.dir / "program/b.txt", fs::perms(0444));
    EXPECT_EQ(InstallFiles(staged.dir / "staging", staged.files, staged.dir / "program", "orvane"),
              Refusal(R"("b.txt" is read-only; nothing changed)"));
    EXPECT_EQ(
        Contents(staged.dir / "program"),
        (std::map<std::string, std::string>{{"a.txt", "0600 old a"}, {"b.txt", "0444 old b"}}));
}

TEST(EscapeForLog, ControlsBidiMarksAndInvalidBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain 中文.txt", "plain 中文.txt"},
        {"a\nb\tc", R"(a\x0ab\x09c)"},
        {"\x7f", R"(\x7f)"},
        {"\xC2\x9B", R"(\u+009b)"},
        {"\xE2\x80\xAEtxt.exe", R"(\u+202etxt.exe)"},
        {"\xFF\xC3", R"(\xff\xc3)"},
        {"\xC0\xAF", R"(\xc0\xaf)"},  // an overlong "/"
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(EscapeForLog(text), escaped);
    }
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
