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

// Shifts as a file is shifted, walking the text, and checks on the way that
// the line shifter alone makes the same of it.
inline ShiftOutput ShiftSrtString(std::string text, const ShiftSettings& settings) {
    const ShiftOutput lines =
        ShiftSrtLines(textio::SplitRecordLines(text, textio::LoadLayout::Srt), settings);
    ShiftOutput walked = ShiftSrtText(textio::FileBytes(std::move(text)), settings);
    EXPECT_EQ(walked.failure, lines.failure);
    EXPECT_EQ(walked.text, lines.text);
    EXPECT_EQ(walked.stats.shifted, lines.stats.shifted);
    EXPECT_EQ(walked.stats.dropped, lines.stats.dropped);
    EXPECT_EQ(walked.stats.trimmed, lines.stats.trimmed);
    EXPECT_EQ(walked.stats.untimed, lines.stats.untimed);
    return walked;
}

// Shifts as a file is shifted, line by line from the text, and checks on
// the way that shifting the table of lines makes the same of it.
inline ShiftOutput ShiftAssString(std::string text, const ShiftSettings& settings) {
    const ShiftOutput lines =
        ShiftAssLines(textio::SplitRecordLines(text, textio::LoadLayout::Plain), settings);
    ShiftOutput read = ShiftAssText(textio::FileBytes(std::move(text)), settings);
    EXPECT_EQ(read.failure, lines.failure);
    EXPECT_EQ(read.text, lines.text);
    EXPECT_EQ(read.stats.shifted, lines.stats.shifted);
    EXPECT_EQ(read.stats.dropped, lines.stats.dropped);
    EXPECT_EQ(read.stats.trimmed, lines.stats.trimmed);
    EXPECT_EQ(read.stats.untimed, lines.stats.untimed);
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
