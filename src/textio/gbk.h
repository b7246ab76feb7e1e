// SPDX-License-Identifier: GPL-3.0-or-later
// The Simplified-Chinese ANSI code page: GBK (Windows code page 936).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::textio {

// True when GBK stores `cp` in two bytes (every Chinese character and most
// CJK punctuation). ASCII, the euro sign (one byte in code page 936) and
// characters GBK cannot hold at all are false.
bool GbkEncodesAsTwoBytes(char32_t cp);

// True when GBK can hold `cp` at all, in one byte or two.
bool GbkCanEncode(char32_t cp);

// A character that GBK cannot hold, found while encoding.
struct UnencodableChar {
    char32_t codePoint;
    std::size_t line;  // 1-based line of the text it was found on
};

struct GbkEncodeReport {
    std::size_t unencodableCount = 0;
    std::vector<UnencodableChar> firstUnencodable;  // at most kMaxListed
    std::size_t linesSeen = 0;  // line breaks so far, so pieces of one text number on
    static constexpr std::size_t kMaxListed = 5;
};

// Encodes UTF-8 text as GBK bytes. A character GBK lacks becomes "?" and is
// counted in `report` when one is given.
std::string EncodeGbk(std::string_view utf8, GbkEncodeReport* report = nullptr);

// Decodes GBK bytes to UTF-8; malformed bytes become U+FFFD.
std::string DecodeGbk(std::string_view bytes);

}  // namespace orvane::textio
