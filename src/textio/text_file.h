// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing whole subtitle files. Writes never damage the target:
// they go to a temporary file beside it, which then replaces it in one step.
#pragma once

#include <cstddef>
#include <filesystem>
#include <initializer_list>
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

// Writes `bytes` to a temporary file in the target's folder, flushes it to
// disk and renames it over `path`. On any failure the target is untouched
// and the temporary file is removed.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error);
bool WriteFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::string_view> pieces, std::string* error);

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
