// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing whole subtitle files. Reads take only regular files and
// never block on a FIFO or a device. Writes never damage the target: they go
// to a private temporary file beside it, which then replaces it in one step.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "textio/encoding.h"
#include "textio/failure.h"
#include "textio/file_bytes.h"
#include "textio/gbk.h"
#include "textio/output_encoding.h"

namespace orvane::textio {

// Anything larger is not a subtitle file; refusing it keeps memory bounded.
inline constexpr std::size_t kMaxTextFileBytes = 256u << 20;

std::string PathToUtf8(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(std::string_view utf8);

struct BytesResult {
    std::optional<Failure> failure;
    FileBytes bytes;
    // The file's permission bits (POSIX mode & 07777), for an output made from it.
    std::optional<unsigned> mode;
};

// Reads a whole regular file. Anything else (a folder, a FIFO, a device) is
// refused by what the opened handle is, so a name swapped for a FIFO between
// planning and reading cannot hang the run.
BytesResult ReadFileBytes(const std::filesystem::path& path);

struct TextBytesResult {
    std::optional<Failure> failure;
    FileBytes utf8;   // the text: the file's own bytes, past the mark, when already UTF-8
    DecodedText how;  // how it was read; how.utf8 stays empty
    std::optional<unsigned> mode;
};

// Reads a whole file as UTF-8 text, decoding it only when it is in another
// encoding (see DecodeText for the rules), in `forcedCharset` when one is
// named.
TextBytesResult ReadTextBytes(const std::filesystem::path& path,
                              std::string_view forcedCharset = {});

struct ReadResult {
    std::optional<Failure> failure;
    DecodedText text;
    std::optional<unsigned> mode;
};

// Reads a whole file as ReadTextBytes does, the text copied out.
ReadResult ReadTextFile(const std::filesystem::path& path, std::string_view forcedCharset = {});

// How written bytes reach the disk. The writer goes through this, so a test
// can count the waits for the disk or make a write fail as a full disk would.
class WriteSeam {
public:
    virtual ~WriteSeam() = default;
    // Writes all of `bytes` to the open file `fd`.
    virtual std::error_code Write(int fd, std::string_view bytes);
    // Waits until what was written is on the disk.
    virtual std::error_code Sync(int fd);
    // Puts the finished temporary file in the target's place.
    virtual std::error_code Rename(const std::filesystem::path& from,
                                   const std::filesystem::path& to);
};

struct WriteOptions {
    // The permission bits of a new file (the process's umask is applied);
    // nothing: 0666. A replaced file keeps its own mode and, where the
    // process may, its owner.
    std::optional<unsigned> modeForNew;
    WriteSeam* seam = nullptr;  // nothing: the real disk
    // Asked right before the rename; false: another program wrote to the
    // target since it was read, and it is not replaced.
    std::function<bool()> targetUnchanged = nullptr;
};

// A file written in pieces through a temporary file beside the target. The
// target changes only when Commit() succeeds, in one rename; otherwise the
// temporary file is removed and the target is untouched. The temporary file
// is readable by its owner only until it takes its final mode at Commit().
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target, WriteOptions options = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Write(std::string_view bytes);
    bool Commit();
    const std::optional<Failure>& failure() const { return failure_; }

private:
    bool Fail(FailureKind kind, std::error_code code);
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temp_;
    WriteOptions options_;
    int fd_ = -1;
    int slot_ = -1;  // in the table of temporary files a signal removes
    bool targetExisted_ = false;
    std::optional<Failure> failure_;
};

struct WriteResult {
    std::optional<Failure> failure;
    GbkEncodeReport gbk;  // characters GBK lacks, when writing GB2312
};

// UTF-8 text written in an output charset, in pieces that each end at a
// line break: "UTF-8" puts the mark first; "GB2312" writes GBK bytes with
// "?" for what GBK lacks, and counts those.
class TextFileWriter {
public:
    TextFileWriter(std::filesystem::path target, Charset charset, WriteOptions options = {});
    TextFileWriter(std::filesystem::path target, OutputEncoding encoding,
                   WriteOptions options = {});

    void Write(std::string_view utf8);
    WriteResult Commit();

private:
    AtomicFileWriter file_;
    TextEncoder encoder_;
};

// Encodes UTF-8 text in `charset` and writes it atomically.
WriteResult WriteTextFile(const std::filesystem::path& path, std::string_view utf8, Charset charset,
                          WriteOptions options = {});

// Encodes UTF-8 text in `charset` (with the mark for UTF-8).
std::string EncodeText(std::string_view utf8, Charset charset, GbkEncodeReport* report = nullptr);

// Removes the temporary files of writes under way. Safe to call from a
// signal handler: a program that is killed by a signal calls it first, so no
// half-written hidden file is left behind.
void RemovePendingTemporaryFiles() noexcept;

}  // namespace orvane::textio
