// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/record_loader.h"

#include <algorithm>

#include "textio/line_tests.h"
#include "textio/text_file.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

// Calls `onLine` with every line of `text`; CR LF, LF and CR each end a line.
// A text that does not end in a line break has its last line too.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine&& onLine) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            onLine(text.substr(start));
            return;
        }
        onLine(text.substr(start, end - start));
        start =
            end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
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

LoadResult ReadAndSplit(const std::filesystem::path& path, LoadLayout layout) {
    LoadResult result;
    ReadResult read = ReadTextFile(path);
    if (!read.ok) {
        result.error = std::move(read.error);
        return result;
    }
    result.encoding = read.text.encoding;
    result.lines = SplitRecordLines(std::move(read.text.utf8), layout);
    result.ok = true;
    return result;
}

}  // namespace

LoadResult LoadSubRecords(const std::filesystem::path& path, LoadLayout layout,
                          const ProgressFn& progress, std::string_view suffix) {
    LoadResult result = ReadAndSplit(path, layout);
    if (result.ok && progress && !result.lines.empty()) {
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
    if (!result.ok) {
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
