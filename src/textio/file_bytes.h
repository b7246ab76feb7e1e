// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of a file held for reading. A large file is mapped into memory,
// so it is neither copied nor zero-filled before it is read; a small one, or
// one the system will not map, is read into storage of its own.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::textio {

// What tells one state of an open file from another: its size and when its
// bytes and its record last changed. Any write, cut or growth changes it.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    auto operator<=>(const FileStamp&) const = default;
};

// The stamp of the open file `fd`; nothing when the system will not say.
std::optional<FileStamp> StampOf(int fd);

class FileBytes {
public:
    FileBytes() = default;
    // Text already in memory, such as a decoded file.
    explicit FileBytes(std::string text);
    // `size` bytes read into `storage`.
    FileBytes(std::unique_ptr<char[]> storage, std::size_t size);
    // The first `size` bytes of the open file `fd`, mapped; nothing where
    // mapping is not worth it or not possible, and the caller reads instead.
    static std::optional<FileBytes> Map(int fd, std::size_t size);

    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();

    std::string_view View() const { return {data_ + front_, size_}; }
    std::size_t size() const { return size_; }
    // Leaves out the first `count` bytes (a byte-order mark) without moving
    // the rest.
    void DropFront(std::size_t count);

    // Whether another program changed the file while it was mapped: wrote
    // to it, cut it short or made it longer. Bytes that a cut took away read
    // as zeros instead of stopping the program. Either way the text is no
    // longer the file's, and nothing made from it may be written.
    bool Changed() const;

private:
    void Release();
    void PointAtStorage();

    std::string text_;
    std::unique_ptr<char[]> storage_;
    void* mapping_ = nullptr;
    std::size_t mappedBytes_ = 0;
    int guardSlot_ = -1;               // the mapping's place in the table the fault handler reads
    int fd_ = -1;                      // a mapped file stays open, to tell whether it changed
    FileStamp stamp_;                  // and how it was when it was mapped
    const char* data_ = text_.data();  // where the bytes are, of the three above
    std::size_t front_ = 0;
    std::size_t size_ = 0;
};

}  // namespace orvane::textio
