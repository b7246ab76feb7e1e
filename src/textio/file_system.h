// SPDX-License-Identifier: GPL-3.0-or-later
// What a path names on the disk, asked without opening it: its type, the
// identity of the file behind it (device and inode, so two names of one file
// are known as one, through links and bind mounts alike) and whether it is
// read-only.
#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

namespace orvane::textio {

struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // NOLINTNEXTLINE(modernize-use-nullptr): a false alarm on "= default"
    auto operator<=>(const FileId&) const = default;
};

enum class PathType { Missing, Regular, Folder, Other };

struct PathInfo {
    PathType type = PathType::Missing;
    std::optional<FileId> id;   // for anything that exists
    bool readOnly = false;      // this user may not write to it, or no one may
    std::error_code writeCode;  // why not, when the system said (a read-only file system)
    std::uint64_t links = 1;    // how many names (hard links) the file has
    std::error_code code;       // why it could not be asked, if it exists but could not be
};

// Follows links: the information is about the file a link points to.
PathInfo InspectPath(const std::filesystem::path& path);

// Whether the path itself is a symbolic link.
bool IsSymlink(const std::filesystem::path& path);

}  // namespace orvane::textio
