// SPDX-License-Identifier: GPL-3.0-or-later
// Shifting chosen rows of a loaded file by hand: only the time codes of the
// selected rows move, by the direct formula, and every other character of
// every row stays as it was.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/timecode.h"
#include "engine/timing_map.h"

namespace orvane::engine {

// The time pattern of a file's rows by its extension (srt; ass or ssa);
// nothing for other files, whose rows hold no time codes to move.
std::optional<TimePattern> RowPatternFor(const std::filesystem::path& source);

struct RowChange {
    std::size_t index = 0;
    std::string before;
    std::string after;
};

// Moves the start and the end of every selected row that holds a time line,
// each on its own: later adds, earlier subtracts and stops at zero. Rows
// without a time line (numbers, text, blanks) stay as they are. Returns the
// rows that changed, in index order; indexes past the end are passed over.
std::vector<RowChange> ShiftRows(const std::vector<std::string>& rows,
                                 const std::vector<std::size_t>& selected, TimePattern pattern,
                                 double seconds, bool later);

// The start and end of a row's time line, in seconds; nothing for a row
// without one.
struct RowTimes {
    double start = 0;
    double end = 0;
};
std::optional<RowTimes> ReadRowTimes(const std::string& row, TimePattern pattern);

// Every time line of the rows follows `map` (by the segment that holds its
// start; below zero is zero: rows are edited in place, none is taken out),
// as a run through the map would move it.
struct RowMapping {
    std::vector<RowChange> changes;  // in index order
    std::size_t moved = 0;           // time lines whose text changed
    double largestChange = 0;        // seconds, the most a written time moved
};
RowMapping MapRows(const std::vector<std::string>& rows, TimePattern pattern, const TimingMap& map);

}  // namespace orvane::engine
