// SPDX-License-Identifier: GPL-3.0-or-later
// What the restart helper (Tarrow) does once the program has ended: unpack
// the update archive into a fresh folder, refusing anything that could reach
// outside it, then replace the program's files one by one, putting back
// what it replaced when any step fails, so the program is never left half
// replaced. Standard C++ and libarchive only.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvane::update {

// Why an archive or an installation was refused; empty when it was not.
using Refusal = std::optional<std::string>;

// Unpacks `archive` (RAR, RAR5, zip, 7z, tar, whatever its name) into
// `destination`, which must be an empty folder. The whole archive is looked
// at first: an entry with an absolute path or "..", a device, FIFO or
// socket, or a link that points outside refuses it before anything is
// written. Fills `files` with the regular files' paths relative to it.
Refusal ExtractArchive(const std::filesystem::path& archive,
                       const std::filesystem::path& destination,
                       std::vector<std::filesystem::path>& files);

// Moves each of `files` from `staging` into `programDir` (by rename,
// replacing what is there). On any failure every file already replaced is
// put back as it was and the new ones are removed.
Refusal InstallFiles(const std::filesystem::path& staging,
                     const std::vector<std::filesystem::path>& files,
                     const std::filesystem::path& programDir);

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
