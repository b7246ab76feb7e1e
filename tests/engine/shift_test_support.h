// SPDX-License-Identifier: GPL-3.0-or-later
// Builds subtitle texts from lines and runs the pure shifters over them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "engine/ass_shifter.h"
#include "engine/srt_shifter.h"
#include "engine/srt_text_shifter.h"

namespace orvane::engine {

// Joins lines with CR LF, each line ended.
inline std::string Crlf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// A script of the given event lines under an [Events] section, CR LF.
inline std::string EventsScript(std::initializer_list<std::string_view> events) {
    std::string text = Crlf({"[Script Info]", "ScriptType: v4.00+", "", "[Events]",
                             "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                             "Effect, Text"});
    for (std::string_view line : events) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// The two roads through a file gave the same output.
inline void ExpectSameOutput(const ShiftOutput& taken, const ShiftOutput& other) {
    EXPECT_EQ(taken.failure, other.failure);
    EXPECT_EQ(taken.text, other.text);
    EXPECT_EQ(taken.stats.shifted, other.stats.shifted);
    EXPECT_EQ(taken.stats.dropped, other.stats.dropped);
    EXPECT_EQ(taken.stats.trimmed, other.stats.trimmed);
    EXPECT_EQ(taken.stats.kept, other.stats.kept);
    EXPECT_EQ(taken.stats.untimed, other.stats.untimed);
}

// Shifts as a file is shifted, walking the text, and checks on the way that
// the line shifter alone makes the same of it.
inline ShiftOutput ShiftSrtString(std::string text, const ShiftSettings& settings) {
    const ShiftOutput lines =
        ShiftSrtLines(textio::SplitRecordLines(text, textio::LoadLayout::Srt), settings);
    ShiftOutput walked = ShiftSrtText(textio::FileBytes(std::move(text)), settings);
    ExpectSameOutput(walked, lines);
    return walked;
}

// Shifts as a file is shifted, line by line from the text, and checks on
// the way that shifting the table of lines makes the same of it.
inline ShiftOutput ShiftAssString(std::string text, const ShiftSettings& settings) {
    const ShiftOutput lines =
        ShiftAssLines(textio::SplitRecordLines(text, textio::LoadLayout::Plain), settings);
    ShiftOutput read = ShiftAssText(textio::FileBytes(std::move(text)), settings);
    ExpectSameOutput(read, lines);
    return read;
}

inline ShiftSettings Direct(double seconds, bool later) {
    ShiftSettings s;
    s.mode = ShiftMode::Direct;
    s.shiftSeconds = seconds;
    s.later = later;
    return s;
}

inline ShiftSettings Cut(double cut, double extra = 0) {
    ShiftSettings s;
    s.mode = ShiftMode::Cut;
    s.cutSeconds = cut;
    s.extraAdvance = extra > 0;
    s.shiftSeconds = extra;
    return s;
}

inline ShiftSettings WithRemoval(ShiftSettings s, LanguageRemoval removal) {
    s.removal = removal;
    return s;
}

inline ShiftSettings Simplified(ShiftSettings s) {
    s.simplify = true;
    return s;
}

}  // namespace orvane::engine
