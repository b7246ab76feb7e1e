// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the loaded file (List2) and everything done to them by hand:
// shifting the selected rows, undo and redo, saving. The rows live in the
// engine's record editor; the list shows them through a model, so tens of
// thousands of rows cost one item each only when painted. Undo and redo are
// a QUndoStack with one command per shift.
#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <QObject>
#include <QString>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/record_editor.h"
#include "textio/progress.h"
#include "textio/record_loader.h"

class QListView;
class QUndoStack;
class QWidget;

namespace orvane::ui {

class Dialogs;

class RecordListModel : public QAbstractListModel {
    Q_OBJECT
public:
    RecordListModel(const engine::RecordEditor& editor, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The list's own face; unsaved rows show it in bold.
    void SetFont(const QFont& font) { boldFont_ = font, boldFont_.setBold(true); }
    void Reset();
    void ShowChanged(const std::vector<engine::RowChange>& changes);
    void ShowAllChanged();

private:
    const engine::RecordEditor& editor_;
    QFont boldFont_;
};

class RowEditPanel : public QObject {
    Q_OBJECT
public:
    // `owner` parents the message boxes; the list is made here, named List2.
    RowEditPanel(Dialogs& dialogs, QWidget* owner);

    QListView* List() const { return list_; }
    QUndoStack* UndoStack() const { return undo_; }
    const engine::RecordEditor& Records() const { return editor_; }
    int RowCount() const { return int(editor_.Rows().size()); }
    // The file the rows came from (empty: none loaded).
    QString SourcePath() const { return sourcePath_; }

    void Load(const QString& source, std::vector<std::string> rows, std::size_t replacedBytes);
    // Reads the rows of `path` (SubRip's layout or every line as it is) on
    // a worker thread; loadFinished comes on this thread. A failure is said
    // and keeps no rows. The encoding it was read in is in Charset();
    // `forcedCharset` (an ICU name) reads it in that one instead of detecting.
    void StartLoading(const QString& path, bool srtLayout, const std::string& forcedCharset = {});
    bool IsLoading() const { return loading_; }
    // The rows under way are dropped when they arrive.
    void StopLoading();
    ~RowEditPanel() override;
    QString Charset() const { return charset_; }
    // The encoding the rows were asked to be read in (empty: detected).
    const std::string& ForcedCharset() const { return forcedCharset_; }
    void Clear();

    // Shifts the selected rows; says so when the file type has no time
    // lines or no selected row holds one.
    void ShiftSelected(double seconds, bool later);
    // Moves every time row through `map` as one step that can be undone,
    // named `what` (an alignment of the whole file), and says so.
    void ApplyMap(const engine::TimingMap& map, const QString& what);

    // Puts a retiming the record editor planned in place, as one step of
    // undo named `name`; the count of rows changed.
    std::size_t MapAll(const engine::RowMapping& mapping, const QString& name);

    struct SaveChoice {
        bool gb2312 = false;
        bool overwrite = false;
        QString outputDir;
    };
    // False when nothing was saved (no rows, a refusal, a failure, a "No").
    bool Save(const SaveChoice& choice);
    // Rows shifted and not saved: asks whether to save them first. False
    // when the user cancels or the save fails.
    bool SettleUnsaved(const SaveChoice& choice);

    // Selects the rows from `row` to the end.
    void SelectRowsFrom(int row);

signals:
    // Some row now differs, or no longer differs, from the file.
    void modifiedChanged(bool modified);
    void rowsLoaded();
    void loadFinished(bool loaded);
    void loadProgress(const QString& status);

private:
    friend class RowShiftCommand;
    void ApplyChanges(const std::vector<engine::RowChange>& changes, bool forward);
    void FinishLoading(const QString& path, std::vector<std::string> rows,
                       const textio::LoadResult& result);
    void ShowContextMenu(const QPoint& position);

    Dialogs& dialogs_;
    QWidget* owner_;
    engine::RecordEditor editor_;
    RecordListModel* model_;
    QListView* list_;
    QUndoStack* undo_;
    QString sourcePath_;
    QString charset_;
    std::string forcedCharset_;
    bool loading_ = false;
    std::shared_ptr<std::atomic<bool>> dropped_;  // of the load under way
    std::thread loader_;
};

}  // namespace orvane::ui
