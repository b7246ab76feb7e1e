// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing whole subtitle files. Writes never damage the target:
// they go to a temporary file beside it, which then replaces it in one step.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "textio/encoding.h"
#include "textio/gbk.h"

namespace orvane::textio {

// Anything larger is not a subtitle file; refusing it keeps memory bounded.
inline constexpr std::size_t kMaxTextFileBytes = 256u << 20;

std::string PathToUtf8(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(std::string_view utf8);

struct ReadResult {
    bool ok = false;
    std::string error;  // for the user, when !ok
    DecodedText text;
};

struct BytesResult {
    bool ok = false;
    std::string error;
    std::string bytes;
};

BytesResult ReadFileBytes(const std::filesystem::path& path);

// Reads and decodes a whole file (see DecodeText for the rules).
ReadResult ReadTextFile(const std::filesystem::path& path);

struct WriteResult {
    bool ok = false;
    std::string error;    // for the user, when !ok
    GbkEncodeReport gbk;  // characters GBK lacks, when writing GB2312
};

// A file written in pieces through a temporary file beside the target. The
// target changes only when Commit() succeeds, in one rename; otherwise the
// temporary file is removed and the target is untouched.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Write(std::string_view bytes);
    bool Commit();
    const std::string& error() const { return error_; }

private:
    bool Fail(std::string message);
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temp_;
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::size_t written_ = 0;
    bool failed_ = false;
    std::string error_;
};

// UTF-8 text written in an output charset, in pieces that each end at a
// line break: "UTF-8" puts the mark first; "GB2312" writes GBK bytes with
// "?" for what GBK lacks, and counts those.
class TextFileWriter {
public:
    TextFileWriter(std::filesystem::path target, Charset charset);

    void Write(std::string_view utf8);
    WriteResult Commit();

private:
    AtomicFileWriter file_;
    Charset charset_;
    GbkEncodeReport gbk_;
};

// Writes `bytes` through an AtomicFileWriter.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error);

// Encodes UTF-8 text in `charset` and writes it atomically.
WriteResult WriteTextFile(const std::filesystem::path& path, std::string_view utf8,
                          Charset charset);

// Encodes UTF-8 text in `charset` (with the mark for UTF-8).
std::string EncodeText(std::string_view utf8, Charset charset, GbkEncodeReport* report = nullptr);

namespace testing {
// Makes the next atomic writes fail after this many bytes, as a full disk or
// a crash would; std::nullopt turns it off.
void FailWritesAfter(std::optional<std::size_t> bytes);
}  // namespace testing

}  // namespace orvane::textio
