// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/srt_text_shifter.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/cue_times.h"
#include "engine/srt_shifter.h"
#include "engine/timecode.h"
#include "textio/line_scan.h"
#include "textio/line_tests.h"
#include "textio/record_loader.h"
#include "textio/utf8.h"

namespace orvane::engine {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kArrow = "-->";

// One line of the text, as the walk meets it.
struct TextLine {
    const char* begin = nullptr;  // its first byte
    const char* next = nullptr;   // the first byte of the line after it
    std::string_view trimmed;     // as the record lines hold it
    bool exact = false;           // ends in CR LF, with no space to trim: written as it stands
    bool colon = false;
    bool arrowHead = false;
};

// Fills `line` in place: a line copied as a whole costs more than reading it.
void ReadLine(const char* p, const char* end, TextLine& line) {
    const textio::LineBreak lineBreak = textio::FindLineBreak(p, end);
    const std::string_view raw(p, static_cast<std::size_t>(lineBreak.at - p));
    line.begin = p;
    line.next = textio::AfterLineBreak(lineBreak.at, end);
    line.trimmed = textio::TrimSpaces(raw);
    line.exact = !raw.empty() && line.trimmed.size() == raw.size() && line.next - lineBreak.at == 2;
    line.colon = lineBreak.colon;
    line.arrowHead = lineBreak.arrowHead;
}

bool HoldsArrow(const TextLine& line) {
    return line.arrowHead && line.trimmed.find(kArrow) != std::string_view::npos;
}

// A cue's first two lines: its number, and its time line with readable codes.
struct CueHeader {
    const char* begin = nullptr;  // the number line's first byte
    const char* timeBegin = nullptr;
    const char* afterTime = nullptr;  // the first byte after the time line
    std::string_view number;
    std::string_view time;
    TimeMatch match;
    bool exact = false;  // both lines written as they stand
    bool usual = false;  // the time line is "00:00:01,000 --> 00:00:02,000"
};

// Walks the cues of a text from its start for as long as each is in the
// usual form, and shifts them into `out` exactly as SrtShifter would.
class UsualCueWalk {
public:
    UsualCueWalk(std::string_view text, const ShiftSettings& settings,
                 const textio::ProgressFn& progress, const TextChunkFn& onChunk)
        : text_(text),
          pos_(text.data()),
          end_(text.data() + text.size()),
          settings_(settings),
          progress_(progress),
          onChunk_(onChunk),
          times_(settings) {}

    // Nothing when every cue was shifted; otherwise where the first cue the
    // walk cannot take begins, from which the record lines take over.
    std::optional<std::size_t> Run() {
        state_.out.text.reserve(OutputReserve(text_.size(), onChunk_));
        SkipBlankLines();
        // Two headers in turn: the cue in hand's, and the next cue's.
        CueHeader headers[2];
        if (!ReadHeader(headers[0])) {
            return 0;
        }
        for (std::size_t k = 0;; k ^= 1) {
            const CueHeader& header = headers[k];
            if (!ReadText(header)) {
                return OffsetOf(header.begin);
            }
            SkipBlankLines();
            // Only a cue number and a time line after the blank lines tell
            // for certain that this cue's text has ended.
            const bool last = pos_ == end_;
            if (!last && !ReadHeader(headers[k ^ 1])) {
                return OffsetOf(header.begin);
            }
            Write(header);
            AppendCopiedText();
            Report(header, last);
            PassOnIfLarge(state_.out.text, onChunk_);
            if (last) {
                return std::nullopt;
            }
        }
    }

    SrtRunState TakeState() {
        state_.out.stats.largestChange = times_.LargestChange();
        // The record lines would have an empty line before the next number.
        state_.linesBefore = recordLines_ > 0 ? recordLines_ + 1 : 0;
        return std::move(state_);
    }

private:
    std::size_t OffsetOf(const char* p) const { return static_cast<std::size_t>(p - text_.data()); }

    void SkipBlankLines() {
        TextLine line;
        while (pos_ != end_) {
            if (end_ - pos_ >= 2 && pos_[0] == '\r' && pos_[1] == '\n') {
                pos_ += 2;  // the usual blank line
                continue;
            }
            if (*pos_ != ' ' && *pos_ != '\r' && *pos_ != '\n') {
                return;  // the usual next line, which is not blank
            }
            ReadLine(pos_, end_, line);
            if (!line.trimmed.empty()) {
                return;
            }
            pos_ = line.next;
        }
    }

