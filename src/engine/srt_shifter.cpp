// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/srt_shifter.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>
#include <optional>

#include "engine/cue_text.h"
#include "engine/cue_times.h"
#include "engine/timecode.h"

namespace orvane::engine {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A cue's time line: where it is and, when it can be read, its two codes.
struct TimeLine {
    std::size_t index = kNone;
    std::optional<TimeMatch> match;
};

// The next time line at or after `from`. A line that holds an arrow but no
// readable codes still starts a cue when a cue number stands above it; that
// cue keeps its times.
TimeLine FindTimeLine(const textio::RecordLines& lines, std::size_t from) {
    for (std::size_t k = from; k < lines.size(); ++k) {
        if (lines.MayHoldTimeCode(k)) {
            if (auto match = MatchTimeLine(lines[k], TimePattern::Srt)) {
                return {k, match};
            }
        }
        if (k > from && lines.IsNumberAboveArrow(k - 1)) {
            return {k, std::nullopt};
        }
    }
    return {};
}

struct Cue {
    std::size_t number = kNone;  // index of its number line, if it has one
    TimeLine time;
    std::size_t textBegin = 0;  // text lines: [textBegin, textEnd), blanks skipped
    std::size_t textEnd = 0;
};

// Decides which text lines a cue keeps. Only a cue that holds both English
// and Chinese lines, told apart by IsChineseText, loses one language, so a
// cue in one language is never emptied.
class LanguageFilter {
public:
    LanguageFilter(const textio::RecordLines& lines, const Cue& cue, LanguageRemoval removal) {
        if (removal == LanguageRemoval::Keep) {
            return;
        }
        bool hasEnglish = false;
        bool hasChinese = false;
        for (std::size_t k = cue.textBegin; k < cue.textEnd; ++k) {
            if (!lines[k].empty()) {
                (IsChineseText(lines[k]) ? hasChinese : hasEnglish) = true;
            }
        }
        if (hasEnglish && hasChinese) {
            dropEnglish_ = removal == LanguageRemoval::RemoveEnglish;
            dropChinese_ = removal == LanguageRemoval::RemoveChinese;
        }
    }

    bool Keeps(std::string_view line) const {
        if (!dropEnglish_ && !dropChinese_) {
            return true;
        }
        return IsChineseText(line) ? !dropChinese_ : !dropEnglish_;
    }

private:
    bool dropEnglish_ = false;
    bool dropChinese_ = false;
};

class SrtShifter {
public:
    SrtShifter(const textio::RecordLines& lines, const ShiftSettings& settings,
               const textio::ProgressFn& progress, const TextChunkFn& onChunk, SrtRunState from)
        : lines_(lines),
          settings_(settings),
          progress_(progress),
          onChunk_(onChunk),
          out_(std::move(from.out)),
          times_(settings),
          written_(from.written),
          anyNumber_(from.anyNumber),
          anyTimed_(from.anyTimed),
          linesBefore_(from.linesBefore) {}

    ShiftOutput Run() {
        out_.text.reserve(OutputReserve(lines_.Buffer().size(), onChunk_));
        TimeLine next = FindTimeLine(lines_, 0);
        std::size_t previousTime = kNone;
        while (next.index != kNone) {
            Cue cue;
            cue.time = next;
            const std::size_t t = next.index;
            if (t > 0 && (previousTime == kNone || t - 1 > previousTime) && IsCueNumberAt(t - 1)) {
                cue.number = t - 1;
            }
            next = FindTimeLine(lines_, t + 1);
            cue.textBegin = t + 1;
            cue.textEnd = next.index == kNone ? lines_.size() : next.index;
            if (next.index != kNone && next.index - 1 > t && IsCueNumberAt(next.index - 1)) {
                cue.textEnd = next.index - 1;  // that number belongs to the next cue
            }
            anyNumber_ = anyNumber_ || cue.number != kNone;
            anyTimed_ = anyTimed_ || cue.time.match.has_value();
            Process(cue);
            previousTime = t;
            Report(t);
            PassOnIfLarge(out_.text, onChunk_);
        }
        if (!anyNumber_) {
            return Fail(textio::FailureKind::NoCueNumbers);
        }
        if (!anyTimed_) {
            return Fail(textio::FailureKind::NoTimeLines);
        }
        out_.stats.largestChange = std::max(out_.stats.largestChange, times_.LargestChange());
        return std::move(out_);
    }

private:
    ShiftOutput Fail(textio::FailureKind reason) {
        ShiftOutput failed;
        failed.failure = reason;
        return failed;
    }

    // The splitter already knows most numbers: those above a "-->".
    bool IsCueNumberAt(std::size_t k) const {
        return lines_.IsNumberAboveArrow(k) || textio::IsCueNumberIgnoringMarks(lines_[k]);
    }

    void Report(std::size_t t) {
        if (progress_) {
            progress_({textio::ProgressStage::Shifting,
                       linesBefore_ + t,
                       linesBefore_ + lines_.size() - 1,
                       false,
                       {}});
        }
    }

