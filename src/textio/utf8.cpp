// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/utf8.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

// GCC and Clang on x86 can compile a routine for AVX2 alone and choose it
// when the program runs on a processor that has it.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ORVANE_UTF8_AVX2 1
#include <immintrin.h>
#endif

namespace orvane::textio {

namespace {

// A three-byte character whose second byte may be any continuation byte:
// U+1000 to U+CFFF and U+E000 to U+FFFF, where Chinese text lies. The
// others (E0 and ED leads) limit their second byte and take the long road.
bool PlainThreeByteAt(const uint8_t* p) {
    const uint8_t lead = p[0];
    return lead >= 0xE1 && lead <= 0xEF && lead != 0xED && (p[1] & 0xC0) == 0x80 &&
           (p[2] & 0xC0) == 0x80;
}

// Where the run from `i` of ASCII, two-byte and plain three-byte characters
// ends, sixteen bytes at a time where the processor allows: nearly all
// subtitle text, Chinese, English or European, is made of these. `i` is at a
// character's start, and so is the end returned.
std::size_t PlainRunEnd([[maybe_unused]] const uint8_t* s, std::size_t i,
                        [[maybe_unused]] std::size_t length) {
#if defined(__SSE2__) || defined(_M_X64)
    auto mask = [](__m128i bytes) { return static_cast<unsigned>(_mm_movemask_epi8(bytes)); };
    auto has = [](__m128i bytes, int bits, int value) {
        const __m128i masked = _mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(bits)));
        return _mm_cmpeq_epi8(masked, _mm_set1_epi8(static_cast<char>(value)));
    };
    // The continuation bytes that leads near the end of the last block
    // expect at the start of this one.
    unsigned carried = 0;
    for (; i + 16 <= length; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const unsigned high = mask(bytes);
        if ((high | carried) == 0) {
            continue;  // ASCII
        }
        // Two-byte leads C2 to DF, three-byte leads E1 to EF but ED (their
        // second byte may be any continuation byte), and continuation bytes:
        // every byte with its high bit set is one of these, and each
        // continuation byte is one that some lead expects.
        const unsigned leads2 = mask(has(bytes, 0xE0, 0xC0)) & ~mask(has(bytes, 0xFE, 0xC0));
        const unsigned leads3 = mask(has(bytes, 0xF0, 0xE0)) &
                                ~mask(_mm_or_si128(has(bytes, 0xFF, 0xE0), has(bytes, 0xFF, 0xED)));
        const unsigned continuations = mask(has(bytes, 0xC0, 0x80));
        const unsigned expected = (leads2 << 1) | (leads3 << 1) | (leads3 << 2) | carried;
        if ((leads2 | leads3 | continuations) != high || continuations != (expected & 0xFFFFU)) {
            break;
        }
        carried = expected >> 16;
    }
    // Back to the start of a character the blocks have not seen whole: 0b11
    // is what a three-byte lead in the last place expects, 0b01 a two-byte
    // lead there or a three-byte lead in the place before.
    if (carried == 0b01) {
        return i - ((s[i - 1] & 0xE0) == 0xC0 ? 1 : 2);
    }
    return i - (carried == 0b11 ? 1 : 0);
#else
    return i;
#endif
}

#if ORVANE_UTF8_AVX2
// The bytes of `bytes` whose bits picked by `bits` are `value`, one bit each.
__attribute__((target("avx2"))) std::uint32_t Has32(__m256i bytes, char bits, char value) {
    const __m256i masked = _mm256_and_si256(bytes, _mm256_set1_epi8(bits));
    return static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(masked, _mm256_set1_epi8(value))));
}

// PlainRunEnd thirty-two bytes at a time, for processors with AVX2: the
// same tests on twice the bytes.
__attribute__((target("avx2"))) std::size_t PlainRunEnd32(const uint8_t* s, std::size_t i,
                                                          std::size_t length) {
    std::uint64_t carried = 0;
    for (; i + 32 <= length; i += 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const auto high = static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes));
        if ((high | carried) == 0) {
            continue;  // ASCII
        }
        const std::uint32_t leads2 = Has32(bytes, '\xE0', '\xC0') & ~Has32(bytes, '\xFE', '\xC0');
        const std::uint32_t leads3 = Has32(bytes, '\xF0', '\xE0') &
                                     ~(Has32(bytes, '\xFF', '\xE0') | Has32(bytes, '\xFF', '\xED'));
        const std::uint32_t continuations = Has32(bytes, '\xC0', '\x80');
        const std::uint64_t expected = (std::uint64_t{leads2} << 1) | (std::uint64_t{leads3} << 1) |
                                       (std::uint64_t{leads3} << 2) | carried;
        if ((leads2 | leads3 | continuations) != high ||
            continuations != static_cast<std::uint32_t>(expected)) {
            break;
        }
        carried = expected >> 32;
    }
    if (carried == 0b01) {
        return i - ((s[i - 1] & 0xE0) == 0xC0 ? 1 : 2);
    }
    return i - (carried == 0b11 ? 1 : 0);
}
#endif

using RunEndFn = std::size_t (*)(const uint8_t*, std::size_t, std::size_t);

// The widest of the two the processor runs.
RunEndFn ChooseRunEnd() {
#if ORVANE_UTF8_AVX2
    if (__builtin_cpu_supports("avx2")) {
        return &PlainRunEnd32;
    }
#endif
    return &PlainRunEnd;
}

bool IsValidUtf8With(RunEndFn plainRunEnd, std::string_view bytes) {
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
    const std::size_t length = bytes.size();
    std::size_t i = 0;
    while (i < length) {
        i = plainRunEnd(s, i, length);
        // What the blocks left: a few characters one by one, then blocks again.
        for (const std::size_t stop = std::min(i + 16, length); i < stop;) {
            if (s[i] < 0x80) {
                ++i;
            } else if (i + 3 <= length && PlainThreeByteAt(s + i)) {
                i += 3;
            } else {
                auto at = static_cast<int64_t>(i);
                UChar32 c;
                U8_NEXT(s, at, static_cast<int64_t>(length), c);
                if (c < 0) {
                    return false;
                }
                i = static_cast<std::size_t>(at);
            }
        }
    }
    return true;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    static const RunEndFn plainRunEnd = ChooseRunEnd();
    return IsValidUtf8With(plainRunEnd, bytes);
}

bool IsValidUtf8InSixteenByteBlocks(std::string_view bytes) {
    return IsValidUtf8With(&PlainRunEnd, bytes);
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
