// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/record_loader.h"

#include <algorithm>
#include <cstring>

#include "textio/line_tests.h"
#include "textio/text_file.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

// Calls `onLine` with every line of `text`; CR LF, LF and CR each end a line.
// A text that does not end in a line break has its last line too.
// The first `c` in [from, to), or `to`.
std::size_t FindBetween(std::string_view text, char c, std::size_t from, std::size_t to) {
    const void* found = std::memchr(text.data() + from, c, to - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) : to;
}

template <typename OnLine>
void ForEachLine(std::string_view text, OnLine&& onLine) {
    // memchr for LF, then for bare CRs inside each stretch up to it: far
    // faster than testing every byte against both (find_first_of).
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = FindBetween(text, '\n', start, text.size());
        std::size_t cr = FindBetween(text, '\r', start, lf);
        while (cr < lf) {
            onLine(text.substr(start, cr - start));
            start = cr + 1;
            cr = FindBetween(text, '\r', start, lf);
        }
        const bool crBeforeLf = start == lf && lf > 0 && text[lf - 1] == '\r';
        if (lf < text.size() ? !crBeforeLf : start < lf) {
            onLine(text.substr(start, lf - start));
        }
        start = lf + 1;
    }
}

// SubRip: the non-blank trimmed lines, with one empty line before each cue
// number. A number line is a cue number only when the next non-blank line is
// a time line, so a text line such as "2019" stays text.
void SplitSrt(std::string_view text, RecordLines& lines) {
    std::string_view pending;  // the last non-blank line, not yet added
    auto add = [&](std::string_view line, bool isCueNumber) {
        if (isCueNumber && !lines.empty()) {
            lines.AddEmptyLine();
        }
        lines.AddLine(line);
    };
    ForEachLine(text, [&](std::string_view line) {
        line = TrimSpaces(line);
        if (line.empty()) {
            return;
        }
        if (!pending.empty()) {
            add(pending,
                IsCueNumberIgnoringMarks(pending) && line.find("-->") != std::string_view::npos);
        }
        pending = line;
    });
    if (!pending.empty()) {
        add(pending, false);
    }
}

// Everything else: every trimmed line from the first non-blank one on.
void SplitPlain(std::string_view text, RecordLines& lines) {
    bool started = false;
    ForEachLine(text, [&](std::string_view line) {
        line = TrimSpaces(line);
        started = started || !line.empty();
        if (started) {
            lines.AddLine(line);
        }
    });
}

}  // namespace

void RecordLines::AddLine(std::string_view lineInBuffer) {
    if (lineInBuffer.empty()) {
        AddEmptyLine();
        return;
    }
    spans_.push_back({static_cast<std::uint32_t>(lineInBuffer.data() - buffer_.data()),
                      static_cast<std::uint32_t>(lineInBuffer.size())});
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
    if (text.size() > UINT32_MAX) {
        return {};  // never from a file: the reader refuses anything this large
    }
    RecordLines lines(std::move(text));
    const std::string_view buffer = lines.Buffer();
    const auto breaks = std::count(buffer.begin(), buffer.end(), '\n');
    lines.Reserve(static_cast<std::size_t>(
                      breaks > 0 ? breaks : std::count(buffer.begin(), buffer.end(), '\r')) +
                  2);
    if (layout == LoadLayout::Srt) {
        SplitSrt(lines.Buffer(), lines);
    } else {
        SplitPlain(lines.Buffer(), lines);
    }
    if (!lines.empty()) {
        lines.AddEmptyLine();
    }
    return lines;
}

namespace {

LoadResult ReadAndSplit(const std::filesystem::path& path, LoadLayout layout,
                        std::string_view forcedCharset = {}) {
    LoadResult result;
    ReadResult read = ReadTextFile(path, forcedCharset);
    if (read.failure) {
        result.failure = std::move(read.failure);
        return result;
    }
    result.encoding = read.text.encoding;
    result.charset = std::move(read.text.charset);
    result.replacedBytes = read.text.replacedBytes;
    result.firstReplacedLine = read.text.firstReplacedLine;
    result.mode = read.mode;
    result.lines = SplitRecordLines(std::move(read.text.utf8), layout);
    return result;
}

}  // namespace

LoadResult LoadSubRecords(const std::filesystem::path& path, LoadLayout layout,
                          const ProgressFn& progress, std::string_view suffix,
                          std::string_view forcedCharset) {
    LoadResult result = ReadAndSplit(path, layout, forcedCharset);
    if (!result.failure && progress && !result.lines.empty()) {
        Progress report{ProgressStage::Reading, 0, result.lines.size() - 1, true, suffix};
        for (; report.current < result.lines.size(); ++report.current) {
            progress(report);
        }
    }
    return result;
}

LoadResult LoadSubRecordsIntoList(const std::filesystem::path& path, LoadLayout layout,
                                  const RowSink& addRow, const ProgressFn& progress) {
    LoadResult result = ReadAndSplit(path, layout);
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
    return result;
}

}  // namespace orvane::textio