    void Process(const Cue& cue) {
        const std::string_view line = lines_[cue.time.index];
        if (!cue.time.match) {
            ++out_.stats.untimed;
            // A cue whose times cannot be read stays as it is, in every mode:
            // where it lies is unknown, so cutting it could lose a line the
            // user needs.
            Write(cue, line);
            return;
        }
        const TimeMatch& match = *cue.time.match;
        const CueTimes times =
            times_.Shift(ParseSrtTime(match.start.In(line)), ParseSrtTime(match.end.In(line)));
        if (times.fate == CueFate::Cut) {
            ++out_.stats.dropped;  // wholly inside the opening
            return;
        }
        if (times.fate == CueFate::Kept) {
            ++out_.stats.kept;
            Write(cue, line);
            return;
        }
        out_.stats.trimmed += times.fate == CueFate::Trimmed ? 1 : 0;
        ++out_.stats.shifted;
        Write(cue, line, &times);
    }

    // Writes the cue: its time line as it stands, or with `newTimes` in
    // place of its codes.
    void Write(const Cue& cue, std::string_view timeLine, const CueTimes* newTimes = nullptr) {
        std::string& text = out_.text;
        if (written_ > 0) {
            text += kLineEnd;  // one blank line between cues
        }
        ++written_;
        std::size_t first = cue.time.index;  // the first line written from the file
        if (settings_.mode == ShiftMode::Cut) {
            AppendCueNumber(text, written_);
            text += kLineEnd;
        } else if (cue.number != kNone) {
            first = cue.number;
        }
        if (CopyAsItStands(cue, first, newTimes)) {
            return;
        }
        if (first != cue.time.index) {
            text += lines_[first];
            text += kLineEnd;
        }
        if (newTimes) {
            AppendRewrittenTimeLine(text, timeLine, *cue.time.match,
                                    SrtTimeText(newTimes->start).View(),
                                    SrtTimeText(newTimes->end).View());
        } else {
            text += timeLine;
        }
        text += kLineEnd;
        const LanguageFilter filter(lines_, cue, settings_.removal);
        for (std::size_t k = cue.textBegin; k < cue.textEnd; ++k) {
            const std::string_view line = lines_[k];
            if (line.empty() || !filter.Keeps(line)) {
                continue;
            }
            if (settings_.simplify) {
                text += SimplifyOutsideMarkup(line);
            } else {
                AppendOutput(text, line, onChunk_);
            }
            text += kLineEnd;
        }
    }

    // Most files hold their cues as they are written out, CR LF included: a
    // cue from line `first` on is then copied in one piece, and its new
    // codes, when they have the old lengths, written over the old. Writes
    // nothing and returns false for any other cue.
    bool CopyAsItStands(const Cue& cue, std::size_t first, const CueTimes* newTimes) {
        if (settings_.removal != LanguageRemoval::Keep || settings_.simplify) {
            return false;
        }
        std::size_t last = cue.textEnd;
        while (last > cue.textBegin && lines_[last - 1].empty()) {
            --last;  // the blank line before the next cue
        }
        const std::string_view run = lines_.CrLfRun(first, last);
        if (run.empty()) {
            return false;
        }
        std::string& text = out_.text;
        if (!newTimes) {
            AppendOutput(text, run, onChunk_);
            return true;
        }
        const TimeText start = SrtTimeText(newTimes->start);
        const TimeText end = SrtTimeText(newTimes->end);
        const TimeMatch& match = *cue.time.match;
        if (start.size != match.start.length || end.size != match.end.length) {
            return false;
        }
        const std::string_view timeLine = lines_[cue.time.index];
        const auto head = static_cast<std::size_t>(timeLine.data() + timeLine.size() - run.data());
        const std::size_t timeLineAt = text.size() + (head - timeLine.size());
        text += run.substr(0, head);
        std::memcpy(text.data() + timeLineAt + match.start.pos, start.data, start.size);
        std::memcpy(text.data() + timeLineAt + match.end.pos, end.data, end.size);
        AppendOutput(text, run.substr(head), onChunk_);  // the text lines as they stand
        return true;
    }

    const textio::RecordLines& lines_;
    const ShiftSettings& settings_;
    const textio::ProgressFn& progress_;
    const TextChunkFn& onChunk_;
    ShiftOutput out_;
    CueTimeShifter times_;
    std::size_t written_ = 0;  // cues written: the blank line before the next, cut mode's number
    bool anyNumber_ = false;
    bool anyTimed_ = false;
    std::size_t linesBefore_ = 0;
};

}  // namespace

void AppendCueNumber(std::string& text, std::size_t number) {
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
    text.append(digits, static_cast<std::size_t>(end - digits));
}

ShiftOutput ShiftSrtLines(const textio::RecordLines& lines, const ShiftSettings& settings,
                          const textio::ProgressFn& progress, const TextChunkFn& onChunk,
                          SrtRunState from) {
    return SrtShifter(lines, settings, progress, onChunk, std::move(from)).Run();
}

}  // namespace orvane::engine
