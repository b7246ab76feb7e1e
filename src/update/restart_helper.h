// SPDX-License-Identifier: GPL-3.0-or-later
// What the restart helper (Tarrow) does once the program has ended: check
// the update archive whole, unpack it into a fresh folder, then replace the
// program's files, undoing every step in reverse when any step fails, so the
// program is never left half replaced. Standard C++ and libarchive only.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace orvane::update {

// Why an archive or an installation was refused; empty when it was not.
using Refusal = std::optional<std::string>;

// What an archive may unpack to; headers can lie, so these hold while
// unpacking too.
struct ArchiveLimits {
    std::uint64_t totalBytes = std::uint64_t{1} << 30;  // 1 GB unpacked
    std::uint64_t ratio = 200;                          // unpacked / archive size
    std::size_t entries = 10000;
};

// The disk steps that can fail half-way; tests hand in failing ones.
struct DiskSteps {
    std::function<std::error_code(std::FILE*, const char*, std::size_t)> write;
    std::function<std::error_code(const std::filesystem::path&, const std::filesystem::path&)>
        rename;
};
DiskSteps RealDisk();

// A file unpacked into the staging folder.
struct StagedFile {
    std::filesystem::path relative;
    bool executable = false;  // the archive gives it an executable bit
};

// Unpacks `archive` (RAR, RAR5, zip, 7z, tar, whatever its name) into
// `destination`, which must be an empty folder. The whole archive is looked
// at first and refused, before anything is written, for: an absolute path or
// "..", links of any kind, devices, FIFOs and sockets, control characters in
// a name, a name the helper uses for its own folders, a path that appears
// twice (once "./" is dropped) or as a file and a folder, more entries or
// more bytes than `limits` allow.
Refusal ExtractArchive(const std::filesystem::path& archive,
                       const std::filesystem::path& destination, std::vector<StagedFile>& files,
                       const ArchiveLimits& limits = {}, const DiskSteps& disk = RealDisk());

// Moves each of `files` from `staging` into `programDir`. Every file checked
// first (a folder or a read-only file in the way refuses the whole, nothing
// changed); a replaced file keeps its mode, a new one gets 0755 when it is
// `programName` or executable in the archive, else 0644. The old files wait
// in a fresh private folder in `programDir`; on any failure every step is
// undone in reverse and the refusal says exactly what was put back.
Refusal InstallFiles(const std::filesystem::path& staging, const std::vector<StagedFile>& files,
                     const std::filesystem::path& programDir,
                     const std::filesystem::path& programName, const DiskSteps& disk = RealDisk());

// A new folder named PREFIX followed by random digits in `parent`, open to
// this user alone; empty when none could be made.
std::filesystem::path MakeFreshFolder(const std::filesystem::path& parent,
                                      const std::string& prefix);

// The prefix of every folder the helper makes in the program folder; no
// archive entry may use it.
inline constexpr const char* kWorkPrefix = ".tarrow-";

// Text for one log line: C0 and C1 controls, DEL, bidirectional overrides
// and bytes that are not UTF-8 written as \xNN or \u+NNNN.
std::string EscapeForLog(const std::string& text);

// Waits until the process has ended, at most `limit`; false when it has not.
bool WaitForExit(long processId, std::chrono::milliseconds limit);

// The four TAB-separated fields the program hands over: the archive's path,
// "1", the application title, the window's caption.
struct HandOver {
    std::filesystem::path archive;
    std::string title;
    std::string caption;
};
std::optional<HandOver> ParseHandOver(const std::string& text);
std::string MakeHandOver(const HandOver& handOver);

}  // namespace orvane::update
