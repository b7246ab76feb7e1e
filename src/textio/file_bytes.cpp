// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/file_bytes.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <utility>

#ifdef _WIN32
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace orvane::textio {
namespace {

#ifndef _WIN32

// Below this a read costs less than setting up and removing a mapping.
constexpr std::size_t kSmallestMapped = std::size_t{64} * 1024;

// ---- a file cut short under its mapping ------------------------------------------
//
// Reading a mapped page past the end of a file that shrank raises SIGBUS,
// which would end the program. The handler below puts zero-filled memory in
// place of the rest of that mapping and marks it cut short; the read that
// faulted then goes on, and the owner refuses the text afterwards.

// A fixed table that the handler can read: no allocation, no locks.
struct GuardedRange {
    std::atomic<int> state{0};  // 0 free, 1 taken but not guarding yet, 2 guarded
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> cutShort{false};
};
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free);
std::array<GuardedRange, 64> gGuarded;
struct sigaction gPreviousBusAction {};
std::uintptr_t gPageSize = 4096;

// What SIGBUS did before: the program's own handler, or the default action.
void PassOnBusError(int signal, siginfo_t* info, void* context) {
    const struct sigaction& previous = gPreviousBusAction;
    const bool installed = previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN;
    if (installed && (previous.sa_flags & SA_SIGINFO) != 0) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (installed) {
        previous.sa_handler(signal);
        return;
    }
    // Ignoring a bus error would only repeat it: the program ends as it
    // would have without this handler.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(SIGBUS, &fallback, nullptr);
    raise(SIGBUS);
}

// Zero-filled memory in place of the rest of the guarded range that holds
// the faulting address; false when no range holds it.
bool ZeroFillRangeAt(std::uintptr_t address) {
    for (GuardedRange& range : gGuarded) {
        if (range.state.load(std::memory_order_acquire) != 2) {
            continue;
        }
        const std::uintptr_t end = range.end.load(std::memory_order_relaxed);
        if (address < range.begin.load(std::memory_order_relaxed) || address >= end) {
            continue;
        }
        const std::uintptr_t page = address & ~(gPageSize - 1);
        // NOLINTNEXTLINE(performance-no-int-to-ptr): a page address, from the kernel's
        void* zeros = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            range.cutShort.store(true, std::memory_order_relaxed);
            return true;
        }
    }
    return false;
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    // Only a fault (si_code > 0) has an address; a bus error sent by another
    // program is passed on.
    if (info->si_code > 0 && ZeroFillRangeAt(reinterpret_cast<std::uintptr_t>(info->si_addr))) {
        errno = savedErrno;
        return;  // the read that faulted runs again and finds zeros
    }
    PassOnBusError(signal, info, context);
    errno = savedErrno;
}

void InstallBusErrorHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        const long pageSize = sysconf(_SC_PAGESIZE);
        gPageSize = pageSize > 0 ? static_cast<std::uintptr_t>(pageSize) : 4096;
        // The previous action is read before ours takes its place, so a
        // fault in between never meets it half-written.
        sigaction(SIGBUS, nullptr, &gPreviousBusAction);
        struct sigaction action {};
        action.sa_sigaction = &OnBusError;
        action.sa_flags = SA_SIGINFO | SA_RESTART | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, nullptr);
    });
}

