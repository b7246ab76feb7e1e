// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a subtitle file into its record lines: the trimmed text lines from
// the first non-blank one on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textio/encoding.h"
#include "textio/failure.h"
#include "textio/file_bytes.h"
#include "textio/line_scan.h"
#include "textio/progress.h"
#include "textio/utf8.h"

namespace orvane::textio {

// How the lines are laid out.
enum class LoadLayout {
    // SubRip: blank lines dropped, exactly one blank line before each cue
    // number (a number line followed by a time line).
    Srt,
    // Everything else: every line kept in order, blank ones included.
    Plain,
};

// What the splitter found out about a line on its way past.
struct LineMarks {
    bool numberAboveArrow = false;
    bool noColon = false;
};

// The record lines of one file. The lines are views into one buffer (the
// file's own bytes, when it is UTF-8), so a large file costs little more
// than its own size.
class RecordLines {
public:
    RecordLines() = default;
    explicit RecordLines(FileBytes buffer) : buffer_(std::move(buffer)) {}

    void Reserve(std::size_t lineCount) { spans_.reserve(lineCount); }

    std::size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }
    std::string_view operator[](std::size_t i) const {
        return {buffer_.View().data() + spans_[i].offset, spans_[i].Length()};
    }

    // Whether line `i` is a cue number with "-->" on the next line, as the
    // SubRip splitter found on its way past: such a pair starts a cue even
    // when its times cannot be read. Always false in the plain layout.
    bool IsNumberAboveArrow(std::size_t i) const {
        return (spans_[i].lengthAndMarks & Span::kNumberAboveArrow) != 0;
    }
    // Whether line `i` may hold a time code: the splitter marks the lines
    // without a ':', which no code can be.
    bool MayHoldTimeCode(std::size_t i) const {
        return (spans_[i].lengthAndMarks & Span::kNoColon) == 0;
    }

    // The bytes of lines [first, last), each followed by CR LF, when the
    // buffer holds exactly that from the start of line `first` on: no blank
    // line, trimmed space or other line end between them. Empty otherwise.
    std::string_view CrLfRun(std::size_t first, std::size_t last) const;

    // Adds a line that is a part of the buffer, or an empty line. Inline:
    // the splitters call it for every line.
    void AddLine(std::string_view lineInBuffer, LineMarks marks = {}) {
        if (lineInBuffer.empty()) {
            AddEmptyLine();
            return;
        }
        // below 2^30: SplitRecordLines refuses longer texts
        const auto length = static_cast<std::uint32_t>(lineInBuffer.size()) & Span::kLength;
        spans_.push_back({static_cast<std::uint32_t>(lineInBuffer.data() - Buffer().data()),
                          length | (marks.numberAboveArrow ? Span::kNumberAboveArrow : 0U) |
                              (marks.noColon ? Span::kNoColon : 0U)});
    }
    void AddEmptyLine() { spans_.push_back({0, Span::kNoColon}); }

    std::vector<std::string> ToVector() const;
    std::string_view Buffer() const { return buffer_.View(); }
    // Whether another program changed the file while its lines were read:
    // they are then not the file's, and nothing made from them may be
    // written.
    bool SourceChanged() const { return buffer_.Changed(); }

private:
    // Offsets in 32 bits and lengths in 30: texts of 1 GiB are refused, and
    // a table half the size is faster to build. The marks share the
    // length's word as plain bits, not bit-fields, so that adding a line
    // writes the table without reading it first: fresh memory that is read
    // before it is written costs the system a second page fault.
    struct Span {
        static constexpr std::uint32_t kLength = 0x3FFF'FFFFU;
        static constexpr std::uint32_t kNumberAboveArrow = 1U << 30;
        static constexpr std::uint32_t kNoColon = 1U << 31;

        std::uint32_t offset;
        std::uint32_t lengthAndMarks;
        std::uint32_t Length() const { return lengthAndMarks & kLength; }
    };
    FileBytes buffer_;
    std::vector<Span> spans_;
};

// Calls `onLine` with each line the plain layout keeps, as SplitRecordLines
// would add it (trimmed, from the first non-blank line on, the final empty
// line left out), and what FindLineBreak saw in it: for a reader that takes
// the lines as they come and keeps no table of them.
template <typename OnLine>
void ForEachPlainLine(std::string_view text, OnLine&& onLine) {
    bool started = false;
    ForEachLine(text, [&](std::string_view line, const LineBreak& seen) {
        line = TrimSpaces(line);
        started = started || !line.empty();
        if (started) {
            onLine(line, seen);
        }
    });
}

// The longest text SplitRecordLines splits: its lines' offsets and lengths
// are held in 32 and 30 bits. Longer texts give no lines.
inline constexpr std::size_t kLargestRecordText = (std::size_t{1} << 30) - 1;

// Builds the record lines of a decoded text. Every line ends at CR LF, LF or
// CR. The result always ends with one empty line, as a text that ends with a
// line break does; a text with no non-blank line gives no lines at all.
// `from` leaves out the bytes before it, which a caller has read itself;
// the lines still point into the whole text.
RecordLines SplitRecordLines(FileBytes text, LoadLayout layout, std::size_t from = 0);
RecordLines SplitRecordLines(std::string text, LoadLayout layout);

// Whether SplitRecordLines would give any line at all: whether the text holds
// a byte other than a space or a line break.
bool HoldsNonBlankLine(std::string_view text);

struct LoadResult {
    std::optional<Failure> failure;
    SourceEncoding encoding = SourceEncoding::Utf8;
    std::string charset = "UTF-8";      // the encoding's name for people
    std::size_t replacedBytes = 0;      // UTF-8 with a few invalid bytes: how many
    std::size_t firstReplacedLine = 0;  // and where the first is
    std::optional<unsigned> mode;       // the file's permission bits
    RecordLines lines;
};

// Reads, decodes and splits a file for a shifter; reports each line with the
// reading stage, `suffix` after "；".
// `forcedCharset`, when not empty, names the encoding instead of detecting it.
LoadResult LoadSubRecords(const std::filesystem::path& path, LoadLayout layout,
                          const ProgressFn& progress = {}, std::string_view suffix = {},
                          std::string_view forcedCharset = {});

// Reads a file for the record list: each line goes to `addRow` in order, and
// progress is reported without a suffix. The result holds no lines.
// `forcedCharset` as for LoadSubRecords.
using RowSink = std::function<void(std::string_view row)>;
LoadResult LoadSubRecordsIntoList(const std::filesystem::path& path, LoadLayout layout,
                                  const RowSink& addRow, const ProgressFn& progress = {},
                                  std::string_view forcedCharset = {});

}  // namespace orvane::textio
