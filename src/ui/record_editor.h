// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of one loaded file as the user edits them by hand: shifting the
// selected rows, taking shifts back and doing them again, and saving. Free
// of widgets, so it is tested without a window; the window shows the rows.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/row_shift.h"
#include "textio/failure.h"
#include "textio/gbk.h"

namespace orvane::ui {

class RecordEditor {
public:
    // Rows of `source`; `replacedBytes` counts what its reading could not
    // keep (such a file is never saved over itself). Forgets any history.
    void Load(std::filesystem::path source, std::vector<std::string> rows,
              std::size_t replacedBytes = 0);
    void Clear();

    const std::vector<std::string>& Rows() const { return rows_; }
    const std::filesystem::path& Source() const { return source_; }
    // Whether the rows hold time codes at all (an srt, ass or ssa file).
    bool HasTimePattern() const { return pattern_.has_value(); }

    // Each returns the rows that changed, with their new text in `after`.
    std::vector<engine::RowChange> Shift(const std::vector<std::size_t>& selected, double seconds,
                                         bool later);
    std::vector<engine::RowChange> Undo();
    std::vector<engine::RowChange> Redo();
    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < history_.size(); }

    // Shifted since it was loaded or last saved.
    bool IsModified() const { return position_ != savedPosition_; }
    // Whether row `index` differs from what was loaded or last saved.
    bool IsRowUnsaved(std::size_t index) const;

    struct SaveResult {
        std::optional<textio::Failure> failure;
        std::filesystem::path target;
        textio::GbkEncodeReport gbk;
    };
    // Every row followed by CR LF, in GB2312 (GBK bytes) or UTF-8 with its
    // mark, over the source or under its name in `outputDir`.
    SaveResult Save(bool gb2312, bool overwrite, const std::filesystem::path& outputDir);

private:
    std::vector<engine::RowChange> Apply(const std::vector<engine::RowChange>& changes,
                                         bool forward);

    std::filesystem::path source_;
    std::optional<engine::TimePattern> pattern_;
    std::vector<std::string> rows_;
    std::vector<std::string> savedRows_;
    std::size_t replacedBytes_ = 0;
    std::vector<std::vector<engine::RowChange>> history_;  // one entry a shift
    std::size_t position_ = 0;                             // shifts in effect
    std::size_t savedPosition_ = 0;
};

}  // namespace orvane::ui
