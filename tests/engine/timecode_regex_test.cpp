// SPDX-License-Identifier: GPL-3.0-or-later
// MatchTimeLine against std::regex with the two time patterns, on hand-made
// and seeded random lines.
//
// std::regex works on bytes, and its "." stops only at LF and CR. Each line
// is therefore handed to it as one char per code point: ASCII as itself,
// U+2028 and U+2029 as LF (ECMAScript's "." stops at them too), anything
// else as a byte that no part of the patterns names. Match positions are
// mapped back to byte offsets in the UTF-8 line.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/timecode.h"
#include "textio/utf8.h"

namespace orvane::engine {
namespace {

// A code does not start inside a longer number: "(?:^|[^0-9])" before the
// first, a last non-digit in ".+?" before the second (".*?[^0-9\n\r]").
const std::regex& PatternFor(TimePattern pattern) {
    static const std::regex srt(
        R"((?:^|[^0-9])(\d{2,}\:\d{2}\:\d{2}\,\d{3}).*?[^0-9\n\r](\d{2,}\:\d{2}\:\d{2}\,\d{3}))",
        std::regex::ECMAScript | std::regex::icase);
    static const std::regex ass(
        R"((?:^|[^0-9])(\d+\:\d{2}\:\d{2}\.\d{2,3})\,(\d+\:\d{2}\:\d{2}\.\d{2,3}))",
        std::regex::ECMAScript | std::regex::icase);
    return pattern == TimePattern::Srt ? srt : ass;
}

// What the regex engine finds, in byte offsets of the UTF-8 line.
std::optional<TimeMatch> RegexMatch(std::string_view line, TimePattern pattern) {
    std::string view;
    std::vector<std::size_t> offsets;  // byte offset of each char of `view`
    for (std::size_t pos = 0; pos < line.size();) {
        offsets.push_back(pos);
        const char32_t cp = textio::NextCodePoint(line, pos);
        view += cp < 0x80 ? static_cast<char>(cp) : (cp == 0x2028 || cp == 0x2029) ? '\n' : '\x01';
    }
    offsets.push_back(line.size());
    std::smatch m;
    if (!std::regex_search(view, m, PatternFor(pattern))) {
        return std::nullopt;
    }
    auto span = [&](int group) {
        const auto first = static_cast<std::size_t>(m.position(group));
        const auto last = first + static_cast<std::size_t>(m.length(group));
        return CodeSpan{offsets[first], offsets[last] - offsets[first]};
    };
    // The leftmost pair's codes are unreadable with a digit after either, a
    // minus sign before the start, or a SubRip end code's minus after a
    // space or '>'.
    auto at = [&](std::ptrdiff_t i) {
        return i >= 0 && i < static_cast<std::ptrdiff_t>(view.size())
                   ? view[static_cast<std::size_t>(i)]
                   : '\0';
    };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const std::ptrdiff_t start = m.position(1);
    const std::ptrdiff_t end = m.position(2);
    if (at(start - 1) == '-' || isDigit(at(start + m.length(1))) ||
        isDigit(at(end + m.length(2))) ||
        (pattern == TimePattern::Srt && at(end - 1) == '-' &&
         (at(end - 2) == ' ' || at(end - 2) == '>'))) {
        return std::nullopt;
    }
    return TimeMatch{span(1), span(2)};
}

std::string Describe(const std::optional<TimeMatch>& match) {
    if (!match) {
        return "no match";
    }
    std::ostringstream out;
    out << "start " << match->start.pos << "+" << match->start.length << ", end " << match->end.pos
        << "+" << match->end.length;
    return out.str();
}

std::string Escaped(std::string_view line) {
    std::ostringstream out;
    for (unsigned char c : line) {
        if (c >= 0x20 && c < 0x7F) {
            out << c;
        } else {
            out << "\\x" << std::hex << static_cast<int>(c) << std::dec;
        }
    }
    return out.str();
}

void ExpectSameAsRegex(std::string_view line, TimePattern pattern) {
    EXPECT_EQ(Describe(MatchTimeLine(line, pattern)), Describe(RegexMatch(line, pattern)))
        << (pattern == TimePattern::Srt ? "SRT" : "ASS") << " line: " << Escaped(line);
}

TEST(TimeLineRegex, HandMadeLinesMatchLikeTheRegex) {
    const char* lines[] = {
        "00:00:01,000 --> 00:00:02,000",
        "00:00:01,000-->00:00:02,000",
        "00:00:01,00000:00:02,000",
        "00:00:01,000 00:00:02,000 00:00:03,000",
        "100:00:01,000 --> 100:00:02,000",
        "1000:00:01,000 --> 00:00:02,0000",
        "0:00:01,000 --> 0:00:02,000",
        "00:00:01,000\r00:00:02,000",
        "00:00:01,000\n00:00:02,000 00:00:03,000",
        "00:00:01,000 中 00:00:02,000",
        "00:00:01,000中00:00:02,000",
        "00:00:01,000\u202800:00:02,000",
        "00:00:01,000 \u2029 00:00:02,000",
        "00:00:01,000 \u2028 00:00:02,000 00:00:03,000 x 00:00:04,000",
        "00:00:01,000\u2028 00:00:02,000 --> 00:00:03,000",
        "x00:00:01,000 --> 00:00:02,000x",
        "00:00:01.000 --> 00:00:02,000 --> 00:00:03,000",
        "99:99:99,999 --> 99:99:99,999",
        "0:00:01.00,0:00:02.00",
        "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,text",
        "Dialogue: 0,10:00:01.00,10:00:02.000,Default",
        "Dialogue: 0,100:00:01.00,1:00:02.00,",
        "0:00:01.000,0:00:02.0000",
        "0:00:01.0000,0:00:02.00",
        "0:00:01.00,,0:00:02.00",
        "0:00:01.00, 0:00:02.00",
        "0:00:01.00,0:00:02.0",
        "1:2:3.45,0:00:02.00 0:00:03.00,0:00:04.00",
        "12:34:56.78,12:34:56.78,12:34:56.78",
        "0:00:01.00,0:00:02.00中0:00:03.00,0:00:04.00",
        "::,,..",
        "",
        // Near the usual shapes, which are matched on a shorter road.
        "00:00:01,000 --> 100:00:02,000",
        "00:00:01,000 --> 00:00:02,0001",
        "00:00:01,000 --> 0:00:02,000 00:00:03,000",
        "Dialogue: 1:00:00.00,0:00:01.00,0:00:02.00,",
        "Dialogue: ,0:00:01.00,0:00:02.00,",
        "Dialogue: 0,0:00:01.000,0:00:02.00",
        "Dialogue: 0,0:00:01.00,0:00:02.0,0:00:03.00,0:00:04.00",
        "Dialogue: 0,10:00:01.00,10:00:02.001",
        "Dialogue: 0,0:00:01.001,0:00:02.00",
        "Dialogue: 0,0:00:01.00;0:00:02.00,0:00:03.00",
        "Dialogue: 0,0:00:01.00,0:00:02.00",
        "Dialogue: 0,0:0a:01.00,0:00:02.00,",
        "0a:00:01,000 --> 00:00:02,000 --> 00:00:03,000",
        "00:00:01,000 --> 00:00:02,00",
        "-00:00:02,345 --> 00:00:03,456",
        "00:00:01,000 --> -00:00:03,456",
        "00:00:01,000 -->-00:00:03,456",
        "00:00:01,000-00:00:02,000",
        "00:00:01,000 x-00:00:02,000",
        "00:00:01,000 --> 00:00:02,0001 00:00:03,000",
        "00:00:02,0001 --> 00:00:03,000",
        "Dialogue: 0,0:00:10.00,0:00:15.1234,Default",
        "Dialogue: 0,-0:00:01.00,0:00:02.00,Default",
        "Dialogue: 0,0:00:01.00,-0:00:02.00,Default",
    };
    for (const char* line : lines) {
        ExpectSameAsRegex(line, TimePattern::Srt);
        ExpectSameAsRegex(line, TimePattern::Ass);
    }
}

// Random lines built from the pieces time lines are made of, so that a good
// share of them match, nearly match, or match in an unexpected place.
std::string RandomLine(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "0",
        "1",
        "2",
        "5",
        "9",
        "00",
        "59",
        "123",
        ":",
        ":",
        ",",
        ",",
        ".",
        ".",
        " ",
        "-->",
        "00:00:01,000",
        "12:34:56,789",
        "9:59:59.99",
        "01:02:03.456",
        "0:00:01.00,",
        "中",
        "♪",
        "\u2028",
        "\r",
        "\n",
        "a",
        "X",
    };
    std::uniform_int_distribution<std::size_t> count(1, 14);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string line;
    for (std::size_t n = count(random); n > 0; --n) {
        line += pieces[pick(random)];
    }
    return line;
}

// A well-formed time line with a few bytes changed into other pieces.
std::string MutatedLine(std::mt19937& random, TimePattern pattern) {
    std::string line = pattern == TimePattern::Srt ? "00:00:01,000 --> 00:00:02,000"
                                                   : "Dialogue: 0,0:00:01.00,0:00:02.00,Default";
    static const std::string replacements = "0123456789:,. -";
    std::uniform_int_distribution<std::size_t> edits(1, 3);
    for (std::size_t n = edits(random); n > 0; --n) {
        std::uniform_int_distribution<std::size_t> at(0, line.size() - 1);
        std::uniform_int_distribution<std::size_t> with(0, replacements.size() + 2);
        const std::size_t pos = at(random);
        const std::size_t choice = with(random);
        if (choice < replacements.size()) {
            line[pos] = replacements[choice];
        } else if (choice == replacements.size()) {
            line.erase(pos, 1);
        } else if (choice == replacements.size() + 1) {
            line.insert(pos, "中");
        } else {
            line.insert(pos, 1, line[pos]);
        }
    }
    return line;
}

TEST(TimeLineRegex, RandomLinesMatchLikeTheRegex) {
    std::mt19937 random(20240601);
    int srtMatches = 0;
    int assMatches = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string line = RandomLine(random);
        ExpectSameAsRegex(line, TimePattern::Srt);
        ExpectSameAsRegex(line, TimePattern::Ass);
        srtMatches += MatchTimeLine(line, TimePattern::Srt).has_value();
        assMatches += MatchTimeLine(line, TimePattern::Ass).has_value();
        if (HasFailure()) {
            return;  // one line is enough to see what is wrong
        }
    }
    // The generator must actually produce matches, or the test proves nothing
    // (a digit piece after a code makes a good share of them unreadable).
    EXPECT_GT(srtMatches, 50);
    EXPECT_GT(assMatches, 100);
}

TEST(TimeLineRegex, MutatedTimeLinesMatchLikeTheRegex) {
    std::mt19937 random(7);
    for (TimePattern pattern : {TimePattern::Srt, TimePattern::Ass}) {
        for (int i = 0; i < 2000; ++i) {
            ExpectSameAsRegex(MutatedLine(random, pattern), pattern);
            if (HasFailure()) {
                return;
            }
        }
    }
}

}  // namespace
}  // namespace orvane::engine