    // A cue number with a time line under it that holds "-->" and two
    // readable codes; the walk then stands on the line after them.
    bool ReadHeader(CueHeader& header) {
        if (ReadUsualHeader(header)) {
            return true;
        }
        TextLine number;
        ReadLine(pos_, end_, number);
        if (!textio::IsCueNumberIgnoringMarks(number.trimmed)) {
            return false;
        }
        TextLine time;
        ReadLine(number.next, end_, time);
        if (!HoldsArrow(time)) {
            return false;
        }
        const std::optional<TimeMatch> match = MatchTimeLine(time.trimmed, TimePattern::Srt);
        if (!match) {
            return false;
        }
        header.begin = number.begin;
        header.timeBegin = time.begin;
        header.afterTime = time.next;
        header.number = number.trimmed;
        header.time = time.trimmed;
        header.match = *match;
        header.exact = number.exact && time.exact;
        header.usual = false;
        pos_ = time.next;
        return true;
    }

    // The header nearly every cue has, "12" and "00:01:02,345 --> 00:01:04,567"
    // with CR LF after each, checked in place. The fields are set one by one:
    // a header built whole and copied costs more than reading it.
    bool ReadUsualHeader(CueHeader& header) {
        constexpr std::size_t kMaxDigits = 6;  // as many as a cue number may have
        constexpr std::size_t kTimeLine = 29;
        std::size_t digits = 0;
        while (digits <= kMaxDigits && pos_ + digits != end_ && pos_[digits] >= '0' &&
               pos_[digits] <= '9') {
            ++digits;
        }
        if (digits == 0 || digits > kMaxDigits ||
            static_cast<std::size_t>(end_ - pos_) < digits + 2 + kTimeLine + 2) {
            return false;
        }
        const char* time = pos_ + digits + 2;
        if (time[-2] != '\r' || time[-1] != '\n' || time[kTimeLine] != '\r' ||
            time[kTimeLine + 1] != '\n' ||
            !StartsWithUsualSrtTimes(std::string_view(time, kTimeLine))) {
            return false;
        }
        header.begin = pos_;
        header.timeBegin = time;
        header.afterTime = time + kTimeLine + 2;
        header.number = std::string_view(pos_, digits);
        header.time = std::string_view(time, kTimeLine);
        header.match = kUsualSrtMatch;
        header.exact = true;
        header.usual = true;
        pos_ = header.afterTime;
        return true;
    }

    // The text lines of the cue, up to the next blank line or the end. False
    // when one of them could start a cue of its own, as the record lines see
    // it: a time line, or any line with "-->" (under a number it would be
    // the time line of a cue whose times cannot be read).
    bool ReadText(const CueHeader& header) {
        texts_.clear();
        textsHeld_ = false;
        exact_ = header.exact && ReadUsualText(header.afterTime);
        if (exact_) {
            return true;
        }
        textsHeld_ = true;
        exact_ = header.exact;
        TextLine line;
        const char* p = header.afterTime;
        for (; p != end_; p = line.next) {
            ReadLine(p, end_, line);
            if (line.trimmed.empty()) {
                break;
            }
            if (HoldsArrow(line) || (line.colon && MatchTimeLine(line.trimmed, TimePattern::Srt))) {
                return false;
            }
            texts_.push_back(line.trimmed);
            exact_ = exact_ && line.exact;
        }
        textEnd_ = p;
        textLines_ = texts_.size();
        pos_ = p;
        return true;
    }

    // Text lines in the usual form: each ends in CR LF, has no space to trim
    // and holds neither ':' nor '>', so that none can start a cue, and they
    // are written as they stand. False, having moved nothing, for any other.
    bool ReadUsualText(const char* p) {
        std::size_t count = 0;
        for (; p != end_; ++count) {
            const textio::LineBreak lineBreak = textio::FindLineBreak(p, end_);
            const char* at = lineBreak.at;
            if (at == end_ || at[0] != '\r' || at + 1 == end_ || at[1] != '\n') {
                return false;
            }
            if (at == p) {
                break;  // the blank line after the cue
            }
            if (lineBreak.colon || lineBreak.arrowHead || p[0] == ' ' || at[-1] == ' ') {
                return false;
            }
            p = at + 2;
        }
        textEnd_ = p;
        textLines_ = count;
        pos_ = p;
        return true;
    }

