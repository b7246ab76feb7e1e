// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/file_bytes.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <utility>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
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
    std::atomic<int> state{0};  // 0 free, 1 being filled or emptied, 2 guarded
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> cutShort{false};
};
std::array<GuardedRange, 64> gGuarded;
struct sigaction gPreviousBusAction {};
std::uintptr_t gPageSize = 4096;

// What SIGBUS did before: the program's own handler, or the default action.
void PassOnBusError(int signal, siginfo_t* info, void* context) {
    const struct sigaction& previous = gPreviousBusAction;
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    // The faulting read runs again on return and ends the program as it
    // would have without this handler.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(SIGBUS, &fallback, nullptr);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
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
            return;
        }
    }
    PassOnBusError(signal, info, context);
}

void InstallBusErrorHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        const long pageSize = sysconf(_SC_PAGESIZE);
        gPageSize = pageSize > 0 ? static_cast<std::uintptr_t>(pageSize) : 4096;
        struct sigaction action {};
        action.sa_sigaction = &OnBusError;
        action.sa_flags = SA_SIGINFO | SA_RESTART | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &gPreviousBusAction);
    });
}

// Returns the range's slot, or -1 when the table is full.
int Guard(const void* mapping, std::size_t bytes) {
    InstallBusErrorHandler();
    const auto begin = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t pages = (bytes + gPageSize - 1) & ~(gPageSize - 1);
    for (std::size_t i = 0; i < gGuarded.size(); ++i) {
        int expected = 0;
        if (gGuarded[i].state.compare_exchange_strong(expected, 1)) {
            gGuarded[i].begin.store(begin, std::memory_order_relaxed);
            gGuarded[i].end.store(begin + pages, std::memory_order_relaxed);
            gGuarded[i].cutShort.store(false, std::memory_order_relaxed);
            gGuarded[i].state.store(2, std::memory_order_release);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Unguard(int slot) {
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
    if (size < kSmallestMapped) {
        return std::nullopt;
    }
    void* mapping = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (mapping == MAP_FAILED) {
        return std::nullopt;
    }
    const int slot = Guard(mapping, size);
    if (slot < 0) {
        munmap(mapping, size);
        return std::nullopt;  // more files mapped at once than the table holds
    }
    FileBytes bytes;
    bytes.mapping_ = mapping;
    bytes.mappedBytes_ = size;
    bytes.guardSlot_ = slot;
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
        Unguard(guardSlot_);
        munmap(mapping_, mappedBytes_);
    }
#endif
    mapping_ = nullptr;
    mappedBytes_ = 0;
    guardSlot_ = -1;
}

void FileBytes::DropFront(std::size_t count) {
    count = count < size_ ? count : size_;
    front_ += count;
    size_ -= count;
}

bool FileBytes::CutShort() const {
#ifdef _WIN32
    return false;
#else
    return guardSlot_ >= 0 &&
           gGuarded[static_cast<std::size_t>(guardSlot_)].cutShort.load(std::memory_order_relaxed);
#endif
}

}  // namespace orvane::textio
