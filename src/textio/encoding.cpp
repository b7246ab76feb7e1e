// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/encoding.h"

#include <fstream>

#include "textio/gbk.h"
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

}  // namespace

std::string_view TagName(EncodingTag tag) {
    switch (tag) {
        case EncodingTag::Ansi:
            return "ansi";
        case EncodingTag::Uni:
            return "uni";
        case EncodingTag::Ube:
            return "ube";
        case EncodingTag::Utf:
            return "utf";
        case EncodingTag::Unreadable:
            break;
    }
    return "";
}

EncodingTag TagFromLeadingBytes(std::string_view bytes) {
    if (StartsWith(bytes, kUtf16LeBom)) {
        return EncodingTag::Uni;
    }
    if (StartsWith(bytes, kUtf16BeBom)) {
        return EncodingTag::Ube;
    }
    if (StartsWith(bytes, "\xEF\xBB")) {
        return EncodingTag::Utf;
    }
    return EncodingTag::Ansi;
}

EncodingTag DetectEncoding(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return EncodingTag::Unreadable;
    }
    char head[2] = {0, 0};
    in.read(head, 2);
    if (in.bad()) {
        return EncodingTag::Unreadable;
    }
    return TagFromLeadingBytes(std::string_view(head, static_cast<std::size_t>(in.gcount())));
}

std::string_view SourceEncodingName(SourceEncoding encoding) {
    switch (encoding) {
        case SourceEncoding::Utf8Bom:
            return "UTF-8 (BOM)";
        case SourceEncoding::Utf16Le:
            return "UTF-16LE";
        case SourceEncoding::Utf16Be:
            return "UTF-16BE";
        case SourceEncoding::Utf8:
            return "UTF-8";
        case SourceEncoding::Gbk:
            return "GBK";
        case SourceEncoding::Unsupported:
            break;
    }
    return "UTF-32";
}

SourceEncoding DetectSourceEncoding(std::string_view bytes) {
    if (StartsWith(bytes, kUtf32LeBom) || StartsWith(bytes, kUtf32BeBom)) {
        return SourceEncoding::Unsupported;
    }
    if (StartsWith(bytes, kUtf8Bom)) {
        // A mark in front of GBK text: some tools add it without converting.
        return IsValidUtf8(bytes.substr(kUtf8Bom.size())) ? SourceEncoding::Utf8Bom
                                                          : SourceEncoding::Gbk;
    }
    if (StartsWith(bytes, kUtf16LeBom)) {
        return SourceEncoding::Utf16Le;
    }
    if (StartsWith(bytes, kUtf16BeBom)) {
        return SourceEncoding::Utf16Be;
    }
    return IsValidUtf8(bytes) ? SourceEncoding::Utf8 : SourceEncoding::Gbk;
}

DecodedText DecodeText(std::string bytes) {
    DecodedText decoded;
    decoded.encoding = DetectSourceEncoding(bytes);
    switch (decoded.encoding) {
        case SourceEncoding::Utf8Bom:
            bytes.erase(0, kUtf8Bom.size());
            decoded.utf8 = std::move(bytes);
            break;
        case SourceEncoding::Utf8:
            decoded.utf8 = std::move(bytes);
            break;
        case SourceEncoding::Utf16Le:
            decoded.utf8 = ConvertCharset("UTF-8", "UTF-16LE", std::string_view(bytes).substr(2));
            break;
        case SourceEncoding::Utf16Be:
            decoded.utf8 = ConvertCharset("UTF-8", "UTF-16BE", std::string_view(bytes).substr(2));
            break;
        case SourceEncoding::Gbk: {
            std::string_view body = bytes;
            if (StartsWith(body, kUtf8Bom)) {
                body.remove_prefix(kUtf8Bom.size());
            }
            decoded.utf8 = DecodeGbk(body);
            break;
        }
        case SourceEncoding::Unsupported:
            break;
    }
    return decoded;
}

}  // namespace orvane::textio
