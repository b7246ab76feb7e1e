// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ass_shifter.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "engine/cue_text.h"
#include "engine/cue_times.h"
#include "engine/timecode.h"
#include "textio/utf8.h"

namespace orvane::engine {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kFieldsBeforeText = 9;  // Layer/Marked .. Effect

bool ContainsIgnoringCase(std::string_view line, std::string_view lowerNeedle) {
    const auto it = std::search(
        line.begin(), line.end(), lowerNeedle.begin(), lowerNeedle.end(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    return it != line.end();
}

// Whether the line holds "dialogue:" in any case. Every ':' is a place
// where it may end, and lines hold few of them.
bool IsDialogueLine(std::string_view line) {
    constexpr std::string_view kWord = "dialogue";
    for (std::size_t colon = line.find(':', kWord.size()); colon != std::string_view::npos;
         colon = line.find(':', colon + 1)) {
        if (ContainsIgnoringCase(line.substr(colon - kWord.size(), kWord.size()), kWord)) {
            return true;
        }
    }
    return false;
}

// The "[Events]" section header, in any case. A file may lack it, and then
// its events begin with the first dialogue line.
bool IsEventsHeader(std::string_view line) {
    return !line.empty() && line.front() == '[' && ContainsIgnoringCase(line, "[events]");
}

// Where the text field begins: after the ninth comma, or npos.
std::size_t TextFieldStart(std::string_view line) {
    std::size_t pos = 0;
    for (std::size_t commas = 0; commas < kFieldsBeforeText; ++commas) {
        pos = line.find(',', pos);
        if (pos == std::string_view::npos) {
            return pos;
        }
        ++pos;
    }
    return pos;
}

// The text of a part of a cue without its "{...}" override blocks, whose
// font names may be Chinese whatever the language of the text.
std::string WithoutOverrides(std::string_view part) {
    std::string text;
    std::size_t pos = 0;
    while (pos < part.size()) {
        const std::size_t open = part.find('{', pos);
        const std::size_t close = open == std::string_view::npos ? open : part.find('}', open + 1);
        if (close == std::string_view::npos) {
            text += part.substr(pos);
            break;
        }
        text += part.substr(pos, open - pos);
        pos = close + 1;
    }
    return text;
}

// The text without the "\N" line breaks at its end, which would leave an
// empty line under it.
std::string_view WithoutTrailingBreaks(std::string_view text) {
    constexpr std::string_view kBreak = "\\N";
    while (text.ends_with(kBreak)) {
        text.remove_suffix(kBreak.size());
    }
    return text;
}

// Takes a file's record lines one by one, in order, and shifts them: the
// same whether they come from a table of lines or straight from the text.
class AssShifter {
public:
    AssShifter(std::size_t inputBytes, const ShiftSettings& settings,
               const textio::ProgressFn& progress, const TextChunkFn& onChunk)
        : settings_(settings), progress_(progress), onChunk_(onChunk) {
        out_.text.reserve(OutputReserve(inputBytes, onChunk_));
    }

    // Line `index` of the record lines, whose last is reckoned to be
    // `last`, for progress.
    void Feed(std::string_view line, std::size_t index, std::size_t last) {
        if (stage_ == Stage::BeforeScript) {
            if (!ContainsIgnoringCase(line, "[script info]")) {
                return;  // nothing before "[Script Info]" is written
            }
            stage_ = Stage::Header;
        }
        // Blank lines are written only when a line follows them: the
        // output ends at the last non-blank line.
        if (line.empty()) {
            ++blanksHeld_;
            return;
        }
        for (; blanksHeld_ > 0; --blanksHeld_) {
            Process({}, index - blanksHeld_, last);
        }
        if (stage_ == Stage::Header && (IsEventsHeader(line) || IsDialogueLine(line))) {
            stage_ = Stage::Cues;
        }
        Process(line, index, last);
    }

    ShiftOutput Finish() {
        if (stage_ == Stage::BeforeScript) {
            ShiftOutput failed;
            failed.failure = textio::FailureKind::NoScriptInfo;
            return failed;
        }
        out_.stats.largestChange = times_.LargestChange();
        return std::move(out_);
    }

private:
    enum class Stage {
        BeforeScript,  // "[Script Info]" not yet met
        Header,        // before the events: written as it is
        Cues,          // from "[Events]" or the first dialogue line on: events shifted
    };

    void Process(std::string_view line, std::size_t index, std::size_t last) {
        if (stage_ == Stage::Cues) {
            ProcessCueLine(line);
        } else {
            Append(line);
        }
        if (progress_) {
            progress_({textio::ProgressStage::Shifting, index, last, false, {}});
        }
        PassOnIfLarge(out_.text, onChunk_);
    }

    void Append(std::string_view line) {
        AppendOutput(out_.text, line, onChunk_);
        out_.text += kLineEnd;
    }

    // A dialogue line that the cut leaves wholly at or before zero is left
    // out; any other event keeps its times.
    void AppendUnlessCutAway(std::string_view line) {
        if (IsDialogueLine(line)) {
            ++out_.stats.dropped;
            return;
        }
        Append(line);
    }

    void ProcessCueLine(std::string_view read) {
        const std::optional<TimeMatch> first = MatchTimeLine(read, TimePattern::Ass);
        if (!first) {
            // An event whose times cannot be read stays as it is, in every
            // mode: where it lies is unknown.
            if (IsDialogueLine(read)) {
                ++out_.stats.untimed;
            }
            Append(read);
            return;
        }
        const std::optional<std::string> edited = EditText(read);
        const std::string_view line = edited ? std::string_view(*edited) : read;
        const auto match = edited ? MatchTimeLine(line, TimePattern::Ass) : first;
        if (!match) {  // the edit can only touch the text, but stay safe
            Append(line);
            return;
        }
        NewCueTimes times;
        ShiftTimes(line, *match, times);
        if (times.Fate() == CueFate::Cut) {
            AppendUnlessCutAway(line);  // before the cut: a comment keeps its times
            return;
        }
        if (times.Fate() == CueFate::Kept) {
            ++out_.stats.kept;
            Append(line);  // outside the range to move: its times as they were
            return;
        }
        out_.stats.trimmed += times.Fate() == CueFate::Trimmed ? 1U : 0U;
        ++out_.stats.shifted;
        const TimeText start = times.inMillis ? UsualAssTimeText(times.millis.start)
                                              : AssTimeText(times.seconds.start);
        const TimeText end =
            times.inMillis ? UsualAssTimeText(times.millis.end) : AssTimeText(times.seconds.end);
        // The codes are rewritten in the head of the line; its text follows
        // as it stands.
        const std::size_t head = match->end.pos + match->end.length;
        AppendRewrittenTimeLine(out_.text, line.substr(0, head), *match, start.View(), end.View());
        Append(line.substr(head));
    }

    // Usual codes moved by whole milliseconds are counted in them: the
    // same times as in seconds, without the doubles. Filled in place.
    void ShiftTimes(std::string_view line, const TimeMatch& match, NewCueTimes& times) {
        const std::string_view startCode = match.start.In(line);
        const std::string_view endCode = match.end.In(line);
        if (IsUsualAssCode(startCode) && IsUsualAssCode(endCode)) {
            times.inMillis = times_.ShiftMillis(UsualAssMillis(startCode), UsualAssMillis(endCode),
                                                kUsualAssLimit, times.millis);
            if (times.inMillis) {
                return;
            }
        }
        times.seconds = times_.Shift(ParseAssTime(startCode), ParseAssTime(endCode));
    }

    // The line with its language removed and its text simplified as the
    // settings ask; nothing when that leaves it as it is.
    std::optional<std::string> EditText(std::string_view line) const {
        std::optional<std::string> edited = RemoveLanguage(line);
        if (settings_.simplify) {
            const std::string_view current = edited ? std::string_view(*edited) : line;
            const std::size_t text = TextFieldStart(current);
            if (text != std::string_view::npos) {
                std::string simplified(current.substr(0, text));
                simplified += SimplifyOutsideMarkup(current.substr(text));
                edited = std::move(simplified);
            }
        }
        return edited;
    }

    // Bilingual text reads ",,first\N{\override}second". Removing the first
    // language leaves ",,{\override}second"; removing the second leaves
    // ",,first", with no line break left hanging at its end. Text without "\N{\" after its last
    // ",," stays as it is, and so does text whose two parts are in the same language.
    std::optional<std::string> RemoveLanguage(std::string_view line) const {
        if (settings_.removal == LanguageRemoval::Keep) {
            return std::nullopt;
        }
        const std::size_t tailStart = line.rfind(",,");
        // A ",," that closes an empty field before the text (the name, when
        // the effect is filled) is not the text's: cutting there would take
        // the margins and the effect with it.
        const std::size_t textStart = TextFieldStart(line);
        if (tailStart == std::string_view::npos || textStart == std::string_view::npos ||
            tailStart + 2 < textStart) {
            return std::nullopt;
        }
        const std::string_view tail = line.substr(tailStart);
        const std::size_t breakAt = tail.find("\\N{\\");
        if (breakAt == std::string_view::npos) {
            return std::nullopt;
        }
        // Judged cue by cue: only a cue whose two parts are in two languages
        // loses one, whichever comes first; a cue in one language keeps all
        // of its text.
        const bool firstEnglish = !IsChineseText(WithoutOverrides(tail.substr(2, breakAt - 2)));
        const bool secondEnglish = !IsChineseText(WithoutOverrides(tail.substr(breakAt + 2)));
        if (firstEnglish == secondEnglish) {
            return std::nullopt;
        }
        const bool removeFirst =
            (settings_.removal == LanguageRemoval::RemoveEnglish) == firstEnglish;
        std::string edited(line.substr(0, tailStart));
        if (removeFirst) {
            edited += ",,";
            edited += tail.substr(breakAt + 2);
        } else {
            edited += WithoutTrailingBreaks(tail.substr(0, breakAt));
        }
        return edited;
    }

    const ShiftSettings& settings_;
    const textio::ProgressFn& progress_;
    const TextChunkFn& onChunk_;
    ShiftOutput out_;
    CueTimeShifter times_{settings_};
    Stage stage_ = Stage::BeforeScript;
    std::size_t blanksHeld_ = 0;
};

}  // namespace

ShiftOutput ShiftAssLines(const textio::RecordLines& lines, const ShiftSettings& settings,
                          const textio::ProgressFn& progress, const TextChunkFn& onChunk) {
    AssShifter shifter(lines.Buffer().size(), settings, progress, onChunk);
    for (std::size_t j = 0; j < lines.size(); ++j) {
        shifter.Feed(lines[j], j, lines.size() - 1);
    }
    return shifter.Finish();
}

ShiftOutput ShiftAssText(textio::FileBytes text, const ShiftSettings& settings,
                         const textio::ProgressFn& progress, const TextChunkFn& onChunk) {
    const std::string_view view = text.View();
    AssShifter shifter(view.size(), settings, progress, onChunk);
    std::size_t count = 0;
    textio::ForEachPlainLine(view, [&](std::string_view line, const textio::LineBreak& seen) {
        // The total is not known before the end: reckoned, for progress
        // only, from the bytes read so far.
        std::size_t last = count;
        if (progress) {
            const auto read = static_cast<double>(seen.at - view.data() + 1);
            last =
                std::max(last, static_cast<std::size_t>(static_cast<double>(count + 1) *
                                                        static_cast<double>(view.size()) / read));
        }
        shifter.Feed(line, count, last);
        ++count;
    });
    if (progress && count > 0) {
        progress({textio::ProgressStage::Shifting, count, count, false, {}});  // the final line
    }
    ShiftOutput out = shifter.Finish();
    // Lines of a file that changed under the shifter are not the file's:
    // whatever it made of them, nothing is written.
    if (text.Changed()) {
        out.failure = textio::FailureKind::ChangedWhileRead;
    }
    return out;
}

}  // namespace orvane::engine
