// SPDX-License-Identifier: GPL-3.0-or-later
// Everything a shift run needs to know, gathered once from the window's
// controls or the command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "engine/timing_map.h"

namespace orvane::engine {

enum class ShiftMode {
    Cut,     // cut an opening away and move what follows to the front
    Direct,  // move every cue earlier or later
};

// Which language of a bilingual cue to leave out.
enum class LanguageRemoval {
    Keep = 0,           // "保持原样"
    RemoveEnglish = 1,  // "删除英文字幕"
    RemoveChinese = 2,  // "删除中文字幕"
};

struct ShiftSettings {
    ShiftMode mode = ShiftMode::Cut;
    double shiftSeconds = 12.0;  // direct: the amount; cut: the extra advance
    bool later = false;          // direct mode: later instead of earlier
    double cutSeconds = 12.0;    // cut mode: the length of the opening
    // Cut mode: where the opening begins. The span [cutFrom, cutFrom +
    // cutSeconds) is cut away: cues before it stay, a cue across its start
    // ends there, and the file from cutFrom on is cut as a file that begins
    // at cutFrom. At 0, the opening at the start of the file.
    double cutFrom = 0.0;
    bool extraAdvance = false;  // cut mode: also move earlier by shiftSeconds
    LanguageRemoval removal = LanguageRemoval::Keep;
    bool simplify = false;  // Traditional to Simplified Chinese
    bool ansi = false;      // write GB2312 (GBK) instead of UTF-8 with a mark
    // Another output encoding (see textio::ChooseOutputEncoding); empty: UTF-8
    // with a mark. Never together with `ansi`.
    std::string outputEncoding;
    bool overwrite = false;   // write over the source instead of into outputDir
    bool breakLinks = false;  // overwrite: a file with more names becomes a file per name
    std::filesystem::path outputDir;
    std::string encoding;  // read every input in this charset; empty: detect
    // Direct mode: only cues that start at or after `from` and before `until`
    // move, compared to the millisecond; the others are written as they were.
    std::optional<double> from;
    std::optional<double> until;
    // A change of time axis the cues follow besides the amounts above: in
    // direct mode a cue in range moves to map(t) and then by shiftSeconds;
    // in cut mode to map(t - cut) less the extra advance. A cue follows the
    // segment that holds its start. None (or no segment): the amounts alone.
    std::optional<TimingMap> map;

    // The seconds moved earlier after the cut: shiftSeconds or nothing.
    double ExtraSeconds() const { return extraAdvance ? shiftSeconds : 0.0; }
};

}  // namespace orvane::engine
