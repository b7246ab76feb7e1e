// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/record_editor.h"

#include "engine/batch.h"
#include "engine/cue_intervals.h"
#include "textio/file_system.h"
#include "textio/text_file.h"

namespace orvane::engine {
namespace {

textio::Failure FailureAbout(textio::FailureKind kind, const std::filesystem::path& path) {
    textio::Failure failure;
    failure.kind = kind;
    failure.path = path;
    return failure;
}

}  // namespace
namespace fs = std::filesystem;

void RecordEditor::Load(fs::path source, std::vector<std::string> rows, std::size_t replacedBytes) {
    source_ = std::move(source);
    pattern_ = RowPatternFor(source_);
    rows_ = std::move(rows);
    savedRows_ = rows_;
    replacedBytes_ = replacedBytes;
    unsavedRows_ = 0;
}

void RecordEditor::Clear() {
    Load({}, {});
}

std::vector<RowChange> RecordEditor::PlanShift(const std::vector<std::size_t>& selected,
                                               double seconds, bool later) const {
    if (!pattern_) {
        return {};
    }
    return ShiftRows(rows_, selected, *pattern_, seconds, later);
}

std::vector<Interval> RecordEditor::CueIntervals() const {
    std::string text;
    for (const std::string& row : rows_) {
        text += row;
        text += '\n';
    }
    return CueIntervalsOfText(text, KindOfFile(source_));
}

RowMapping RecordEditor::PlanMap(const TimingMap& map) const {
    if (!pattern_) {
        return {};
    }
    return MapRows(rows_, *pattern_, map);
}

std::optional<RowTimes> RecordEditor::TimesOfRow(std::size_t index) const {
    if (!pattern_ || index >= rows_.size()) {
        return std::nullopt;
    }
    return ReadRowTimes(rows_[index], *pattern_);
}

void RecordEditor::Apply(const std::vector<RowChange>& changes, bool forward) {
    for (const RowChange& change : changes) {
        if (change.index >= rows_.size()) {
            continue;
        }
        const bool wasUnsaved = DiffersFromSaved(change.index);
        rows_[change.index] = forward ? change.after : change.before;
        const bool isUnsaved = DiffersFromSaved(change.index);
        if (isUnsaved != wasUnsaved) {
            isUnsaved ? ++unsavedRows_ : --unsavedRows_;
        }
    }
}

std::size_t RecordEditor::CueCount() const {
    if (!pattern_) {
        return rows_.size();
    }
    std::size_t cues = 0;
    for (const std::string& row : rows_) {
        if (MatchTimeLine(row, *pattern_)) {
            ++cues;
        }
    }
    return cues;
}

bool RecordEditor::DiffersFromSaved(std::size_t index) const {
    return index >= savedRows_.size() || rows_[index] != savedRows_[index];
}

bool RecordEditor::IsRowUnsaved(std::size_t index) const {
    return index < rows_.size() && DiffersFromSaved(index);
}

RecordEditor::SaveResult RecordEditor::Save(const SaveRequest& request) {
    SaveResult result;
    ShiftSettings where;
    where.overwrite = request.overwrite;
    where.outputDir = request.outputDir;
    result.target = TargetPath(source_, where);

    auto refuse = [&](textio::Failure failure) {
        result.failure = std::move(failure);
        return result;
    };
    // The planner of a run decides the target and its refusals: a missing
    // or read-only source, a link that leads nowhere, a folder or read-only
    // file in the way, an output that would replace the source itself.
    const BatchPlan plan = PlanBatch({source_}, where);
    if (plan.WouldReplaceAnInput()) {
        result.wouldReplaceSource = true;
        return result;
    }
    if (!plan.refused.empty()) {
        return refuse(plan.refused.front());
    }
    if (plan.files.empty()) {
        return refuse(FailureAbout(textio::FailureKind::NotSubtitleFile, source_));
    }
    result.target = plan.files.front().target;
    // As in a run: what reading could not keep is gone from the rows, which
    // is fine for a copy and never over the only original.
    if (request.overwrite && replacedBytes_ > 0) {
        return refuse(FailureAbout(textio::FailureKind::InvalidBytes, source_));
    }
    if (!request.overwrite) {
        std::error_code ec;
        fs::create_directories(request.outputDir, ec);
        if (ec) {
            textio::Failure failure =
                FailureAbout(textio::FailureKind::OutputDirCreateFailed, source_);
            failure.code = ec;
            failure.other = request.outputDir;
            return refuse(failure);
        }
    }

    std::string text;
    for (const std::string& row : rows_) {
        text += row;
        text += "\r\n";
    }
    const textio::WriteResult written = textio::WriteTextFile(
        result.target, text, request.gb2312 ? textio::Charset::Gb2312 : textio::Charset::Utf8);
    result.failure = written.failure;
    result.gbk = written.gbk;
    if (!result.failure) {
        savedRows_ = rows_;
        unsavedRows_ = 0;
    }
    return result;
}

}  // namespace orvane::engine
