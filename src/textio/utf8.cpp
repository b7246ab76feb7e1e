// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/utf8.h"

#include <unicode/utf8.h>

#include <cstdint>
#include <cstring>

namespace orvane::textio {

bool IsValidUtf8(std::string_view bytes) {
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
    const int64_t length = static_cast<int64_t>(bytes.size());
    int64_t i = 0;
    while (i < length) {
        // Most subtitle text is ASCII: skip it eight bytes at a time.
        while (i + 8 <= length) {
            uint64_t word;
            std::memcpy(&word, s + i, sizeof word);
            if (word & 0x8080808080808080ULL) {
                break;
            }
            i += 8;
        }
        if (i >= length) {
            break;
        }
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0) {
            return false;
        }
    }
    return true;
}

char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    int64_t i = static_cast<int64_t>(pos);
    UChar32 c;
    U8_NEXT(s, i, static_cast<int64_t>(text.size()), c);
    pos = static_cast<std::size_t>(i);
    return c < 0 ? U'\uFFFD' : static_cast<char32_t>(c);
}

std::size_t CountCodePoints(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        NextCodePoint(text, pos);
    }
    return count;
}

void AppendUtf8(std::string& out, char32_t cp) {
    char buffer[U8_MAX_LENGTH];
    int32_t length = 0;
    UBool error = false;
    // ICU's macro compares its signed code point as unsigned, on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-conversion"
    U8_APPEND(reinterpret_cast<uint8_t*>(buffer), length, U8_MAX_LENGTH, static_cast<UChar32>(cp),
              error);
#pragma GCC diagnostic pop
    if (error) {
        out += "\xEF\xBF\xBD";
        return;
    }
    out.append(buffer, static_cast<std::size_t>(length));
}

std::string_view TrimSpacesSlowly(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace orvane::textio
