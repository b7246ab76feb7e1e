// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/text_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace orvane::textio {
namespace fs = std::filesystem;

namespace {

std::optional<std::size_t> gFailWritesAfter;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenFile(const fs::path& path, bool forWriting) {
#ifdef _WIN32
    // "x": fail if the file exists, so a temporary name is never shared.
    return FilePtr(_wfopen(path.c_str(), forWriting ? L"wbx" : L"rb"));
#else
    return FilePtr(std::fopen(path.c_str(), forWriting ? "wbx" : "rb"));
#endif
}

// Flushes the stream; with `durable`, also waits until the bytes are on disk.
bool Flush(std::FILE* f, bool durable) {
    if (std::fflush(f) != 0) {
        return false;
    }
    if (!durable) {
        return true;
    }
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

std::string RandomSuffix() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix(8, '0');
    for (char& c : suffix) {
        c = kDigits[generator() % (sizeof kDigits - 1)];
    }
    return suffix;
}

// ".<start of the target's name>.orvane-<random>.tmp": the target's name is
// cut (at a character boundary) so the result stays far below the 255 bytes
// a file name may have, however long the target's name is.
std::string TemporaryName(const fs::path& target) {
    constexpr std::size_t kMaxNameBytes = 40;
    std::string name = PathToUtf8(target.filename());
    if (name.size() > kMaxNameBytes) {
        std::size_t cut = kMaxNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    return "." + name + ".orvane-" + RandomSuffix() + ".tmp";
}

// Creates a new, empty temporary file beside `target`.
FilePtr CreateTemporaryBeside(const fs::path& target, fs::path& tempPath) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder / PathFromUtf8(TemporaryName(target));
        if (FilePtr f = OpenFile(tempPath, true)) {
            return f;
        }
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) {
            break;
        }
    }
    return nullptr;
}

bool WriteAll(std::FILE* f, std::initializer_list<std::string_view> pieces) {
    std::size_t budget = gFailWritesAfter.value_or(SIZE_MAX);
    for (std::string_view piece : pieces) {
        const std::size_t limit = std::min(piece.size(), budget);
        if (std::fwrite(piece.data(), 1, limit, f) != piece.size()) {
            return false;
        }
        budget -= limit;
    }
    return true;
}

// Keeps the target's permissions when it is replaced.
void CopyPermissions(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    const fs::file_status status = fs::status(from, ec);
    if (!ec && fs::exists(status)) {
        fs::permissions(to, status.permissions(), ec);
    }
}

}  // namespace

std::string PathToUtf8(const fs::path& path) {
    const std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

fs::path PathFromUtf8(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

BytesResult ReadFileBytes(const fs::path& path) {
    BytesResult result;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        result.error = "这是一个文件夹，不是字幕文件：" + PathToUtf8(path);
        return result;
    }
    FilePtr f = OpenFile(path, false);
    if (!f) {
        result.error = "无法打开文件：" + PathToUtf8(path);
        return result;
    }
    // One allocation of the right size when the size is known; pipes and
    // special files grow as they are read.
    const auto expected = fs::file_size(path, ec);
    if (!ec && expected > kMaxTextFileBytes) {
        result.error = "文件太大（超过256MB），不是字幕文件：" + PathToUtf8(path);
        return result;
    }
    std::size_t capacity = ec ? 1 << 16 : static_cast<std::size_t>(expected) + 1;
    result.bytes.resize(capacity);
    std::size_t size = 0;
    while (true) {
        size += std::fread(result.bytes.data() + size, 1, capacity - size, f.get());
        if (size < capacity) {
            break;  // end of file or an error
        }
        if (capacity > kMaxTextFileBytes) {
            result.bytes.clear();
            result.error = "文件太大（超过256MB），不是字幕文件：" + PathToUtf8(path);
            return result;
        }
        capacity *= 2;
        result.bytes.resize(capacity);
    }
    if (std::ferror(f.get())) {
        result.bytes.clear();
        result.error = "读取文件失败：" + PathToUtf8(path);
        return result;
    }
    result.bytes.resize(size);
    result.ok = true;
    return result;
}

ReadResult ReadTextFile(const fs::path& path) {
    ReadResult result;
    BytesResult raw = ReadFileBytes(path);
    if (!raw.ok) {
        result.error = std::move(raw.error);
        return result;
    }
    result.text = DecodeText(std::move(raw.bytes));
    if (result.text.encoding == SourceEncoding::Unsupported) {
        result.error = "不支持UTF-32编码的文件，请先另存为UTF-8：" + PathToUtf8(path);
        return result;
    }
    result.ok = true;
    return result;
}

bool WriteFileAtomically(const fs::path& path, std::initializer_list<std::string_view> pieces,
                         std::string* error) {
    auto fail = [&](std::string message) {
        if (error) {
            *error = std::move(message) + PathToUtf8(path);
        }
        return false;
    };
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        return fail("目标是一个文件夹，无法写入：");
    }
    fs::path tempPath;
    FilePtr f = CreateTemporaryBeside(path, tempPath);
    if (!f) {
        return fail("无法在目标文件夹中创建临时文件（文件夹不存在或只读？）：");
    }
    // Replacing a file must leave the old or the new content after a crash,
    // so the new bytes reach the disk before the rename. A new file has
    // nothing to lose and skips that wait.
    const bool replacing = fs::exists(path, ec);
    const bool written = WriteAll(f.get(), pieces) && Flush(f.get(), replacing);
    const bool closed = std::fclose(f.release()) == 0;
    if (!written || !closed) {
        fs::remove(tempPath, ec);
        return fail("写入失败（磁盘已满？），原文件未改动：");
    }
    CopyPermissions(path, tempPath);
    fs::rename(tempPath, path, ec);
    if (ec) {
        fs::remove(tempPath, ec);
        return fail("无法替换目标文件（文件被占用或只读？），原文件未改动：");
    }
    return true;
}

std::string EncodeText(std::string_view utf8, Charset charset, GbkEncodeReport* report) {
    if (charset == Charset::Gb2312) {
        return EncodeGbk(utf8, report);
    }
    std::string bytes;
    bytes.reserve(utf8.size() + 3);
    bytes += kUtf8Mark;
    bytes += utf8;
    return bytes;
}

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, std::string* error) {
    return WriteFileAtomically(path, {bytes}, error);
}

WriteResult WriteTextFile(const fs::path& path, std::string_view utf8, Charset charset) {
    WriteResult result;
    if (charset == Charset::Utf8) {
        // No copy of the text just to put the mark in front of it.
        result.ok = WriteFileAtomically(path, {kUtf8Mark, utf8}, &result.error);
    } else {
        result.ok = WriteFileAtomically(path, EncodeGbk(utf8, &result.gbk), &result.error);
    }
    return result;
}

namespace testing {
void FailWritesAfter(std::optional<std::size_t> bytes) {
    gFailWritesAfter = bytes;
}
}  // namespace testing

}  // namespace orvane::textio
