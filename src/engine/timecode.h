// SPDX-License-Identifier: GPL-3.0-or-later
// Subtitle time codes and the shift arithmetic. A time is seconds in a double
// and becomes whole milliseconds when it is written back as text; codes in
// the usual forms are also read and written as whole milliseconds, for the
// shifts that come to the same codes that way (CueTimeShifter::ShiftMillis).
#pragma once

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "textio/line_tests.h"

namespace orvane::engine {

// The line tests live with the text readers, which need them too.
using textio::IsChineseText;
using textio::IsCueNumberLine;

enum class TimePattern {
    // "(\d{2,}:\d{2}:\d{2},\d{3}).+?(\d{2,}:\d{2}:\d{2},\d{3})": two SubRip codes
    // with at least one character between them.
    Srt,
    // "(\d+:\d{2}:\d{2}\.\d{2,3}),(\d+:\d{2}:\d{2}\.\d{2,3})": the start and end
    // fields of an ASS/SSA event line.
    //
    // In both, a code never starts inside a longer number: its hours are every
    // digit in front of its first ':', so "100:00:00,000" reads as 100 hours,
    // as it is written. The leftmost pair found so is the line's; its times
    // are unreadable, and the line holds no match, when a code runs on into
    // a digit ("00:00:02,0001", "0:00:15.1234") or has a minus sign in front,
    // a time before zero: the start code of both patterns, and a SubRip end
    // code whose minus follows a space or '>' ("--> -00:00:03,456"; in
    // "00:00:01,000-00:00:02,000" the hyphen only parts the two).
    Ass,
};

// Where a time code stands in a line (byte offsets).
struct CodeSpan {
    std::size_t pos = 0;
    std::size_t length = 0;
    std::string_view In(std::string_view line) const { return line.substr(pos, length); }
};

struct TimeMatch {
    CodeSpan start;
    CodeSpan end;
};

// The leftmost match of the pattern in the line, as an ECMAScript engine with
// lazy ".+?" would find it; std::nullopt when the line holds none.
std::optional<TimeMatch> MatchTimeLine(std::string_view line, TimePattern pattern);

// Whether the line begins "00:00:01,000 --> 00:00:02,000", as nearly every
// SubRip time line does: MatchTimeLine then finds its codes at
// kUsualSrtMatch.
bool StartsWithUsualSrtTimes(std::string_view line);
inline constexpr TimeMatch kUsualSrtMatch{{0, 12}, {17, 12}};

// The milliseconds of a code in the usual form, "01:02:03,456". Inline, as
// the next one: a shifter reads and writes two codes for every cue.
inline std::int64_t UsualSrtMillis(const char* code) {
    auto digit = [code](int i) { return std::int64_t{code[i] - '0'}; };
    const std::int64_t seconds = (digit(0) * 10 + digit(1)) * 3600 +
                                 (digit(3) * 10 + digit(4)) * 60 + digit(6) * 10 + digit(7);
    return seconds * 1000 + digit(9) * 100 + digit(10) * 10 + digit(11);
}

inline constexpr std::int64_t kUsualSrtLimit = std::int64_t{100} * 3600 * 1000;

// Writes a time in whole milliseconds below kUsualSrtLimit (100 hours) as
// the twelve characters of a usual code at `out`, in the place it goes:
// digits written one by one and then copied whole make the copy wait.
inline void WriteUsualSrtTime(std::int64_t milliseconds, char* out) {
    // Below 100 hours the milliseconds fit 32 bits, whose divisions are
    // cheaper.
    const auto total = static_cast<std::uint32_t>(milliseconds);
    const std::uint32_t fraction = total % 1000;
    const std::uint32_t wholeSeconds = total / 1000;
    const std::uint32_t hours = wholeSeconds / 3600;
    const std::uint32_t minutes = wholeSeconds / 60 % 60;
    const std::uint32_t seconds = wholeSeconds % 60;
    auto two = [&out](std::uint32_t value, std::size_t at) {
        out[at] = static_cast<char>('0' + value / 10);
        out[at + 1] = static_cast<char>('0' + value % 10);
    };
    two(hours, 0);
    out[2] = ':';
    two(minutes, 3);
    out[5] = ':';
    two(seconds, 6);
    out[8] = ',';
    out[9] = static_cast<char>('0' + fraction / 100);
    two(fraction % 100, 10);
}

double ParseSrtTime(std::string_view code);  // "01:02:03,456"
double ParseAssTime(std::string_view code);  // "1:02:03.45" or "1:02:03.456"

// Later adds, earlier subtracts; the result never falls below zero.
double ShiftDirect(double t, double shift, bool later);
// (t - cut) - extra, with no lower limit.
double ShiftAfterCut(double t, double cut, double extra);

struct SplitTime {
    std::int64_t hours = 0;
    int minutes = 0;
    int seconds = 0;
    int milliseconds = 0;
};

// std::nearbyint, quicker for the positive numbers below 2^52 that times
// in milliseconds are. Inline: a shifter rounds two times for every cue.
inline double RoundToWhole(double x) {
    // Below 2^52, adding 2^52 leaves no bits for a fraction: the sum is
    // rounded as nearbyint rounds, and taking 2^52 away again is exact. This
    // spares a call into the maths library for every code written. It needs
    // doubles evaluated as doubles (not x87's wider registers) and no
    // reassociation by the compiler (no fast-math).
#if FLT_EVAL_METHOD == 0 && !defined(__FAST_MATH__)
    constexpr double kNoFraction = 4503599627370496.0;  // 2^52
    if (x > 0 && x < kNoFraction) {
        return (x + kNoFraction) - kNoFraction;
    }
#endif
    return std::nearbyint(x);
}

// Rounds to whole milliseconds once (ties to even) and splits the total. A
// negative time splits as zero: no subtitle time lies before the video.
SplitTime SplitMillis(double t);

// A written time code, held without an allocation: a shifter writes two
// for every cue.
struct TimeText {
    char data[40];  // the longest: 13 hour digits and ":mm:ss,mmm"
    std::size_t size = 0;
    std::string_view View() const { return {data, size}; }
};

TimeText SrtTimeText(double t);  // "00:00:12,000"; 3 hour digits from 100 h
// The same for a time in whole milliseconds, below 100 hours.
TimeText UsualSrtTimeText(std::int64_t milliseconds);

// The usual ASS codes, "0:01:02.34" and "0:01:02.345": one hour digit,
// two or three fraction digits. A code MatchTimeLine found is one when its
// second character is the ':'.
inline constexpr std::int64_t kUsualAssLimit = std::int64_t{10} * 3600 * 1000;
bool IsUsualAssCode(std::string_view code);
std::int64_t UsualAssMillis(std::string_view code);
// AssTimeText for a time in whole milliseconds below kUsualAssLimit.
TimeText UsualAssTimeText(std::int64_t milliseconds);
TimeText AssTimeText(double t);  // "0:00:12.00"; hundredths truncated
std::string FormatSrtTime(double t);
std::string FormatAssTime(double t);

// Puts the new codes in place of the matched ones, each at its own position;
// `match` is as MatchTimeLine gives it, the start code before the end code.
void AppendRewrittenTimeLine(std::string& out, std::string_view line, const TimeMatch& match,
                             std::string_view newStart, std::string_view newEnd);
std::string RewriteTimeLine(std::string_view line, const TimeMatch& match,
                            std::string_view newStart, std::string_view newEnd);

}  // namespace orvane::engine
