// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/file_system.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace orvane::textio {

#ifdef _WIN32

PathInfo InspectPath(const std::filesystem::path& path) {
    PathInfo info;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            info.type = PathType::Other;
            info.code = std::error_code(static_cast<int>(error), std::system_category());
        }
        return info;
    }
    info.type = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathType::Folder : PathType::Regular;
    info.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    // Backup semantics opens folders too; no access is asked for, so a file
    // another program holds open can still be identified.
    const HANDLE handle =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        info.code = std::error_code(static_cast<int>(GetLastError()), std::system_category());
        return info;
    }
    if (info.type == PathType::Regular && GetFileType(handle) != FILE_TYPE_DISK) {
        info.type = PathType::Other;
    }
    BY_HANDLE_FILE_INFORMATION file{};
    if (GetFileInformationByHandle(handle, &file)) {
        info.id = FileId{file.dwVolumeSerialNumber,
                         (std::uint64_t{file.nFileIndexHigh} << 32) | file.nFileIndexLow};
        info.links = file.nNumberOfLinks;
    }
    CloseHandle(handle);
    return info;
}

bool IsSymlink(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

#else

PathInfo InspectPath(const std::filesystem::path& path) {
    PathInfo info;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            info.type = PathType::Other;
            info.code = std::error_code(errno, std::generic_category());
        }
        return info;
    }
    info.type = S_ISREG(st.st_mode)   ? PathType::Regular
                : S_ISDIR(st.st_mode) ? PathType::Folder
                                      : PathType::Other;
    info.id = FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    info.links = static_cast<std::uint64_t>(st.st_nlink);
    // Read-only as the file's mode says for everyone, or for this user: a
    // rename over the file would otherwise replace what its owner has
    // closed to them.
    info.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        info.readOnly = true;
        info.writeCode = std::error_code(errno, std::generic_category());
    }
    return info;
}

bool IsSymlink(const std::filesystem::path& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

#endif

}  // namespace orvane::textio