// A free slot of the table, taken; -1 when the table is full.
int TakeSlot() {
    for (std::size_t i = 0; i < gGuarded.size(); ++i) {
        int expected = 0;
        if (gGuarded[i].state.compare_exchange_strong(expected, 1)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Guard(int slot, const void* mapping, std::size_t bytes) {
    GuardedRange& range = gGuarded[static_cast<std::size_t>(slot)];
    const auto begin = reinterpret_cast<std::uintptr_t>(mapping);
    range.begin.store(begin, std::memory_order_relaxed);
    range.end.store(begin + ((bytes + gPageSize - 1) & ~(gPageSize - 1)),
                    std::memory_order_relaxed);
    range.cutShort.store(false, std::memory_order_relaxed);
    range.state.store(2, std::memory_order_release);
}

void FreeSlot(int slot) {
    gGuarded[static_cast<std::size_t>(slot)].state.store(0, std::memory_order_release);
}

#endif  // !_WIN32

}  // namespace

FileBytes::FileBytes(std::string text) : text_(std::move(text)), size_(text_.size()) {
    PointAtStorage();
}

FileBytes::FileBytes(std::unique_ptr<char[]> storage, std::size_t size)
    : storage_(std::move(storage)), size_(size) {
    PointAtStorage();
}

// A short string's characters live inside it and move with it.
void FileBytes::PointAtStorage() {
    data_ = mapping_ != nullptr ? static_cast<const char*>(mapping_)
            : storage_          ? storage_.get()
                                : text_.data();
}

std::optional<FileBytes> FileBytes::Map(int fd, std::size_t size) {
#ifdef _WIN32
    // Windows will not replace a file that is mapped, and an overwrite
    // replaces its source while the source's text is in use: read instead.
    (void)fd;
    (void)size;
    return std::nullopt;
#else
    const std::optional<FileStamp> stamp = StampOf(fd);
    if (size < kSmallestMapped || !stamp) {
        return std::nullopt;
    }
    InstallBusErrorHandler();
    const int slot = TakeSlot();
    if (slot < 0) {
        return std::nullopt;  // more files mapped at once than the table holds
    }
    void* mapping = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    const int kept = mapping == MAP_FAILED ? -1 : fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (kept < 0) {
        if (mapping != MAP_FAILED) {
            munmap(mapping, size);
        }
        FreeSlot(slot);
        return std::nullopt;
    }
    Guard(slot, mapping, size);
    FileBytes bytes;
    bytes.mapping_ = mapping;
    bytes.mappedBytes_ = size;
    bytes.guardSlot_ = slot;
    bytes.fd_ = kept;
    bytes.stamp_ = *stamp;
    bytes.size_ = size;
    bytes.PointAtStorage();
    return bytes;
#endif
}

FileBytes::FileBytes(FileBytes&& other) noexcept {
    *this = std::move(other);
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
    if (this != &other) {
        Release();
        text_ = std::move(other.text_);
        storage_ = std::move(other.storage_);
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappedBytes_ = std::exchange(other.mappedBytes_, 0);
        guardSlot_ = std::exchange(other.guardSlot_, -1);
        fd_ = std::exchange(other.fd_, -1);
        stamp_ = other.stamp_;
        front_ = std::exchange(other.front_, 0);
        size_ = std::exchange(other.size_, 0);
        PointAtStorage();
        other.PointAtStorage();
    }
    return *this;
}

FileBytes::~FileBytes() {
    Release();
}

void FileBytes::Release() {
#ifndef _WIN32
    if (mapping_ != nullptr) {
        FreeSlot(guardSlot_);
        munmap(mapping_, mappedBytes_);
        close(fd_);
    }
#endif
    mapping_ = nullptr;
    mappedBytes_ = 0;
    guardSlot_ = -1;
    fd_ = -1;
}

void FileBytes::DropFront(std::size_t count) {
    count = count < size_ ? count : size_;
    front_ += count;
    size_ -= count;
}

bool FileBytes::Changed() const {
#ifdef _WIN32
    return false;  // never mapped
#else
    if (mapping_ == nullptr) {
        return false;
    }
    if (gGuarded[static_cast<std::size_t>(guardSlot_)].cutShort.load(std::memory_order_relaxed)) {
        return true;
    }
    // A cut inside the last page, or a rewrite, raises no fault: the file's
    // stamp tells.
    const std::optional<FileStamp> now = StampOf(fd_);
    return !now || *now != stamp_;
#endif
}

std::optional<FileStamp> StampOf(int fd) {
#ifdef _WIN32
    struct _stat64 st {};
    if (_fstat64(fd, &st) != 0) {
        return std::nullopt;
    }
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    return FileStamp{static_cast<std::uint64_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtime) * kNsPerSecond, 0};
#else
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        return std::nullopt;
    }
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    return FileStamp{
        static_cast<std::uint64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNsPerSecond + st.st_mtim.tv_nsec,
        static_cast<std::int64_t>(st.st_ctim.tv_sec) * kNsPerSecond + st.st_ctim.tv_nsec};
#endif
}

}  // namespace orvane::textio