    // The text lines one by one, for a cue in the usual form that cannot be
    // copied as it stands after all: its codes changed length.
    void HoldTexts(const CueHeader& header) {
        TextLine line;
        for (const char* p = header.afterTime; p != textEnd_; p = line.next) {
            ReadLine(p, end_, line);
            texts_.push_back(line.trimmed);
        }
        textsHeld_ = true;
    }

    // Usual codes moved by whole milliseconds are counted in them: the
    // same times as in seconds, without the doubles. Filled in place.
    void ShiftTimes(const CueHeader& header, NewCueTimes& times) {
        if (header.usual) {
            const char* time = header.time.data();
            times.inMillis = times_.ShiftMillis(UsualSrtMillis(time),
                                                UsualSrtMillis(time + kUsualSrtMatch.end.pos),
                                                kUsualSrtLimit, times.millis);
            if (times.inMillis) {
                return;
            }
        }
        const TimeMatch& match = header.match;
        times.seconds = times_.Shift(ParseSrtTime(match.start.In(header.time)),
                                     ParseSrtTime(match.end.In(header.time)));
    }

    void Write(const CueHeader& header) {
        NewCueTimes times;
        ShiftTimes(header, times);
        state_.anyNumber = true;
        state_.anyTimed = true;
        ShiftStats& stats = state_.out.stats;
        if (times.Fate() == CueFate::Cut) {
            ++stats.dropped;
            return;
        }
        const bool moved = times.Fate() != CueFate::Kept;
        if (moved) {
            ++stats.shifted;
            stats.trimmed += times.Fate() == CueFate::Trimmed ? 1U : 0U;
        } else {
            ++stats.kept;
        }
        std::string& text = state_.out.text;
        const bool cut = settings_.mode == ShiftMode::Cut;
        const bool copied = exact_ && (!moved || times.inMillis);
        // The blank line between cues, with the cue when the file holds it
        // just before the cue, as the one line end after the last cue copied.
        const bool blankLineCopied = copied && !cut && copiedEnd_ != nullptr &&
                                     header.begin - copiedEnd_ == std::ptrdiff_t{2} &&
                                     std::string_view(copiedEnd_, kLineEnd.size()) == kLineEnd;
        if (state_.written > 0 && !blankLineCopied) {
            text += kLineEnd;  // one blank line between cues
        }
        ++state_.written;
        if (cut) {
            AppendCueNumber(text, state_.written);
            text += kLineEnd;
        }
        copiedEnd_ = nullptr;
        if (copied) {
            const std::size_t timeLineAt = CopyAsItStands(header, cut, blankLineCopied);
            copiedEnd_ = textEnd_;
            if (moved) {
                WriteUsualSrtTime(times.millis.start, text.data() + timeLineAt);
                WriteUsualSrtTime(times.millis.end,
                                  text.data() + timeLineAt + kUsualSrtMatch.end.pos);
            }
            return;
        }
        WriteRewritten(header, times);
    }

    // Copies the cue as it stands in the file, from its time line on in cut
    // mode, with the blank line before it when asked; returns where the time
    // line now begins in the output.
    std::size_t CopyAsItStands(const CueHeader& header, bool cut, bool withBlankLine) {
        std::string& text = state_.out.text;
        const char* from =
            cut ? header.timeBegin : header.begin - (withBlankLine ? kLineEnd.size() : 0);
        const std::size_t timeLineAt =
            text.size() + static_cast<std::size_t>(header.timeBegin - from);
        text.append(from, static_cast<std::size_t>(header.afterTime - from));
        copiedText_ = std::string_view(header.afterTime,
                                       static_cast<std::size_t>(textEnd_ - header.afterTime));
        return timeLineAt;
    }

    // The text lines of a cue copied as it stands, once its codes are in
    // place.
    void AppendCopiedText() { AppendText(std::exchange(copiedText_, std::string_view{})); }

    void AppendText(std::string_view piece) { AppendOutput(state_.out.text, piece, onChunk_); }

