// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/row_edit_panel.h"

#include <QAction>
#include <QFontDatabase>
#include <QItemSelection>
#include <QListView>
#include <QMenu>
#include <QMetaObject>
#include <QUndoCommand>
#include <QUndoStack>
#include <algorithm>

#include "textio/file_system.h"
#include "textio/record_loader.h"
#include "textio/text_file.h"
#include "ui/dialogs.h"
#include "ui/failure_text.h"
#include "ui/status_text.h"

namespace orvane::ui {

RecordListModel::RecordListModel(const engine::RecordEditor& editor, QObject* parent)
    : QAbstractListModel(parent), editor_(editor) {}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(editor_.Rows().size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(editor_.Rows()[row]);
    }
    if (role == Qt::FontRole && editor_.IsRowUnsaved(row)) {
        return boldFont_;
    }
    return {};
}

void RecordListModel::Reset() {
    beginResetModel();
    endResetModel();
}

void RecordListModel::ShowChanged(const std::vector<engine::RowChange>& changes) {
    if (changes.empty()) {
        return;
    }
    const auto [first, last] = std::minmax_element(
        changes.begin(), changes.end(),
        [](const engine::RowChange& a, const engine::RowChange& b) { return a.index < b.index; });
    emit dataChanged(index(int(first->index)), index(int(last->index)),
                     {Qt::DisplayRole, Qt::FontRole});
}

void RecordListModel::ShowAllChanged() {
    if (rowCount() > 0) {
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::FontRole});
    }
}

// One change of the rows (a shift of the selected ones, a retiming of them
// all), done and undone through the engine.
class RowShiftCommand : public QUndoCommand {
public:
    RowShiftCommand(RowEditPanel& panel, std::vector<engine::RowChange> changes,
                    const QString& name = QStringLiteral("平移时间轴"))
        : QUndoCommand(name), panel_(panel), changes_(std::move(changes)) {}
    void redo() override { panel_.ApplyChanges(changes_, true); }
    void undo() override { panel_.ApplyChanges(changes_, false); }

private:
    RowEditPanel& panel_;
    std::vector<engine::RowChange> changes_;
};

RowEditPanel::RowEditPanel(Dialogs& dialogs, QWidget* owner)
    : QObject(owner),
      dialogs_(dialogs),
      owner_(owner),
      model_(new RecordListModel(editor_, this)),
      list_(new QListView),
      undo_(new QUndoStack(this)) {
    setObjectName(QStringLiteral("RowEdit"));
    list_->setObjectName(QStringLiteral("List2"));
    list_->setModel(model_);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setUniformItemSizes(true);  // fast for tens of thousands of rows
    list_->setToolTip(
        QStringLiteral("可多选多条字幕记录，执行自定义修改；右键可选中此行及之后的所有行"));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Time codes line up in a fixed-pitch face; Chinese falls back as usual.
    QFont rowsFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    rowsFont.setPointSizeF(list_->font().pointSizeF());
    list_->setFont(rowsFont);
    model_->SetFont(rowsFont);
    connect(list_, &QWidget::customContextMenuRequested, this, &RowEditPanel::ShowContextMenu);
}

void RowEditPanel::Load(const QString& source, std::vector<std::string> rows,
                        std::size_t replacedBytes) {
    undo_->clear();
    editor_.Load(textio::PathFromUtf8(source.toStdString()), std::move(rows), replacedBytes);
    sourcePath_ = source;
    model_->Reset();
    emit modifiedChanged(false);
    emit rowsLoaded();
}

RowEditPanel::~RowEditPanel() {
    StopLoading();
    if (loader_.joinable()) {
        loader_.join();
    }
}

void RowEditPanel::StartLoading(const QString& path, bool srtLayout,
                                const std::string& forcedCharset) {
    Clear();
    if (loader_.joinable()) {
        loader_.join();  // a stopped load ends on its own; wait for its thread
    }
    loading_ = true;
    forcedCharset_ = forcedCharset;
    dropped_ = std::make_shared<std::atomic<bool>>(false);
    loader_ = std::thread([this, path, srtLayout, forcedCharset, dropped = dropped_] {
        auto rows = std::make_shared<std::vector<std::string>>();
        std::size_t calls = 0;
        auto result = std::make_shared<textio::LoadResult>(textio::LoadSubRecordsIntoList(
            textio::PathFromUtf8(path.toStdString()),
            srtLayout ? textio::LoadLayout::Srt : textio::LoadLayout::Plain,
            [&rows](std::string_view row) { rows->emplace_back(row); },
            [&](const textio::Progress& progress) {
                // The status line for one line in a thousand and the last.
                if ((++calls % 1024) == 0 || progress.current == progress.last) {
                    const QString text = QStringLiteral("状态：") + ProgressText(progress);
                    QMetaObject::invokeMethod(
                        this, [this, text] { emit loadProgress(text); }, Qt::QueuedConnection);
                }
            },
            forcedCharset));
        QMetaObject::invokeMethod(
            this,
            [this, path, rows, result, dropped] {
                if (!dropped->load()) {
                    FinishLoading(path, std::move(*rows), *result);
                }
            },
            Qt::QueuedConnection);
    });
}

void RowEditPanel::StopLoading() {
    if (dropped_) {
        dropped_->store(true);
    }
    loading_ = false;
}

void RowEditPanel::FinishLoading(const QString& path, std::vector<std::string> rows,
                                 const textio::LoadResult& result) {
    loading_ = false;
    if (result.failure) {
        // Rows read from a file that another program changed meanwhile are
        // not the file's: none stay, so none can be saved over it.
        dialogs_.Ask(owner_, {FailureLine(*result.failure), MessageIcon::Error});
        emit loadFinished(false);
        return;
    }
    charset_ = QString::fromStdString(result.charset);
    Load(path, std::move(rows), result.replacedBytes);
    emit loadFinished(true);
}

