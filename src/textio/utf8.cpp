// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/utf8.h"

#include <unicode/utf8.h>

#include <bit>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace orvane::textio {

namespace {

// Where the run of ASCII bytes from `i` ends: sixteen bytes at a time where
// the processor allows, for most subtitle text is ASCII.
std::size_t AsciiRunEnd(const uint8_t* s, std::size_t i, std::size_t length) {
#if defined(__SSE2__) || defined(_M_X64)
    for (; i + 16 <= length; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (const int high = _mm_movemask_epi8(bytes)) {
            return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(high)));
        }
    }
#endif
    while (i < length && s[i] < 0x80) {
        ++i;
    }
    return i;
}

// A three-byte character whose second byte may be any continuation byte:
// U+1000 to U+CFFF and U+E000 to U+FFFF, where Chinese text lies. The
// others (E0 and ED leads) limit their second byte and take the long road.
bool PlainThreeByteAt(const uint8_t* p) {
    const uint8_t lead = p[0];
    return lead >= 0xE1 && lead <= 0xEF && lead != 0xED && (p[1] & 0xC0) == 0x80 &&
           (p[2] & 0xC0) == 0x80;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
    const std::size_t length = bytes.size();
    std::size_t i = 0;
    while (true) {
        i = AsciiRunEnd(s, i, length);
        while (i + 3 <= length && PlainThreeByteAt(s + i)) {
            i += 3;
        }
        if (i >= length) {
            return true;
        }
        if (s[i] < 0x80) {
            continue;
        }
        auto at = static_cast<int64_t>(i);
        UChar32 c;
        U8_NEXT(s, at, static_cast<int64_t>(length), c);
        if (c < 0) {
            return false;
        }
        i = static_cast<std::size_t>(at);
    }
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
