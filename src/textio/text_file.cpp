// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/text_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
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

AtomicFileWriter::AtomicFileWriter(fs::path target) : target_(std::move(target)) {
    std::error_code ec;
    if (fs::is_directory(target_, ec)) {
        Fail("目标是一个文件夹，无法写入：");
        return;
    }
    FilePtr f = CreateTemporaryBeside(target_, temp_);
    if (!f) {
        Fail("无法在目标文件夹中创建临时文件（文件夹不存在或只读？）：");
        return;
    }
    file_.reset(f.release());
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Fail(std::string message) {
    if (!failed_) {
        error_ = std::move(message) + PathToUtf8(target_);
    }
    failed_ = true;
    Discard();
    return false;
}

void AtomicFileWriter::Discard() {
    if (file_) {
        file_.reset();
        std::error_code ec;
        fs::remove(temp_, ec);
    }
}

bool AtomicFileWriter::Write(std::string_view bytes) {
    if (failed_) {
        return false;
    }
    std::size_t allowed = bytes.size();
    if (gFailWritesAfter) {
        allowed =
            std::min(allowed, *gFailWritesAfter > written_ ? *gFailWritesAfter - written_ : 0);
    }
    written_ += std::fwrite(bytes.data(), 1, allowed, file_.get());
    if (allowed < bytes.size() || std::ferror(file_.get())) {
        return Fail("写入失败（磁盘已满？），原文件未改动：");
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (failed_) {
        return false;
    }
    // Replacing a file must leave the old or the new content after a crash,
    // so the new bytes reach the disk before the rename. A new file has
    // nothing to lose and skips that wait.
    std::error_code ec;
    const bool replacing = fs::exists(target_, ec);
    const bool flushed = Flush(file_.get(), replacing);
    const bool closed = std::fclose(file_.release()) == 0;
    if (!flushed || !closed) {
        fs::remove(temp_, ec);
        return Fail("写入失败（磁盘已满？），原文件未改动：");
    }
    CopyPermissions(target_, temp_);
    fs::rename(temp_, target_, ec);
    if (ec) {
        fs::remove(temp_, ec);
        return Fail("无法替换目标文件（文件被占用或只读？），原文件未改动：");
    }
    return true;
}

TextFileWriter::TextFileWriter(fs::path target, Charset charset)
    : file_(std::move(target)), charset_(charset) {
    if (charset_ == Charset::Utf8) {
        file_.Write(kUtf8Mark);
    }
}

void TextFileWriter::Write(std::string_view utf8) {
    if (charset_ == Charset::Utf8) {
        file_.Write(utf8);
    } else {
        file_.Write(EncodeGbk(utf8, &gbk_));
    }
}

WriteResult TextFileWriter::Commit() {
    WriteResult result;
    result.ok = file_.Commit();
    result.error = file_.error();
    result.gbk = std::move(gbk_);
    return result;
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
    AtomicFileWriter writer(path);
    writer.Write(bytes);
    const bool ok = writer.Commit();
    if (!ok && error) {
        *error = writer.error();
    }
    return ok;
}

WriteResult WriteTextFile(const fs::path& path, std::string_view utf8, Charset charset) {
    TextFileWriter writer(path, charset);
    writer.Write(utf8);
    return writer.Commit();
}

namespace testing {
void FailWritesAfter(std::optional<std::size_t> bytes) {
    gFailWritesAfter = bytes;
}
}  // namespace testing

}  // namespace orvane::textio
