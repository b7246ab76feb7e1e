// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/timecode.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

namespace orvane::engine {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool DigitsAt(std::string_view s, std::size_t pos, std::size_t count) {
    if (pos + count > s.size()) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!IsDigit(s[pos + i])) {
            return false;
        }
    }
    return true;
}

bool CharAt(std::string_view s, std::size_t pos, char c) {
    return pos < s.size() && s[pos] == c;
}

// Where the run of digits that ends just before `end` begins.
std::size_t DigitRunStart(std::string_view s, std::size_t end) {
    while (end > 0 && IsDigit(s[end - 1])) {
        --end;
    }
    return end;
}

// The end of the run of digits that begins at `pos`.
std::size_t DigitRunEnd(std::string_view s, std::size_t pos) {
    while (pos < s.size() && IsDigit(s[pos])) {
        ++pos;
    }
    return pos;
}

// \d{2,}:\d{2}:\d{2},\d{3} at `pos`, the hours being every digit from `pos`
// on; returns its length, or 0.
std::size_t SrtCodeAt(std::string_view s, std::size_t pos) {
    const std::size_t colon = DigitRunEnd(s, pos);
    if (colon - pos < 2 || !CharAt(s, colon, ':') || !DigitsAt(s, colon + 1, 2) ||
        !CharAt(s, colon + 3, ':') || !DigitsAt(s, colon + 4, 2) || !CharAt(s, colon + 6, ',') ||
        !DigitsAt(s, colon + 7, 3)) {
        return 0;
    }
    return colon + 10 - pos;
}

// ECMAScript's "." stops at line terminators: LF, CR, U+2028 and U+2029.
bool LineTerminatorAt(std::string_view s, std::size_t pos) {
    if (s[pos] == '\n' || s[pos] == '\r') {
        return true;
    }
    return s[pos] == '\xE2' && CharAt(s, pos + 1, '\x80') &&
           (CharAt(s, pos + 2, '\xA8') || CharAt(s, pos + 2, '\xA9'));
}

std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0xC0) {
        return 1;
    }
    return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

constexpr std::size_t kUsualSrtCode = 12;

// "00:00:01,000" at `pos`: where SrtCodeAt finds a code with two hour
// digits, checked byte by byte in place.
bool IsUsualSrtCodeAt(std::string_view s, std::size_t pos) {
    if (s.size() - std::min(pos, s.size()) < kUsualSrtCode) {
        return false;
    }
    const char* c = s.data() + pos;
    return IsDigit(c[0]) && IsDigit(c[1]) && c[2] == ':' && IsDigit(c[3]) && IsDigit(c[4]) &&
           c[5] == ':' && IsDigit(c[6]) && IsDigit(c[7]) && c[8] == ',' && IsDigit(c[9]) &&
           IsDigit(c[10]) && IsDigit(c[11]);
}

// A digit right after a code makes it a longer number than a code: its
// fraction is not three digits, so its time cannot be read.
bool DigitAfter(std::string_view s, std::size_t codeEnd) {
    return codeEnd < s.size() && IsDigit(s[codeEnd]);
}

// A minus sign right in front makes a code a time before zero, which no
// subtitle has: such a code is not read as its digits alone.
bool MinusBefore(std::string_view s, std::size_t codeStart) {
    return codeStart > 0 && s[codeStart - 1] == '-';
}

// The end code of a SubRip line with a minus sign in front of it, after a
// space or the arrow's head; "00:00:01,000-00:00:02,000" keeps its hyphen
// as the separator.
bool MinusBeforeEndCode(std::string_view s, std::size_t codeStart) {
    return MinusBefore(s, codeStart) && codeStart >= 2 &&
           (s[codeStart - 2] == ' ' || s[codeStart - 2] == '>');
}

// The search below would find the same two codes in such a line.
std::optional<TimeMatch> MatchUsualSrt(std::string_view line) {
    if (!StartsWithUsualSrtTimes(line)) {
        return std::nullopt;
    }
    return kUsualSrtMatch;
}

