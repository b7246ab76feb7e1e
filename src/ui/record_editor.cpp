// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record_editor.h"

#include "engine/file_shift.h"
#include "textio/file_system.h"
#include "textio/text_file.h"

namespace orvane::ui {
namespace fs = std::filesystem;

void RecordEditor::Load(fs::path source, std::vector<std::string> rows, std::size_t replacedBytes) {
    source_ = std::move(source);
    pattern_ = engine::RowPatternFor(source_);
    rows_ = std::move(rows);
    savedRows_ = rows_;
    replacedBytes_ = replacedBytes;
    history_.clear();
    position_ = 0;
    savedPosition_ = 0;
}

void RecordEditor::Clear() {
    Load({}, {});
}

std::vector<engine::RowChange> RecordEditor::Shift(const std::vector<std::size_t>& selected,
                                                   double seconds, bool later) {
    if (!pattern_) {
        return {};
    }
    std::vector<engine::RowChange> changes =
        engine::ShiftRows(rows_, selected, *pattern_, seconds, later);
    if (changes.empty()) {
        return {};
    }
    // A new shift after undoing drops what could have been redone.
    history_.resize(position_);
    if (savedPosition_ > position_) {
        savedPosition_ = static_cast<std::size_t>(-1);  // the saved state is gone for good
    }
    history_.push_back(changes);
    return Apply(history_[position_++], true);
}

std::vector<engine::RowChange> RecordEditor::Undo() {
    if (!CanUndo()) {
        return {};
    }
    return Apply(history_[--position_], false);
}

std::vector<engine::RowChange> RecordEditor::Redo() {
    if (!CanRedo()) {
        return {};
    }
    return Apply(history_[position_++], true);
}

std::vector<engine::RowChange> RecordEditor::Apply(const std::vector<engine::RowChange>& changes,
                                                   bool forward) {
    std::vector<engine::RowChange> applied;
    applied.reserve(changes.size());
    for (const engine::RowChange& change : changes) {
        const std::string& from = forward ? change.before : change.after;
        const std::string& to = forward ? change.after : change.before;
        rows_[change.index] = to;
        applied.push_back({change.index, from, to});
    }
    return applied;
}

bool RecordEditor::IsRowUnsaved(std::size_t index) const {
    return index < rows_.size() &&
           (index >= savedRows_.size() || rows_[index] != savedRows_[index]);
}

RecordEditor::SaveResult RecordEditor::Save(bool gb2312, bool overwrite,
                                            const fs::path& outputDir) {
    SaveResult result;
    engine::ShiftSettings where;
    where.overwrite = overwrite;
    where.outputDir = outputDir;
    result.target = engine::TargetPath(source_, where);

    auto refuse = [&](textio::FailureKind kind) {
        result.failure = textio::Failure{kind, source_, {}, result.target, false, {}, {}};
        return result;
    };
    // The same refusals as a run over the file list, decided before writing.
    if (overwrite && replacedBytes_ > 0) {
        return refuse(textio::FailureKind::InvalidBytes);
    }
    const textio::PathInfo target = textio::InspectPath(result.target);
    if (target.type == textio::PathType::Folder) {
        return refuse(textio::FailureKind::TargetIsFolder);
    }
    if (target.type == textio::PathType::Regular && target.readOnly) {
        return refuse(textio::FailureKind::TargetReadOnly);
    }
    if (!overwrite) {
        std::error_code ec;
        fs::create_directories(outputDir, ec);
    }

    std::string text;
    for (const std::string& row : rows_) {
        text += row;
        text += "\r\n";
    }
    const textio::WriteResult written = textio::WriteTextFile(
        result.target, text, gb2312 ? textio::Charset::Gb2312 : textio::Charset::Utf8);
    result.failure = written.failure;
    result.gbk = written.gbk;
    if (!result.failure) {
        savedRows_ = rows_;
        savedPosition_ = position_;
    }
    return result;
}

}  // namespace orvane::ui
