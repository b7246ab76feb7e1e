// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/record_loader.h"

#include <algorithm>
#include <cstring>

#include "textio/line_scan.h"
#include "textio/line_tests.h"
#include "textio/text_file.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

// SubRip: the non-blank trimmed lines, with one empty line before each cue
// number. A number line is a cue number only when the next non-blank line is
// a time line, so a text line such as "2019" stays text.
void SplitSrt(std::string_view text, RecordLines& lines) {
    std::string_view pending;  // the last non-blank line, not yet added
    bool pendingColon = false;
    auto add = [&](bool isCueNumber) {
        if (isCueNumber && !lines.empty()) {
            lines.AddEmptyLine();
        }
        lines.AddLine(pending, {.numberAboveArrow = isCueNumber, .noColon = !pendingColon});
    };
    ForEachLine(text, [&](std::string_view line, const LineBreak& seen) {
        line = TrimSpaces(line);
        if (line.empty()) {
            return;
        }
        if (!pending.empty()) {
            add(line.find("-->") != std::string_view::npos && IsCueNumberIgnoringMarks(pending));
        }
        pending = line;
        pendingColon = seen.colon;
    });
    if (!pending.empty()) {
        add(false);
    }
}

void SplitPlain(std::string_view text, RecordLines& lines) {
    ForEachPlainLine(text, [&](std::string_view line, const LineBreak& seen) {
        lines.AddLine(line, {.noColon = !seen.colon});
    });
}

}  // namespace

std::string_view RecordLines::CrLfRun(std::size_t first, std::size_t last) const {
    const std::string_view buffer = Buffer();
    if (first >= last) {
        return {};
    }
    const std::size_t begin = spans_[first].offset;
    std::size_t next = begin;  // where line k must begin
    for (std::size_t k = first; k < last; ++k) {
        const Span& span = spans_[k];
        const std::size_t end = std::size_t{span.offset} + span.Length();
        if (span.Length() == 0 || span.offset != next || buffer.size() - end < 2 ||
            buffer[end] != '\r' || buffer[end + 1] != '\n') {
            return {};
        }
        next = end + 2;
    }
    return buffer.substr(begin, next - begin);
}

std::vector<std::string> RecordLines::ToVector() const {
    std::vector<std::string> out;
    out.reserve(size());
    for (std::size_t i = 0; i < size(); ++i) {
        out.emplace_back((*this)[i]);
    }
    return out;
}

RecordLines SplitRecordLines(std::string text, LoadLayout layout) {
    return SplitRecordLines(FileBytes(std::move(text)), layout);
}

RecordLines SplitRecordLines(FileBytes text, LoadLayout layout, std::size_t from) {
    if (text.size() > kLargestRecordText) {
        return {};  // never from a file: the reader refuses anything this large
    }
    RecordLines lines(std::move(text));
    const std::string_view rest = lines.Buffer().substr(std::min(from, lines.Buffer().size()));
    // Subtitle lines are short: a guess that is seldom too small spares a
    // pass that counts them.
    lines.Reserve(rest.size() / 16 + 2);
    if (layout == LoadLayout::Srt) {
        SplitSrt(rest, lines);
    } else {
        SplitPlain(rest, lines);
    }
    if (!lines.empty()) {
        lines.AddEmptyLine();
    }
    return lines;
}

bool HoldsNonBlankLine(std::string_view text) {
    return text.find_first_not_of(" \r\n") != std::string_view::npos;
}

namespace {

// Reports each of the lines, for a shifter, with the reading stage and
// `suffix` after "；".
void ReportLinesRead(const RecordLines& lines, const ProgressFn& progress,
                     std::string_view suffix) {
    if (!progress || lines.empty()) {
        return;
    }
    Progress report{ProgressStage::Reading, 0, lines.size() - 1, true, suffix};
    for (; report.current < lines.size(); ++report.current) {
        progress(report);
    }
}

LoadResult FailedLoad(FailureKind kind, const std::filesystem::path& path) {
    LoadResult result;
    result.failure = Failure{};
    result.failure->kind = kind;
    result.failure->path = path;
    return result;
}

LoadResult ReadAndSplit(const std::filesystem::path& path, LoadLayout layout,
                        std::string_view forcedCharset = {}) {
    LoadResult result;
    TextBytesResult read = ReadTextBytes(path, forcedCharset);
    if (read.failure) {
        result.failure = std::move(read.failure);
        return result;
    }
    result.encoding = read.how.encoding;
    result.charset = std::move(read.how.charset);
    result.replacedBytes = read.how.replacedBytes;
    result.firstReplacedLine = read.how.firstReplacedLine;
    result.mode = read.mode;
    result.lines = SplitRecordLines(std::move(read.utf8), layout);
    if (result.lines.SourceChanged()) {
        result = FailedLoad(FailureKind::ChangedWhileRead, path);
    }
    return result;
}

}  // namespace

LoadResult LoadSubRecords(const std::filesystem::path& path, LoadLayout layout,
                          const ProgressFn& progress, std::string_view suffix,
                          std::string_view forcedCharset) {
    LoadResult result = ReadAndSplit(path, layout, forcedCharset);
    if (!result.failure) {
        ReportLinesRead(result.lines, progress, suffix);
    }
    return result;
}

LoadResult LoadSubRecordsIntoList(const std::filesystem::path& path, LoadLayout layout,
                                  const RowSink& addRow, const ProgressFn& progress,
                                  std::string_view forcedCharset) {
    LoadResult result = ReadAndSplit(path, layout, forcedCharset);
    if (result.failure) {
        return result;
    }
    const RecordLines lines = std::move(result.lines);
    result.lines = {};
    Progress report{ProgressStage::Reading, 0, lines.empty() ? 0 : lines.size() - 1, false, {}};
    for (; report.current < lines.size(); ++report.current) {
        addRow(lines[report.current]);
        if (progress) {
            progress(report);
        }
    }
    if (lines.SourceChanged()) {
        return FailedLoad(FailureKind::ChangedWhileRead, path);
    }
    return result;
}

}  // namespace orvane::textio