// A code never starts inside a longer number: its hours are every digit in
// front of its first ':', so "100:00:00,000" is 100 hours, not 0.
std::optional<TimeMatch> MatchSrt(std::string_view line) {
    // Two codes of 12 characters and one between: most text lines are shorter.
    constexpr std::size_t kShortest = 25;
    if (line.size() < kShortest) {
        return std::nullopt;
    }
    if (auto usual = MatchUsualSrt(line)) {
        return usual;
    }
    for (std::size_t colon = line.find(':'); colon != std::string_view::npos;
         colon = line.find(':', colon + 1)) {
        const std::size_t start = DigitRunStart(line, colon);
        const std::size_t first = SrtCodeAt(line, start);
        if (first == 0) {
            continue;
        }
        // ".+?": at least one character, then the nearest second code that
        // does not follow a digit.
        std::size_t q = start + first;
        if (q >= line.size() || LineTerminatorAt(line, q)) {
            continue;
        }
        q += Utf8SequenceLength(static_cast<unsigned char>(line[q]));
        for (; q < line.size(); ++q) {
            if (!IsDigit(line[q - 1])) {
                if (const std::size_t second = SrtCodeAt(line, q)) {
                    return TimeMatch{{start, first}, {q, second}};
                }
            }
            if (LineTerminatorAt(line, q)) {
                break;
            }
        }
    }
    return std::nullopt;
}

// \d+:\d{2}:\d{2}\.\d{2,3} at `pos`, the hours being every digit from `pos`
// on, greedy as a regex engine takes it; returns its length, or 0. With
// `needComma`, the code must be followed by "," (the fraction then
// backtracks from 3 digits to 2 if it must).
std::size_t AssCodeAt(std::string_view s, std::size_t pos, bool needComma) {
    const std::size_t p = DigitRunEnd(s, pos);
    if (p == pos || !CharAt(s, p, ':') || !DigitsAt(s, p + 1, 2) || !CharAt(s, p + 3, ':') ||
        !DigitsAt(s, p + 4, 2) || !CharAt(s, p + 6, '.')) {
        return 0;
    }
    for (std::size_t fractionDigits : {3u, 2u}) {
        const std::size_t length = p - pos + 7 + fractionDigits;
        if (DigitsAt(s, p + 7, fractionDigits) && (!needComma || CharAt(s, pos + length, ','))) {
            return length;
        }
    }
    return 0;
}

// "0:00:01.00" or "10:00:01.00" at `pos`, not followed by a digit: as
// nearly every code is written, and what AssCodeAt finds there. Returns its
// length, or 0.
std::size_t UsualAssCodeAt(std::string_view s, std::size_t pos) {
    const std::size_t room = s.size() - std::min(pos, s.size());
    if (room < 2) {
        return 0;
    }
    const char* c = s.data() + pos;
    if (!IsDigit(c[0])) {
        return 0;
    }
    const std::size_t length = IsDigit(c[1]) ? 11 : 10;  // one or two hour digits
    if (room < length) {
        return 0;
    }
    const char* t = c + length - 9;  // ":00:01.00"
    const bool shaped = t[0] == ':' && IsDigit(t[1]) && IsDigit(t[2]) && t[3] == ':' &&
                        IsDigit(t[4]) && IsDigit(t[5]) && t[6] == '.' && IsDigit(t[7]) &&
                        IsDigit(t[8]);
    return shaped && !(length < room && IsDigit(c[length])) ? length : 0;
}

// AssCodeAt, trying the usual shape first.
std::size_t AssCodeAtUsually(std::string_view s, std::size_t pos, bool needComma) {
    const std::size_t usual = UsualAssCodeAt(s, pos);
    if (usual != 0 && (!needComma || CharAt(s, pos + usual, ','))) {
        return usual;
    }
    return AssCodeAt(s, pos, needComma);
}

// "Dialogue: 0,0:00:01.00,0:00:02.00,", as nearly every event line begins:
// the search below would find the same two codes, for nothing before them
// can be a code.
std::optional<TimeMatch> MatchUsualAss(std::string_view line) {
    constexpr std::string_view kEvent = "Dialogue: ";
    if (!line.starts_with(kEvent)) {
        return std::nullopt;
    }
    const std::size_t layerEnd = DigitRunEnd(line, kEvent.size());
    if (layerEnd == kEvent.size() || !CharAt(line, layerEnd, ',')) {
        return std::nullopt;
    }
    const std::size_t start = layerEnd + 1;
    const std::size_t first = AssCodeAtUsually(line, start, true);
    if (first == 0) {
        return std::nullopt;
    }
    const std::size_t secondStart = start + first + 1;  // past the ","
    const std::size_t second = AssCodeAtUsually(line, secondStart, false);
    if (second == 0) {
        return std::nullopt;
    }
    return TimeMatch{{start, first}, {secondStart, second}};
}