void RowEditPanel::Clear() {
    Load(QString(), {}, 0);
    charset_.clear();
}

void RowEditPanel::ApplyChanges(const std::vector<engine::RowChange>& changes, bool forward) {
    const bool wasModified = editor_.IsModified();
    editor_.Apply(changes, forward);
    model_->ShowChanged(changes);
    if (editor_.IsModified() != wasModified) {
        emit modifiedChanged(editor_.IsModified());
    }
}

void RowEditPanel::ShiftSelected(double seconds, bool later) {
    if (!editor_.HasTimePattern()) {
        dialogs_.Ask(owner_,
                     {QStringLiteral("该类型的文件没有可平移的时间轴行（仅支持srt、ass、ssa）！"),
                      MessageIcon::Information});
        return;
    }
    // Row numbers straight from the selection's ranges: selectedRows() makes
    // and checks an index per row, which costs more than the shift itself
    // for a whole file. Overlaps are the engine's to drop.
    std::vector<std::size_t> selected;
    for (const QItemSelectionRange& range : list_->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            selected.push_back(static_cast<std::size_t>(row));
        }
    }
    std::vector<engine::RowChange> changes = editor_.PlanShift(selected, seconds, later);
    if (changes.empty()) {
        dialogs_.Ask(owner_, {QStringLiteral("选中的行中没有可平移的时间轴（或已在零点），"
                                             "未做任何修改。"),
                              MessageIcon::Information});
        return;
    }
    undo_->push(new RowShiftCommand(*this, std::move(changes)));
    dialogs_.Ask(owner_, {QStringLiteral("选中的时间轴平移处理完毕！ 稍后可以直接保存修改！")});
}

void RowEditPanel::ApplyMap(const engine::TimingMap& map, const QString& what) {
    std::vector<engine::RowChange> changes = editor_.PlanMap(map).changes;
    if (changes.empty()) {
        dialogs_.Ask(owner_, {what + QStringLiteral("：时间轴无需移动，未做任何修改。")});
        return;
    }
    undo_->push(new RowShiftCommand(*this, std::move(changes), what));
    dialogs_.Ask(owner_, {what + QStringLiteral("处理完毕！ 稍后可以直接保存修改！")});
}

std::size_t RowEditPanel::MapAll(const engine::RowMapping& mapping, const QString& name) {
    if (!mapping.changes.empty()) {
        undo_->push(new RowShiftCommand(*this, mapping.changes, name));
    }
    return mapping.changes.size();
}

bool RowEditPanel::Save(const SaveChoice& choice) {
    if (editor_.Rows().empty()) {
        dialogs_.Beep();
        return false;
    }
    engine::RecordEditor::SaveRequest request{choice.gb2312, choice.overwrite,
                                              textio::PathFromUtf8(choice.outputDir.toStdString())};
    engine::RecordEditor::SaveResult saved = editor_.Save(request);
    if (saved.wouldReplaceSource) {
        // The question a run asks in the same case; the engine still refuses
        // what must never be written over the source.
        const MessageAnswer answer = dialogs_.Ask(
            owner_, {QStringLiteral("输出目录就是字幕所在目录，将覆盖源文件，继续吗？"),
                     MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::No});
        if (answer != MessageAnswer::Yes) {
            return false;
        }
        request.overwrite = true;
        saved = editor_.Save(request);
    }
    if (saved.failure) {
        dialogs_.Ask(owner_, {QStringLiteral("保存失败：") + FailureLine(*saved.failure),
                              MessageIcon::Error});
        return false;
    }
    undo_->setClean();
    model_->ShowAllChanged();
    emit modifiedChanged(false);
    QString text = QStringLiteral("编辑修改过的字幕内容已保存！");
    if (saved.gbk.unencodableCount > 0) {
        text += QStringLiteral("\r\n其中%1个字符GB2312无法表示，已写为“?”。")
                    .arg(saved.gbk.unencodableCount);
    }
    dialogs_.Ask(owner_, {text});
    return true;
}

bool RowEditPanel::SettleUnsaved(const SaveChoice& choice) {
    if (!editor_.IsModified()) {
        return true;
    }
    const MessageAnswer answer = dialogs_.Ask(
        owner_, {QStringLiteral("当前字幕列表的平移修改尚未保存，要先保存吗？"),
                 MessageIcon::Warning, MessageButtons::SaveDiscardCancel, MessageAnswer::Save});
    if (answer == MessageAnswer::Save) {
        return Save(choice);
    }
    return answer == MessageAnswer::Discard;
}

void RowEditPanel::SelectRowsFrom(int row) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    list_->clearSelection();
    const QItemSelection range(model_->index(row), model_->index(RowCount() - 1));
    list_->selectionModel()->select(range, QItemSelectionModel::Select);
}

void RowEditPanel::ShowContextMenu(const QPoint& position) {
    const int row = list_->indexAt(position).row();
    QMenu menu(owner_);
    QAction* fromHere = menu.addAction(QStringLiteral("选中此行及之后的所有行"));
    fromHere->setEnabled(row >= 0);
    QAction* all = menu.addAction(QStringLiteral("全选"));
    all->setEnabled(RowCount() > 0);
    QAction* chosen = menu.exec(list_->viewport()->mapToGlobal(position));
    if (chosen == fromHere) {
        SelectRowsFrom(row);
    } else if (chosen == all) {
        list_->selectAll();
    }
}

}  // namespace orvane::ui
