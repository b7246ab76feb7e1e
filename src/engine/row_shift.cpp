// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/row_shift.h"

#include <algorithm>

#include "engine/file_shift.h"

namespace orvane::engine {

std::optional<TimePattern> RowPatternFor(const std::filesystem::path& source) {
    switch (KindOfFile(source)) {
        case SubtitleKind::Srt:
            return TimePattern::Srt;
        case SubtitleKind::Ass:
            return TimePattern::Ass;
        case SubtitleKind::Other:
            break;
    }
    return std::nullopt;
}

std::vector<RowChange> ShiftRows(const std::vector<std::string>& rows,
                                 const std::vector<std::size_t>& selected, TimePattern pattern,
                                 double seconds, bool later) {
    std::vector<std::size_t> order = selected;
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());

    const bool srt = pattern == TimePattern::Srt;
    std::vector<RowChange> changes;
    for (const std::size_t index : order) {
        if (index >= rows.size()) {
            break;
        }
        const std::string& row = rows[index];
        const std::optional<TimeMatch> match = MatchTimeLine(row, pattern);
        if (!match) {
            continue;
        }
        const std::string_view startCode = match->start.In(row);
        const std::string_view endCode = match->end.In(row);
        const double start =
            ShiftDirect(srt ? ParseSrtTime(startCode) : ParseAssTime(startCode), seconds, later);
        const double end =
            ShiftDirect(srt ? ParseSrtTime(endCode) : ParseAssTime(endCode), seconds, later);
        std::string after =
            RewriteTimeLine(row, *match, srt ? FormatSrtTime(start) : FormatAssTime(start),
                            srt ? FormatSrtTime(end) : FormatAssTime(end));
        if (after != row) {
            changes.push_back({index, row, std::move(after)});
        }
    }
    return changes;
}

std::vector<RowChange> MapRows(const std::vector<std::string>& rows, TimePattern pattern,
                               const TimingMap& map) {
    std::vector<RowChange> changes;
    if (map.Empty()) {
        return changes;
    }
    const bool srt = pattern == TimePattern::Srt;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const std::string& row = rows[index];
        if (row.find(':') == std::string::npos) {
            continue;  // no time code: most text rows
        }
        const std::optional<TimeMatch> match = MatchTimeLine(row, pattern);
        if (!match) {
            continue;
        }
        const std::string_view startCode = match->start.In(row);
        const std::string_view endCode = match->end.In(row);
        const double start = srt ? ParseSrtTime(startCode) : ParseAssTime(startCode);
        const double end = srt ? ParseSrtTime(endCode) : ParseAssTime(endCode);
        const TimingSegment& segment = map.SegmentFor(start);
        const double movedStart = std::max(segment.Apply(start), 0.0);
        const double movedEnd = std::max(segment.Apply(end), 0.0);
        std::string after = RewriteTimeLine(
            row, *match, srt ? FormatSrtTime(movedStart) : FormatAssTime(movedStart),
            srt ? FormatSrtTime(movedEnd) : FormatAssTime(movedEnd));
        if (after != row) {
            changes.push_back({index, row, std::move(after)});
        }
    }
    return changes;
}

}  // namespace orvane::engine