std::optional<TimeMatch> MatchAss(std::string_view line) {
    constexpr std::size_t kShortest = 21;  // "0:00:00.00,0:00:00.00"
    if (line.size() < kShortest) {
        return std::nullopt;
    }
    if (auto usual = MatchUsualAss(line)) {
        return usual;
    }
    // A code starts where the digits before its first ':' begin.
    for (std::size_t colon = line.find(':'); colon != std::string_view::npos;
         colon = line.find(':', colon + 1)) {
        const std::size_t start = DigitRunStart(line, colon);
        const std::size_t first = AssCodeAt(line, start, true);
        if (first == 0) {
            continue;
        }
        const std::size_t secondStart = start + first + 1;  // past the ","
        if (const std::size_t second = AssCodeAt(line, secondStart, false)) {
            return TimeMatch{{start, first}, {secondStart, second}};
        }
    }
    return std::nullopt;
}

// The digits of a field as a number; the patterns admit digits only. Hours
// may have any number of digits: past a trillion the value stops growing,
// far beyond any video and far below what would overflow.
std::int64_t ReadNumber(std::string_view digits) {
    constexpr std::int64_t kCeiling = 1'000'000'000'000;
    std::int64_t value = 0;
    for (char c : digits) {
        value = std::min(value * 10 + (c - '0'), kCeiling);
    }
    return value;
}

// ((hours × 3600 + minutes × 60) + seconds) + milliseconds ÷ 1000, in that
// order, in doubles: the whole-second sum is exact.
double SumSeconds(double hours, double minutes, double seconds, std::int64_t milliseconds) {
    return ((hours * 3600 + minutes * 60) + seconds) + static_cast<double>(milliseconds) / 1000.0;
}

double ClockToSeconds(std::string_view clock, std::int64_t milliseconds) {
    const std::size_t c1 = clock.find(':');
    const std::size_t c2 = clock.find(':', c1 + 1);
    return SumSeconds(static_cast<double>(ReadNumber(clock.substr(0, c1))),
                      static_cast<double>(ReadNumber(clock.substr(c1 + 1, c2 - c1 - 1))),
                      static_cast<double>(ReadNumber(clock.substr(c2 + 1))), milliseconds);
}

int TwoDigits(const char* d) {
    return (d[0] - '0') * 10 + (d[1] - '0');
}

// ClockToSeconds for `hours` and the ":mm:ss" at `tail`, without looking
// for the colons.
double SecondsOf(std::string_view hours, const char* tail, std::int64_t milliseconds) {
    return SumSeconds(static_cast<double>(ReadNumber(hours)), TwoDigits(tail + 1),
                      TwoDigits(tail + 4), milliseconds);
}

}  // namespace

bool StartsWithUsualSrtTimes(std::string_view line) {
    constexpr std::string_view kArrow = " --> ";
    static_assert(kUsualSrtMatch.end.pos == kUsualSrtCode + kArrow.size());
    return IsUsualSrtCodeAt(line, 0) && line.substr(kUsualSrtCode, kArrow.size()) == kArrow &&
           IsUsualSrtCodeAt(line, kUsualSrtMatch.end.pos);
}

std::optional<TimeMatch> MatchTimeLine(std::string_view line, TimePattern pattern) {
    const bool srt = pattern == TimePattern::Srt;
    const std::optional<TimeMatch> match = srt ? MatchSrt(line) : MatchAss(line);
    // The leftmost pair decides: when one of its codes cannot be read, the
    // line holds no readable times, and no later pair is looked for. A
    // rewritten line then finds its codes where they were.
    if (match && (MinusBefore(line, match->start.pos) ||
                  DigitAfter(line, match->start.pos + match->start.length) ||
                  DigitAfter(line, match->end.pos + match->end.length) ||
                  (srt && MinusBeforeEndCode(line, match->end.pos)))) {
        return std::nullopt;
    }
    return match;
}