    // Writes the cue after its number (or its number in cut mode) when its
    // new codes are made as text first: when they were counted in seconds,
    // or when the cue is not held in the file as it is written out.
    void WriteRewritten(const CueHeader& header, const NewCueTimes& times) {
        const std::string_view timeLine = header.time;
        const TimeMatch& match = header.match;
        const bool moved = times.Fate() != CueFate::Kept;
        const bool cut = settings_.mode == ShiftMode::Cut;
        std::string& text = state_.out.text;
        // Made in place, never copied: the digits are written a byte at a
        // time, and a copy that reads them back whole waits for every one.
        const TimeText start = !moved           ? TimeText{}
                               : times.inMillis ? UsualSrtTimeText(times.millis.start)
                                                : SrtTimeText(times.seconds.start);
        const TimeText end = !moved           ? TimeText{}
                             : times.inMillis ? UsualSrtTimeText(times.millis.end)
                                              : SrtTimeText(times.seconds.end);
        const bool sameLengths =
            !moved || (start.size == match.start.length && end.size == match.end.length);
        if (exact_ && sameLengths) {
            const std::size_t timeLineAt = CopyAsItStands(header, cut, false);
            if (moved) {
                std::memcpy(text.data() + timeLineAt + match.start.pos, start.data, start.size);
                std::memcpy(text.data() + timeLineAt + match.end.pos, end.data, end.size);
            }
            return;
        }
        if (!textsHeld_) {
            HoldTexts(header);
        }
        if (!cut) {
            text += header.number;
            text += kLineEnd;
        }
        if (moved) {
            AppendRewrittenTimeLine(text, timeLine, match, start.View(), end.View());
        } else {
            text += timeLine;
        }
        text += kLineEnd;
        for (const std::string_view line : texts_) {
            AppendText(line);
            text += kLineEnd;
        }
    }

    // Lines as the record lines count them: each cue after the first has an
    // empty line before its number, and an empty line ends them. The total
    // is not known before the end, so until the last cue it is reckoned from
    // the bytes walked so far.
    void Report(const CueHeader& header, bool last) {
        const std::size_t timeLine = recordLines_ + (recordLines_ > 0 ? 2 : 1);
        recordLines_ = timeLine + 1 + textLines_;
        if (!progress_) {
            return;
        }
        if (last) {
            progress_({textio::ProgressStage::Shifting, recordLines_, recordLines_, false, {}});
            return;
        }
        const auto walked = static_cast<double>(OffsetOf(header.afterTime));
        const auto reckoned = static_cast<std::size_t>(static_cast<double>(recordLines_) *
                                                       static_cast<double>(text_.size()) / walked);
        progress_({textio::ProgressStage::Shifting,
                   timeLine,
                   std::max(reckoned, timeLine + 1),
                   false,
                   {}});
    }

    std::string_view text_;
    const char* pos_;  // the first byte of the line the walk stands on
    const char* end_;
    const ShiftSettings& settings_;
    const textio::ProgressFn& progress_;
    const TextChunkFn& onChunk_;
    CueTimeShifter times_;
    SrtRunState state_;
    // The cue in hand: where its text lines end and how many there are,
    // whether all its lines stand in the file as they are written out, and
    // its text lines themselves once they are wanted one by one.
    const char* textEnd_ = nullptr;
    std::size_t textLines_ = 0;
    const char* copiedEnd_ = nullptr;  // the end of the last cue copied as it stands
    std::string_view copiedText_;      // its text lines, still to be appended
    bool exact_ = false;
    std::vector<std::string_view> texts_;
    bool textsHeld_ = false;
    std::size_t recordLines_ = 0;
};

}  // namespace

ShiftOutput ShiftSrtText(textio::FileBytes text, const ShiftSettings& settings,
                         const textio::ProgressFn& progress, const TextChunkFn& onChunk,
                         std::size_t* walked) {
    std::optional<std::size_t> from = 0;
    SrtRunState state;
    // A text the record lines refuse is left to them whole, so that it is
    // refused whole.
    if (settings.removal == LanguageRemoval::Keep && !settings.simplify &&
        text.size() <= textio::kLargestRecordText) {
        UsualCueWalk walk(text.View(), settings, progress, onChunk);
        from = walk.Run();
        state = walk.TakeState();
    }
    if (walked) {
        *walked = from.value_or(text.size());
    }
    if (!from) {
        if (text.Changed()) {
            state.out.failure = textio::FailureKind::ChangedWhileRead;
        }
        return std::move(state.out);
    }
    const textio::RecordLines lines =
        textio::SplitRecordLines(std::move(text), textio::LoadLayout::Srt, *from);
    ShiftOutput out = ShiftSrtLines(lines, settings, progress, onChunk, std::move(state));
    if (lines.SourceChanged()) {
        out.failure = textio::FailureKind::ChangedWhileRead;
    }
    return out;
}

}  // namespace orvane::engine
