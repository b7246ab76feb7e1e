// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of one loaded file as the user edits them by hand: what a shift
// of the selected rows changes, applying changes either way, and saving.
// It keeps no history: whoever offers undo and redo keeps the changes and
// applies them backwards. Saving takes the same target checks as a run over
// the file list, so a row save refuses what a run refuses.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/align.h"
#include "engine/row_shift.h"
#include "textio/failure.h"
#include "textio/gbk.h"

namespace orvane::engine {

class RecordEditor {
public:
    // Rows of `source`; `replacedBytes` counts what its reading could not
    // keep (such a file is never saved over itself).
    void Load(std::filesystem::path source, std::vector<std::string> rows,
              std::size_t replacedBytes = 0);
    void Clear();

    const std::vector<std::string>& Rows() const { return rows_; }
    const std::filesystem::path& Source() const { return source_; }
    // Whether the rows hold time codes at all (an srt, ass or ssa file).
    bool HasTimePattern() const { return pattern_.has_value(); }
    // The cues: rows holding a time line; every row of a file without them.
    std::size_t CueCount() const;

    // The rows a shift of `selected` would change; nothing changes yet.
    std::vector<RowChange> PlanShift(const std::vector<std::size_t>& selected, double seconds,
                                     bool later) const;
    // The rows' cues as an alignment takes them (for ASS/SSA the
    // "Dialogue:" events), in row order.
    std::vector<Interval> CueIntervals() const;
    // What moving every time line through `map` would change (an alignment
    // or a sync on two points, say); nothing changes yet.
    RowMapping PlanMap(const TimingMap& map) const;
    // The times of row `index`; nothing for a row without a time line.
    std::optional<RowTimes> TimesOfRow(std::size_t index) const;
    // Puts each change's `after` in place, or its `before` when undoing.
    void Apply(const std::vector<RowChange>& changes, bool forward);

    // Some row differs from what was loaded or last saved.
    bool IsModified() const { return unsavedRows_ > 0; }
    bool IsRowUnsaved(std::size_t index) const;

    struct SaveRequest {
        bool gb2312 = false;  // GBK bytes instead of UTF-8 with its mark
        bool overwrite = false;
        std::filesystem::path outputDir;
    };
    struct SaveResult {
        std::optional<textio::Failure> failure;
        std::filesystem::path target;
        textio::GbkEncodeReport gbk;
        // Without overwrite, the output folder is the file's own: nothing was
        // written, and saving again with overwrite is the user's choice.
        bool wouldReplaceSource = false;
    };
    // Every row followed by CR LF, written atomically over the source or
    // under its name in `outputDir`.
    SaveResult Save(const SaveRequest& request);

private:
    bool DiffersFromSaved(std::size_t index) const;

    std::filesystem::path source_;
    std::optional<TimePattern> pattern_;
    std::vector<std::string> rows_;
    std::vector<std::string> savedRows_;
    std::size_t replacedBytes_ = 0;
    std::size_t unsavedRows_ = 0;
};

}  // namespace orvane::engine
