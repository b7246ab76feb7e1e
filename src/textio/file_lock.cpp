// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/file_lock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvane::textio {
namespace fs = std::filesystem;

namespace {

using Stamp = std::array<std::uint64_t, 5>;  // device, inode, size, change time (s, ns)

#ifdef _WIN32
int OpenToLock(const fs::path& path) {
    // Shared for deleting too: the finished file must still be able to
    // replace the locked one by rename.
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
    if (fd < 0) {
        CloseHandle(handle);
    }
    return fd;
}
int CloseFd(int fd) {
    return _close(fd);
}
std::optional<Stamp> StampOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION file{};
    if (!GetFileInformationByHandle(handle, &file)) {
        return std::nullopt;
    }
    return Stamp{file.dwVolumeSerialNumber,
                 (std::uint64_t{file.nFileIndexHigh} << 32) | file.nFileIndexLow,
                 (std::uint64_t{file.nFileSizeHigh} << 32) | file.nFileSizeLow,
                 file.ftLastWriteTime.dwHighDateTime, file.ftLastWriteTime.dwLowDateTime};
}
std::optional<Stamp> StampOfFd(int fd) {
    return StampOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
}
std::optional<Stamp> StampOfPath(const fs::path& path) {
    const HANDLE handle =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::optional<Stamp> stamp = StampOfHandle(handle);
    CloseHandle(handle);
    return stamp;
}
bool LockIsBusy() {
    return GetLastError() == ERROR_LOCK_VIOLATION;
}
#else
int OpenToLock(const fs::path& path) {
    // Without blocking: a FIFO put in the file's place opens at once.
    return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}
int CloseFd(int fd) {
    return close(fd);
}
Stamp StampOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size), static_cast<std::uint64_t>(st.st_ctim.tv_sec),
            static_cast<std::uint64_t>(st.st_ctim.tv_nsec)};
}
std::optional<Stamp> StampOfFd(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 ? std::optional<Stamp>(StampOf(st)) : std::nullopt;
}
std::optional<Stamp> StampOfPath(const fs::path& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? std::optional<Stamp>(StampOf(st)) : std::nullopt;
}
bool LockIsBusy() {
    return errno == EWOULDBLOCK || errno == EINTR;
}
#endif

bool SameFile(const std::optional<Stamp>& a, const std::optional<Stamp>& b) {
    return a && b && (*a)[0] == (*b)[0] && (*a)[1] == (*b)[1];
}

Failure LockFailure(FailureKind kind, const fs::path& path, std::error_code code = {}) {
    Failure failure;
    failure.kind = kind;
    failure.path = path;
    failure.code = code;
    return failure;
}

// ".NAME.orvane-XXXXXXXX.tmp", as the writer names its temporary files.
bool IsTemporaryName(const std::string& name) {
    constexpr std::string_view kTail = ".tmp";
    constexpr std::string_view kMiddle = ".orvane-";
    constexpr std::size_t kRandom = 8;
    const std::size_t minimum = 1 + kMiddle.size() + kRandom + kTail.size();
    if (name.size() < minimum || name[0] != '.' ||
        name.compare(name.size() - kTail.size(), kTail.size(), kTail) != 0) {
        return false;
    }
    const std::size_t random = name.size() - kTail.size() - kRandom;
    if (name.compare(random - kMiddle.size(), kMiddle.size(), kMiddle) != 0) {
        return false;
    }
    for (std::size_t i = random; i < random + kRandom; ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool TryLockOpenFile(int fd) {
#ifdef _WIN32
    // One byte far past the end of any subtitle file: readers are not kept out.
    OVERLAPPED beyondEnd{};
    beyondEnd.Offset = 0xFFFFFFFE;
    beyondEnd.OffsetHigh = 0x7FFFFFFF;
    return LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)),
                      LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &beyondEnd) != 0;
#else
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
#endif
}

FileLock FileLock::Acquire(const fs::path& path, std::chrono::milliseconds wait) {
    FileLock lock;
    lock.path_ = path;
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    while (true) {
        const int fd = OpenToLock(path);
        if (fd < 0) {
            // The reader says why in its own words.
            return lock;
        }
        const bool locked = TryLockOpenFile(fd);
        // Without locks on this file system the change check still stands.
        if (locked || !LockIsBusy()) {
            const std::optional<Stamp> held = StampOfFd(fd);
            // A run that committed meanwhile replaced the file: lock the new one.
            if (SameFile(held, StampOfPath(path))) {
                lock.fd_ = fd;
                std::copy(held->begin(), held->end(), lock.stamp_);
                return lock;
            }
            CloseFd(fd);
            continue;
        }
        CloseFd(fd);
        if (std::chrono::steady_clock::now() >= giveUp) {
            lock.failure_ = LockFailure(FailureKind::BeingShifted, path);
            return lock;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FileLock::FileLock(FileLock&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_), failure_(std::move(other.failure_)) {
    std::copy(std::begin(other.stamp_), std::end(other.stamp_), stamp_);
    other.fd_ = -1;
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        CloseFd(fd_);
    }
}

bool FileLock::Unchanged() const {
    if (fd_ < 0) {
        return true;  // nothing was locked: the reader found no file to check
    }
    const std::optional<Stamp> now = StampOfPath(path_);
    return now && std::equal(now->begin(), now->end(), stamp_);
}

void RemoveStaleTemporaryFiles(const fs::path& folder) {
    const auto staleBefore = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code entryError;
        if (!IsTemporaryName(it->path().filename().string()) || !it->is_regular_file(entryError) ||
            it->is_symlink(entryError) || it->last_write_time(entryError) > staleBefore ||
            entryError) {
            continue;
        }
        const int fd = OpenToLock(it->path());
        if (fd < 0) {
            continue;
        }
        // A live writer, even on another machine over a share, holds it.
        if (TryLockOpenFile(fd) && SameFile(StampOfFd(fd), StampOfPath(it->path()))) {
#ifdef _WIN32
            CloseFd(fd);
            fs::remove(it->path(), entryError);
            continue;
#else
            fs::remove(it->path(), entryError);
#endif
        }
        CloseFd(fd);
    }
}

}  // namespace orvane::textio
