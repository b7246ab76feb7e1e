// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one window. It owns every option of a shift run, the file
// list, the record list, the output folder and the status line; handlers are
// named after their control and event. Work itself happens in engine/ and
// textio/: the window only gathers settings and reports.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/batch.h"
#include "engine/shift_settings.h"
#include "textio/progress.h"
#include "ui/opening.h"
#include "ui/option_rules.h"
#include "ui/record_editor.h"
#include "ui/update_command.h"
#include "update/update_checker.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;

namespace orvane::update {
class UpdateChecker;
}

namespace orvane::ui {

class Dialogs;
class ElidedLabel;
class RunController;
class SystemServices;

inline const QString kWindowTitle = QStringLiteral("Orvane字幕时间轴专用平移编辑助手");
inline const QString kUpdateNotice = QStringLiteral("【发现有更新版本，建议及时更新】");

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // The three services must outlive the window. The start-up sequence
    // (environment, file type, working folder, update check) runs here.
    Form1(Dialogs& dialogs, const SystemServices& system, update::UpdateChecker& updates,
          QWidget* parent = nullptr);
    ~Form1() override;

    // The settings of a run as the controls give them now; nothing when the
    // run needs the shift amount and the field does not hold a usable one.
    std::optional<engine::ShiftSettings> GatherShiftSettings() const;

    // The clip whose length cut mode removes: caption, tag and (while no
    // further advance is asked for) the amount field follow it.
    void SetOpeningClip(const OpeningClip& clip);
    const OpeningClip& Opening() const { return opening_; }

    // Every write to the status line goes through here.
    void SetStatus(const QString& text);

    // The run over the file list, for tests that act at a point of a run.
    RunController& Run() { return *run_; }

    // Controls, under the names the rest of the program knows them by.
    QLabel* Label1 = nullptr;
    ElidedLabel* LDir = nullptr;
    QPushButton* CmdStop = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* OptCutMove = nullptr;
    QCheckBox* ChMove = nullptr;
    QCheckBox* ChFanToJ = nullptr;
    QComboBox* CmbDel = nullptr;
    QCheckBox* ChHead = nullptr;
    ElidedLabel* LHead = nullptr;
    QRadioButton* OptMove = nullptr;
    QCheckBox* ChDirection = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* TShift = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* ChSelect = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* CmbType = nullptr;
    QCheckBox* ChASCII = nullptr;
    QCheckBox* ChBat = nullptr;
    QCheckBox* ChOverWr = nullptr;
    QLineEdit* TV = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* LSubs = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LSubRecs = nullptr;
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    QLabel* LSt = nullptr;

    QMenu* MenuFiles = nullptr;
    QAction* MenuAddFiles = nullptr;
    QAction* MenuHead = nullptr;
    QAction* MenuOutpath = nullptr;
    QAction* MenuExit = nullptr;
    QMenu* MenuOps = nullptr;
    QAction* MenuMove = nullptr;
    QAction* MenuSave = nullptr;
    QAction* MenuUndo = nullptr;
    QAction* MenuRedo = nullptr;
    QMenu* MenuHelp = nullptr;
    QAction* MenuUpdate = nullptr;
    QAction* MenuHelpSub = nullptr;
    QAction* MenuHome = nullptr;

    // Run state: a run over the file list is under way; the user asked it to
    // stop.
    bool bBusy = false;
    bool bStop = false;

    // Fixed at start-up.
    QString sWinDir;
    QString sProgramFilesDir;
    QString sProgramDataDir;
    QString sWorkDir;

    // The file the rows of List2 came from.
    QString sRecordsPath;

public slots:
    void OptCutMove_Click();
    void OptMove_Click();
    void ChHead_Click();
    void ChMove_Click();
    void ChSelect_Click();
    void ChASCII_Click();
    void ChOverWr_Click();
    void CmbType_Click();
    void TShift_LostFocus();

    void MenuAddFiles_Click();
    void MenuHead_Click();
    void MenuOutpath_Click();
    void MenuExit_Click();
    void MenuMove_Click();
    void MenuUpdate_Click();
    void MenuHelpSub_Click();
    void MenuHome_Click();
    // False when nothing was saved (an empty list, a refusal, a failure).
    bool MenuSave_Click();
    void MenuUndo_Click();
    void MenuRedo_Click();
    void CmdStop_Click();
    void List1_DblClick();
    void LDir_DblClick();
    void List1_MouseUp(Qt::MouseButton button);

public:
    // Stand-ins for tests: what unpacks updates and starts the restart
    // helper, and how long the user is given to install the former.
    void SetUpdateServices(std::unique_ptr<ArchiveTool> tool,
                           std::unique_ptr<RestartLauncher> launcher);
    void SetInstallWait(int milliseconds) { installWaitMs_ = milliseconds; }

    // Row editing: selects the rows from `row` to the end of List2.
    void SelectRowsFrom(int row);
    const RecordEditor& Records() const { return records_; }

    // Dropped items, in the order the desktop delivers them.
    void List1_OLEDragDrop(const QStringList& paths);
    void LHead_OLEDragDrop(const QStringList& paths);
    // False when the typed character is refused (with a beep).
    bool TShift_KeyPress(const QString& typed, Qt::KeyboardModifiers modifiers);

signals:
    void statusChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void ConnectHandlers();
    void Form_Load();
    void SetUpWorkDir();
    OptionState ReadOptions() const;
    void ApplyOptions(const OptionState& state);
    void ShowEnables(const OptionEnables& enables);
    void SetTopMenusEnabled(bool enabled);
    void UpdateFileCount();
    bool AddToFileList(const QString& path);
    void ApplyOpeningClip(const QString& path);
    bool HandleFileDrop(QEvent* event, std::function<void(const QStringList&)> onDrop);
    bool IsReadOnlySystemFolder(const QString& path) const;
    bool ConfirmClose();
    void PumpEvents(bool always);
    void ReportProgress(const textio::Progress& progress);
    std::optional<engine::BatchPlan> PlanRun(engine::ShiftSettings settings);
    void OnRunFileStarted(const QString& source);
    void OnRunFinished(const engine::BatchSummary& summary);
    void ShowRunReport(const engine::BatchSummary& summary);
    void ShiftSelectedRows(const engine::ShiftSettings& settings);
    void OnUpdateChecked(const update::UpdateCheckResult& check);
    bool EnsureArchiveTool();
    std::optional<QString> InstallUpdate();
    void ShowRowChanges(const std::vector<engine::RowChange>& changes);
    void UpdateUndoActions();
    void UpdateTitle();
    void ClearRecords();
    void OpenOutputFolder();
    void RemoveSelectedFiles();
    void RestoreSettings();
    void SaveSettings() const;
    bool SettleUnsavedRows();
    void List2_ContextMenu(const QPoint& position);

    Dialogs& dialogs_;
    const SystemServices& system_;
    update::UpdateChecker& updates_;
    bool closeConfirmed_ = false;
    bool loadingRecords_ = false;
    QElapsedTimer sincePump_;
    RunController* run_ = nullptr;
    OpeningClip opening_;
    RecordEditor records_;
    update::UpdateCheckResult lastCheck_;
    std::unique_ptr<ArchiveTool> archiveTool_;
    std::unique_ptr<RestartLauncher> restartLauncher_;
    int installWaitMs_ = 60000;
    QString lastFileDir_;  // where the file dialogs opened last
    QString lastClipDir_;
    bool updateAnnounced_ = false;
    int runFirst_ = 0;  // the entries of List1 the current run covers
    int runLast_ = -1;
};

}  // namespace orvane::ui