double ParseSrtTime(std::string_view code) {
    // Every digit up to the first ':' is the hours; ":mm:ss,mmm" follows.
    constexpr std::size_t kTail = 10;
    if (code.size() > kTail && code[code.size() - kTail] == ':' && code[code.size() - 4] == ',') {
        const char* tail = code.data() + code.size() - kTail;
        const auto milliseconds = (tail[7] - '0') * 100 + TwoDigits(tail + 8);
        return SecondsOf(code.substr(0, code.size() - kTail), tail, milliseconds);
    }
    const std::size_t comma = code.find(',');
    return ClockToSeconds(code.substr(0, comma), ReadNumber(code.substr(comma + 1, 3)));
}

double ParseAssTime(std::string_view code) {
    // A code ends in two or three fraction digits, so its point is near the
    // end: no search for it.
    const std::size_t size = code.size();
    const std::size_t point = size >= 3 && code[size - 3] == '.'   ? size - 3
                              : size >= 4 && code[size - 4] == '.' ? size - 4
                                                                   : code.find('.');
    // The first three characters of the fraction, zero-filled on the right:
    // 50 is 500 milliseconds, 05 is 50, 123 is 123.
    std::int64_t milliseconds = 0;
    for (std::size_t i = point + 1; i < point + 4; ++i) {
        milliseconds = milliseconds * 10 + (i < code.size() ? code[i] - '0' : 0);
    }
    // Every digit up to the first ':' is the hours; ":mm:ss" follows.
    constexpr std::size_t kTail = 6;
    if (point != std::string_view::npos && point > kTail && code[point - kTail] == ':' &&
        code[point - 3] == ':') {
        return SecondsOf(code.substr(0, point - kTail), code.data() + point - kTail, milliseconds);
    }
    return ClockToSeconds(code.substr(0, point), milliseconds);
}

double ShiftDirect(double t, double shift, bool later) {
    const double r = later ? t + shift : t - shift;
    return r < 0 ? 0 : r;
}

double ShiftAfterCut(double t, double cut, double extra) {
    return (t - cut) - extra;
}

SplitTime SplitMillis(double t) {
    const double x = t * 1000;
    // Rounded in the default rounding mode, which rounds ties to even.
    // Half the range, so that the sum of a time and a shift still fits.
    // NOLINTNEXTLINE(bugprone-integer-division)
    constexpr double kLargest = static_cast<double>(std::numeric_limits<std::int64_t>::max() / 2);
    const double rounded = RoundToWhole(x);
    std::int64_t total = 0;
    if (rounded > 0) {
        total = rounded < kLargest ? static_cast<std::int64_t>(rounded)
                                   : static_cast<std::int64_t>(kLargest);
    }
    SplitTime split;
    split.milliseconds = static_cast<int>(total % 1000);
    const std::int64_t wholeSeconds = total / 1000;
    split.hours = wholeSeconds / 3600;
    split.seconds = static_cast<int>(wholeSeconds % 60);
    split.minutes = static_cast<int>((wholeSeconds - split.hours * 3600) / 60);
    return split;
}

namespace {

// Writes `value` zero-filled to at least `width` digits at `out`; returns
// the end of what it wrote.
char* WritePadded(char* out, std::int64_t value, int width) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = n; i < width; ++i) {
        *out++ = '0';
    }
    while (n > 0) {
        *out++ = digits[--n];
    }
    return out;
}

