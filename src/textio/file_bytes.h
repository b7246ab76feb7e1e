// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of a file held for reading. A large file is mapped into memory,
// so it is neither copied nor zero-filled before it is read; a small one, or
// one the system will not map, is read into storage of its own.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::textio {

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

    // Whether another program cut the file short while it was mapped. The
    // bytes past its new end then read as zeros instead of stopping the
    // program, and the text is no longer the file's: nothing made from it
    // may be written.
    bool CutShort() const;

private:
    void Release();
    void PointAtStorage();

    std::string text_;
    std::unique_ptr<char[]> storage_;
    void* mapping_ = nullptr;
    std::size_t mappedBytes_ = 0;
    int guardSlot_ = -1;               // the mapping's place in the table the fault handler reads
    const char* data_ = text_.data();  // where the bytes are, of the three above
    std::size_t front_ = 0;
    std::size_t size_ = 0;
};

}  // namespace orvane::textio
