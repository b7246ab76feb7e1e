// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/encoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <optional>
#include <type_traits>

#include "textio/encoding_guess.h"
#include "textio/icu_handles.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

const std::string_view kUtf8Bom = "\xEF\xBB\xBF";
const std::string_view kUtf16LeBom = "\xFF\xFE";
const std::string_view kUtf16BeBom = "\xFE\xFF";
const std::string_view kUtf32LeBom{"\xFF\xFE\x00\x00", 4};
const std::string_view kUtf32BeBom{"\x00\x00\xFE\xFF", 4};

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

DecodedText DecodeUtf16(std::string_view body, SourceEncoding encoding) {
    const char* name = encoding == SourceEncoding::Utf16Le ? "UTF-16LE" : "UTF-16BE";
    DecodedText decoded = DecodeInCharset(body, name, name);
    decoded.encoding = encoding;
    return decoded;
}

// The encoding a byte-order mark at the start of `bytes` stands for, if any.
std::string_view MarkedEncoding(std::string_view bytes) {
    if (StartsWith(bytes, kUtf32LeBom)) {
        return "UTF-32LE";
    }
    if (StartsWith(bytes, kUtf32BeBom)) {
        return "UTF-32BE";
    }
    if (StartsWith(bytes, kUtf16LeBom)) {
        return "UTF-16LE";
    }
    if (StartsWith(bytes, kUtf16BeBom)) {
        return "UTF-16BE";
    }
    return {};
}

// A name with its case, hyphens and underscores gone: "utf_16le" is UTF16LE.
std::string Squeezed(std::string_view name) {
    std::string squeezed;
    for (const char c : Upper(name)) {
        if (c != '-' && c != '_') {
            squeezed += c;
        }
    }
    return squeezed;
}

bool IsUtf8Name(std::string_view name) {
    return Squeezed(name) == "UTF8";
}

// Whether a UTF-16/32 mark agrees with the named encoding: the same form,
// or the form's name without an order ("UTF-16" takes either mark).
bool MarkAgrees(std::string_view marked, std::string_view named) {
    const std::string mark = Squeezed(marked);
    const std::string name = Squeezed(named);
    return name == mark || name == mark.substr(0, 5);
}

// In the charset the user named. A UTF-8 mark in front of another charset
// was put there by mistake and is dropped (and said); a UTF-16 or UTF-32
// mark that says otherwise is an error, since the user's name cannot be
// right for those bytes.
DecodedText DecodeForced(std::string_view bytes, std::string_view forcedCharset) {
    const std::string name(forcedCharset);
    if (IsUtf8Name(name)) {
        if (StartsWith(bytes, kUtf8Bom)) {
            bytes.remove_prefix(kUtf8Bom.size());
        }
        return RepairUtf8(bytes);  // valid UTF-8 is read as it lies
    }
    const std::string_view marked = MarkedEncoding(bytes);
    if (!marked.empty() && !MarkAgrees(marked, name)) {
        DecodedText conflict;
        conflict.encoding = SourceEncoding::MarkConflict;
        conflict.charset = std::string(marked);
        return conflict;
    }
    const bool strayMark = StartsWith(bytes, kUtf8Bom);
    if (strayMark) {
        bytes.remove_prefix(kUtf8Bom.size());
    } else if (!marked.empty() && Squeezed(name).size() > 5) {
        // "UTF-16LE" does not take its mark away itself; "UTF-16" does.
        bytes.remove_prefix(marked.starts_with("UTF-32") ? 4 : 2);
    }
    DecodedText decoded = DecodeInCharset(bytes, name.c_str(), name);
    decoded.droppedUtf8Mark = strayMark;
    return decoded;
}

}  // namespace

bool IsKnownCharset(std::string_view name) {
    return !name.empty() && OpenConverter(std::string(name).c_str()) != nullptr;
}

std::optional<Utf8AsItLies> ReadableAsItLies(std::string_view bytes,
                                             std::string_view forcedCharset) {
    Utf8AsItLies asItLies;
    if (!forcedCharset.empty()) {
        if (!IsUtf8Name(forcedCharset)) {
            return std::nullopt;
        }
        // In the charset the user named, only the mark is taken away.
        asItLies.markBytes = StartsWith(bytes, kUtf8Bom) ? kUtf8Bom.size() : 0;
    } else if (StartsWith(bytes, kUtf8Bom)) {
        asItLies.markBytes = kUtf8Bom.size();
        asItLies.encoding = SourceEncoding::Utf8Bom;
        asItLies.charset = "UTF-8 (BOM)";
    } else if (StartsWith(bytes, kUtf32LeBom) || StartsWith(bytes, kUtf32BeBom) ||
               StartsWith(bytes, kUtf16LeBom) || StartsWith(bytes, kUtf16BeBom) ||
               UnmarkedUtf16(bytes)) {
        return std::nullopt;
    }
    const std::string_view text = bytes.substr(asItLies.markBytes);
    if (!IsValidUtf8(text) ||
        (forcedCharset.empty() && asItLies.markBytes == 0 && !IsUtf8BeyondDoubt(text))) {
        return std::nullopt;
    }
    return asItLies;
}

DecodedText DecodeText(std::string_view bytes, std::string_view forcedCharset) {
    DecodedText decoded;
    if (std::optional<Utf8AsItLies> asItLies = ReadableAsItLies(bytes, forcedCharset)) {
        decoded.utf8 = std::string(bytes.substr(asItLies->markBytes));
        decoded.encoding = asItLies->encoding;
        decoded.charset = std::move(asItLies->charset);
        return decoded;
    }
    if (!forcedCharset.empty()) {
        return DecodeForced(bytes, forcedCharset);
    }
    if (StartsWith(bytes, kUtf32LeBom) || StartsWith(bytes, kUtf32BeBom)) {
        decoded.encoding = SourceEncoding::Unsupported;
        decoded.charset = "UTF-32";
        return decoded;
    }
    if (StartsWith(bytes, kUtf16LeBom)) {
        DecodedText utf16 = DecodeUtf16(bytes.substr(2), SourceEncoding::Utf16Le);
        utf16.marked = true;
        return utf16;
    }
    if (StartsWith(bytes, kUtf16BeBom)) {
        DecodedText utf16 = DecodeUtf16(bytes.substr(2), SourceEncoding::Utf16Be);
        utf16.marked = true;
        return utf16;
    }
    if (StartsWith(bytes, kUtf8Bom)) {
        // A mark in front of text in another encoding: some tools add it
        // without converting.
        return GuessAndDecode(bytes.substr(kUtf8Bom.size()));
    }
    if (const std::optional<SourceEncoding> utf16 = UnmarkedUtf16(bytes)) {
        return DecodeUtf16(bytes, *utf16);
    }
    return GuessAndDecode(bytes);
}

}  // namespace orvane::textio