// "00" to "99", so that two digits take one copy: a shifter writes four
// such fields per time code and two codes per cue.
constexpr std::array<char, 200> kTwoDigits = [] {
    std::array<char, 200> table{};
    for (std::size_t i = 0; i < 100; ++i) {
        table[2 * i] = static_cast<char>('0' + i / 10);
        table[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return table;
}();

// Writes `value` (0 to 99) as two digits.
char* WriteTwoDigits(char* out, int value) {
    std::memcpy(out, &kTwoDigits[2 * static_cast<std::size_t>(value)], 2);
    return out + 2;
}

// hours:mm:ss then the fraction mark and the fraction, zero-filled.
template <int HourWidth, int FractionWidth>
TimeText FormatClock(const SplitTime& s, char fractionMark, int fraction) {
    static_assert((HourWidth == 1 || HourWidth == 2) && (FractionWidth == 2 || FractionWidth == 3));
    TimeText text;
    char* out = text.data;
    if (HourWidth == 1 && s.hours < 10) {
        *out++ = static_cast<char>('0' + s.hours);
    } else if (s.hours < 100) {
        out = WriteTwoDigits(out, static_cast<int>(s.hours));
    } else {
        out = WritePadded(out, s.hours, HourWidth);
    }
    *out++ = ':';
    out = WriteTwoDigits(out, s.minutes);
    *out++ = ':';
    out = WriteTwoDigits(out, s.seconds);
    *out++ = fractionMark;
    if (FractionWidth == 3) {
        *out++ = static_cast<char>('0' + fraction / 100);
        fraction %= 100;
    }
    out = WriteTwoDigits(out, fraction);
    text.size = static_cast<std::size_t>(out - text.data);
    return text;
}

}  // namespace

TimeText UsualSrtTimeText(std::int64_t milliseconds) {
    TimeText text;
    WriteUsualSrtTime(milliseconds, text.data);
    text.size = kUsualSrtMatch.start.length;
    return text;
}

bool IsUsualAssCode(std::string_view code) {
    return (code.size() == 10 || code.size() == 11) && code[1] == ':';
}

std::int64_t UsualAssMillis(std::string_view code) {
    const char* c = code.data();
    const std::int64_t seconds =
        std::int64_t{c[0] - '0'} * 3600 + std::int64_t{TwoDigits(c + 2)} * 60 + TwoDigits(c + 5);
    const std::int64_t fraction = code.size() == 11
                                      ? std::int64_t{c[8] - '0'} * 100 + TwoDigits(c + 9)
                                      : std::int64_t{TwoDigits(c + 8)} * 10;
    return seconds * 1000 + fraction;
}

TimeText UsualAssTimeText(std::int64_t milliseconds) {
    const auto total = static_cast<std::uint32_t>(milliseconds);
    const std::uint32_t wholeSeconds = total / 1000;
    SplitTime split;
    split.hours = wholeSeconds / 3600;
    split.minutes = static_cast<int>(wholeSeconds / 60 % 60);
    split.seconds = static_cast<int>(wholeSeconds % 60);
    split.milliseconds = static_cast<int>(total % 1000);
    return FormatClock<1, 2>(split, '.', split.milliseconds / 10);  // hundredths, truncated
}

TimeText SrtTimeText(double t) {
    const SplitTime s = SplitMillis(t);
    return FormatClock<2, 3>(s, ',', s.milliseconds);
}

TimeText AssTimeText(double t) {
    const SplitTime s = SplitMillis(t);
    return FormatClock<1, 2>(s, '.', s.milliseconds / 10);  // hundredths, truncated
}

std::string FormatSrtTime(double t) {
    return std::string(SrtTimeText(t).View());
}

std::string FormatAssTime(double t) {
    return std::string(AssTimeText(t).View());
}

void AppendRewrittenTimeLine(std::string& out, std::string_view line, const TimeMatch& match,
                             std::string_view newStart, std::string_view newEnd) {
    // New codes nearly always have the lengths of the old: the line is then
    // copied whole and the codes written over their places.
    if (newStart.size() == match.start.length && newEnd.size() == match.end.length) {
        const std::size_t lineStart = out.size();
        out += line;
        std::memcpy(out.data() + lineStart + match.start.pos, newStart.data(), newStart.size());
        std::memcpy(out.data() + lineStart + match.end.pos, newEnd.data(), newEnd.size());
        return;
    }
    const std::size_t afterStart = match.start.pos + match.start.length;
    out.append(line.data(), match.start.pos);
    out += newStart;
    out += line.substr(afterStart, match.end.pos - afterStart);
    out += newEnd;
    out += line.substr(match.end.pos + match.end.length);
}

std::string RewriteTimeLine(std::string_view line, const TimeMatch& match,
                            std::string_view newStart, std::string_view newEnd) {
    std::string out;
    out.reserve(line.size() + newStart.size() + newEnd.size());
    AppendRewrittenTimeLine(out, line, match, newStart, newEnd);
    return out;
}

}  // namespace orvane::engine
