// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the end of a text line, and on the way what the line holds that
// tells a time line from cue text. Shared by the record loader and the
// SubRip shifter, which both walk every line of a file.
#pragma once

#include <bit>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace orvane::textio {

// A line's end, and whether the line holds a ':' (every time code has one
// and most text lines none) or a '>' (every "-->" has one).
struct LineBreak {
    const char* at;
    bool colon = false;
    bool arrowHead = false;
};

// The first LF or CR in [p, end), or `end`. Sixteen bytes at a time where
// the processor allows: most lines are short, and a call per line to a
// library search costs more than the search. Inline, so that a caller that
// never looks at a mark does not pay for it.
inline LineBreak FindLineBreak(const char* p, const char* end) {
    bool colon = false;
    bool arrowHead = false;
#if defined(__SSE2__) || defined(_M_X64)
    auto mask = [](__m128i bytes, char c) {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
    };
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned breaks = mask(bytes, '\n') | mask(bytes, '\r');
        const unsigned colons = mask(bytes, ':');
        const unsigned heads = mask(bytes, '>');
        if (breaks != 0) {
            const int at = std::countr_zero(breaks);
            const unsigned before = (1U << at) - 1;
            return {p + at, colon || (colons & before) != 0, arrowHead || (heads & before) != 0};
        }
        colon = colon || colons != 0;
        arrowHead = arrowHead || heads != 0;
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\n' || *p == '\r') {
            return {p, colon, arrowHead};
        }
        colon = colon || *p == ':';
        arrowHead = arrowHead || *p == '>';
    }
    return {end, colon, arrowHead};
}

// Where the line after the break at `at` begins: CR LF, LF and CR each end
// a line.
inline const char* AfterLineBreak(const char* at, const char* end) {
    if (at == end) {
        return end;
    }
    return *at == '\r' && at + 1 < end && at[1] == '\n' ? at + 2 : at + 1;
}

// Calls `onLine` with every line of `text` and what FindLineBreak saw in
// it; CR LF, LF and CR each end a line. A text that does not end in a line
// break has its last line too.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine&& onLine) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const LineBreak lineBreak = FindLineBreak(p, end);
        onLine(std::string_view(p, static_cast<std::size_t>(lineBreak.at - p)), lineBreak);
        if (lineBreak.at == end) {
            break;
        }
        p = AfterLineBreak(lineBreak.at, end);
    }
}

}  // namespace orvane::textio
