// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/line_tests.h"

#include <unicode/uchar.h>

#include <cctype>

#include "textio/utf8.h"

namespace orvane::textio {
namespace {

constexpr std::size_t kMaxCueNumberChars = 6;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char32_t FoldCodePoint(char32_t cp) {
    if (cp >= 0xFF01 && cp <= 0xFF5E) {
        return cp - 0xFF01 + 0x21;
    }
    if (cp == 0x3000) {
        return U' ';
    }
    return cp;
}

// Wide as East Asian scripts write their characters, emoji aside: an emoji
// is wide too, yet says nothing of the language around it.
bool IsWideScriptCharacter(char32_t cp) {
    const auto c = static_cast<UChar32>(cp);
    const int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    return (width == U_EA_WIDE || width == U_EA_FULLWIDTH) &&
           !u_hasBinaryProperty(c, UCHAR_EXTENDED_PICTOGRAPHIC);
}

// Reads [sign] digits [. digits] and returns how many digits it saw.
std::size_t SkipSignedDecimal(std::string_view s, std::size_t& i, bool allowPoint) {
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    bool sawPoint = false;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) {
            ++digits;
        } else if (allowPoint && s[i] == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    return digits;
}

}  // namespace

bool IsCueNumberLine(std::string_view line) {
    // A number is pure ASCII, so its byte count is its character count.
    if (line.empty() || line.size() > kMaxCueNumberChars) {
        return false;
    }
    std::size_t i = 0;
    if (SkipSignedDecimal(line, i, true) == 0) {
        return false;
    }
    if (i < line.size() && (line[i] == 'e' || line[i] == 'E')) {
        ++i;
        if (SkipSignedDecimal(line, i, false) == 0) {
            return false;
        }
    }
    return i == line.size();
}

bool IsCueNumberIgnoringMarks(std::string_view line) {
    // Marks are never ASCII: a line with ASCII at both ends has none to set
    // aside, and most lines are tested on this short road.
    if (line.empty() || (static_cast<unsigned char>(line.front()) < 0x80 &&
                         static_cast<unsigned char>(line.back()) < 0x80)) {
        return IsCueNumberLine(line);
    }
    auto isMark = [](char32_t cp) { return u_charType(static_cast<UChar32>(cp)) == U_FORMAT_CHAR; };
    std::size_t begin = 0;
    while (begin < line.size() && static_cast<unsigned char>(line[begin]) >= 0x80) {
        std::size_t next = begin;
        if (!isMark(NextCodePoint(line, next))) {
            return false;  // a number is ASCII: text begins here
        }
        begin = next;
    }
    std::size_t end = line.size();
    while (end > begin && static_cast<unsigned char>(line[end - 1]) >= 0x80) {
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(line[start]) & 0xC0) == 0x80) {
            --start;
        }
        std::size_t next = start;
        if (!isMark(NextCodePoint(line, next))) {
            break;
        }
        end = start;
    }
    return IsCueNumberLine(line.substr(begin, end - begin));
}

std::string FoldHalfWidth(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            folded += text[pos++];
            continue;
        }
        const std::size_t start = pos;
        const char32_t cp = NextCodePoint(text, pos);
        const char32_t f = FoldCodePoint(cp);
        if (f == cp) {
            folded.append(text, start, pos - start);
        } else {
            AppendUtf8(folded, f);
        }
    }
    return folded;
}

bool IsChineseText(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        if (IsWideScriptCharacter(FoldCodePoint(NextCodePoint(text, pos)))) {
            return true;
        }
    }
    return false;
}

}  // namespace orvane::textio
