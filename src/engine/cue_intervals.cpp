// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cue_intervals.h"

#include <cctype>

#include "engine/timecode.h"
#include "textio/text_file.h"

namespace orvane::engine {
namespace {

// Whether the line, past leading blanks, starts with `word` in any case.
bool StartsWithWord(std::string_view line, std::string_view word) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line.size() - first < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[first + i])) != word[i]) {
            return false;
        }
    }
    return true;
}

std::optional<Interval> IntervalOfLine(std::string_view line, SubtitleKind kind) {
    if (kind == SubtitleKind::Ass && !StartsWithWord(line, "dialogue:")) {
        return std::nullopt;
    }
    if (line.find(':') == std::string_view::npos) {
        return std::nullopt;  // no time code: most text lines
    }
    const TimePattern pattern = kind == SubtitleKind::Srt ? TimePattern::Srt : TimePattern::Ass;
    const std::optional<TimeMatch> match = MatchTimeLine(line, pattern);
    if (!match) {
        return std::nullopt;
    }
    const auto parse = kind == SubtitleKind::Srt ? ParseSrtTime : ParseAssTime;
    return Interval{parse(match->start.In(line)), parse(match->end.In(line))};
}

textio::Failure Refusal(textio::FailureKind kind, const std::filesystem::path& path) {
    textio::Failure failure;
    failure.kind = kind;
    failure.path = path;
    return failure;
}

}  // namespace

std::vector<Interval> CueIntervalsOfText(std::string_view text, SubtitleKind kind) {
    std::vector<Interval> cues;
    if (kind == SubtitleKind::Other) {
        return cues;
    }
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        if (const std::optional<Interval> cue = IntervalOfLine(line, kind)) {
            cues.push_back(*cue);
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return cues;
}

CueIntervalsResult ReadCueIntervals(const std::filesystem::path& path,
                                    std::string_view forcedCharset) {
    CueIntervalsResult result;
    const SubtitleKind kind = KindOfFile(path);
    if (kind == SubtitleKind::Other) {
        result.failure = Refusal(textio::FailureKind::NotSubtitleFile, path);
        return result;
    }
    const textio::TextBytesResult read = textio::ReadTextBytes(path, forcedCharset);
    if (read.failure) {
        result.failure = read.failure;
        return result;
    }
    result.cues = CueIntervalsOfText(read.utf8.View(), kind);
    if (result.cues.empty()) {
        result.failure = Refusal(textio::FailureKind::NoTimeLines, path);
    }
    return result;
}

}  // namespace orvane::engine
