// SPDX-License-Identifier: GPL-3.0-or-later
// One writer per file. Every run takes an advisory lock on a file from
// reading it to replacing it (flock on POSIX; on Windows a lock on a byte
// far beyond the end of the file, so players can still read it), and the
// writers of temporary files lock them while they exist, so a later run
// knows which of them were left by a run that died.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "textio/failure.h"

namespace orvane::textio {

// How long a run waits for another run to finish with a file.
inline constexpr std::chrono::milliseconds kLockWait{10000};

class FileLock {
public:
    // Locks the file `path` names, waiting up to `wait` while another run
    // holds it (then the failure is BeingShifted). A run that committed
    // meanwhile replaced the file: the new one is locked instead.
    static FileLock Acquire(const std::filesystem::path& path, std::chrono::milliseconds wait);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&&) = delete;
    FileLock(const FileLock&) = delete;
    ~FileLock();

    const std::optional<Failure>& failure() const { return failure_; }

    // The path still names the locked file, with the size and change time
    // it had when it was locked: no other program wrote to it since.
    bool Unchanged() const;

private:
    FileLock() = default;

    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t stamp_[5] = {};  // device, inode, size, change time (s, ns)
    std::optional<Failure> failure_;
};

// Takes the lock on an open file without waiting; false when another
// holds it (or the file system has no locks).
bool TryLockOpenFile(int fd);

// Removes the temporary files that runs which ended without cleaning up
// left in `folder`: those of Orvane's pattern that no writer holds locked
// and that are older than a minute.
void RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

}  // namespace orvane::textio
