// SPDX-License-Identifier: GPL-3.0-or-later
// Telling how a subtitle file is encoded, and turning its bytes into UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orvane::textio {

// The tag given by the first two bytes of a file.
enum class EncodingTag {
    Unreadable,  // the file could not be read
    Ansi,        // no byte-order mark (also files shorter than two bytes)
    Uni,         // FF FE: UTF-16 little-endian
    Ube,         // FE FF: UTF-16 big-endian
    Utf,         // EF BB: start of the UTF-8 byte-order mark
};

// "ansi", "uni", "ube", "utf", or "" for an unreadable file.
std::string_view TagName(EncodingTag tag);

EncodingTag TagFromLeadingBytes(std::string_view bytes);
EncodingTag DetectEncoding(const std::filesystem::path& path);

// How the bytes were actually read, and why.
enum class SourceEncoding {
    Utf8Bom,     // EF BB BF
    Utf16Le,     // FF FE
    Utf16Be,     // FE FF
    Utf8,        // no mark, and every byte sequence is valid UTF-8
    Gbk,         // not valid UTF-8 (after a UTF-8 mark, if any): code page 936
    Unsupported  // UTF-32, which no subtitle tool writes for burning
};

std::string_view SourceEncodingName(SourceEncoding encoding);

struct DecodedText {
    std::string utf8;  // the text without its byte-order mark
    SourceEncoding encoding = SourceEncoding::Utf8;
};

SourceEncoding DetectSourceEncoding(std::string_view bytes);

// Decodes a whole file's bytes. Unsupported input yields empty text.
DecodedText DecodeText(std::string bytes);

// The two charsets that output is written in.
enum class Charset {
    Utf8,    // "UTF-8": EF BB BF followed by UTF-8
    Gb2312,  // "GB2312": GBK bytes without a mark
};

}  // namespace orvane::textio
