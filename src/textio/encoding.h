// SPDX-License-Identifier: GPL-3.0-or-later
// Telling how a subtitle file is encoded, and turning its bytes into UTF-8.
//
// In this order: a byte-order mark (UTF-8, UTF-16; UTF-32 is refused); UTF-16
// without a mark, by where its zero bytes fall; valid UTF-8 that is UTF-8
// beyond doubt; then every candidate encoding is tried and judged
// (encoding_guess.h), and a guess that stays uncertain reads nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::textio {

// How the bytes were read.
enum class SourceEncoding {
    Utf8Bom,       // EF BB BF
    Utf16Le,       // FF FE, or zero bytes after most ASCII characters
    Utf16Be,       // FE FF, or zero bytes before them
    Utf8,          // every byte sequence is valid UTF-8
    Utf8Repaired,  // UTF-8 with a few bytes that are not: those became U+FFFD
    CodePage,      // a legacy code page, named in `charset`
    Unsupported,   // UTF-32, which no subtitle tool writes for burning
    Uncertain,     // no reading clearly better than another: see `candidates`
    MarkConflict,  // the named encoding contradicts the file's UTF-16/32 mark, in `charset`
};

struct DecodedText {
    std::string utf8;  // the text without its byte-order mark
    SourceEncoding encoding = SourceEncoding::Utf8;
    // The encoding's name for people: "UTF-8", "UTF-8 (BOM)", "UTF-16LE",
    // "GBK" (any of GB2312, GBK, GB18030), "Big5", "windows-1252", ...
    std::string charset = "UTF-8";
    std::size_t replacedBytes = 0;      // Utf8Repaired: sequences replaced
    std::size_t firstReplacedLine = 0;  // and the 1-based line of the first
    // Uncertain: the best readings, best first ("windows-1252", "windows-1250").
    std::vector<std::string> candidates;
    // A UTF-8 mark stood in front of text named as another encoding, and was
    // dropped.
    bool droppedUtf8Mark = false;
    bool marked = false;  // UTF-16: the file began with its byte-order mark
};

// Decodes a whole file's bytes. With `forcedCharset` (any name ICU knows),
// the bytes are read in that charset and nothing is detected. Unsupported
// input yields empty text.
DecodedText DecodeText(std::string_view bytes, std::string_view forcedCharset = {});

// Bytes that are UTF-8 text as they lie, behind a mark of `markBytes`.
struct Utf8AsItLies {
    std::size_t markBytes = 0;
    SourceEncoding encoding = SourceEncoding::Utf8;
    std::string charset = "UTF-8";
};

// How DecodeText would read `bytes` when it would take them as they are,
// past a UTF-8 mark; nothing when they need decoding. Lets a caller use a
// file's own bytes as its text without a copy.
std::optional<Utf8AsItLies> ReadableAsItLies(std::string_view bytes,
                                             std::string_view forcedCharset = {});

// Whether ICU can read text in the charset of that name ("Big5", "cp1251").
bool IsKnownCharset(std::string_view name);

// The two charsets that output is written in.
enum class Charset {
    Utf8,    // "UTF-8": EF BB BF followed by UTF-8
    Gb2312,  // "GB2312": GBK bytes without a mark
};

}  // namespace orvane::textio
