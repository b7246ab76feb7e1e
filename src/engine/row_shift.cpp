// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/row_shift.h"

#include <algorithm>
#include <cmath>

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

std::optional<RowTimes> ReadRowTimes(const std::string& row, TimePattern pattern) {
    const std::optional<TimeMatch> match = MatchTimeLine(row, pattern);
    if (!match) {
        return std::nullopt;
    }
    const bool srt = pattern == TimePattern::Srt;
    const std::string_view startCode = match->start.In(row);
    const std::string_view endCode = match->end.In(row);
    return RowTimes{srt ? ParseSrtTime(startCode) : ParseAssTime(startCode),
                    srt ? ParseSrtTime(endCode) : ParseAssTime(endCode)};
}

RowMapping MapRows(const std::vector<std::string>& rows, TimePattern pattern,
                   const TimingMap& map) {
    RowMapping mapping;
    if (map.Empty()) {
        return mapping;
    }
    const bool srt = pattern == TimePattern::Srt;
    const auto format = [srt](double t) { return srt ? FormatSrtTime(t) : FormatAssTime(t); };
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const std::string& row = rows[index];
        if (row.find(':') == std::string::npos) {
            continue;  // no time code: most text rows
        }
        const std::optional<TimeMatch> match = MatchTimeLine(row, pattern);
        if (!match) {
            continue;
        }
        const RowTimes times = *ReadRowTimes(row, pattern);
        const TimingSegment& segment = map.SegmentFor(times.start);
        const double start = std::max(segment.Apply(times.start), 0.0);
        const double end = std::max(segment.Apply(times.end), 0.0);
        std::string after = RewriteTimeLine(row, *match, format(start), format(end));
        if (after == row) {
            continue;
        }
        // Measured on what is written, as a run measures it.
        const RowTimes written = *ReadRowTimes(after, pattern);
        mapping.largestChange =
            std::max({mapping.largestChange, std::fabs(written.start - times.start),
                      std::fabs(written.end - times.end)});
        ++mapping.moved;
        mapping.changes.push_back({index, row, std::move(after)});
    }
    return mapping;
}

}  // namespace orvane::engine
