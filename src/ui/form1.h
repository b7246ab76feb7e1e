// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one window. It wires its rooms together: the view (every
// widget and menu), the options panel, the file list, the run presenter and
// the row-edit panel, plus the start-up sequence, the output folder,
// closing, and the update and about menu items. Work itself happens in
// engine/ and textio/; tests reach the widgets by their object names and the
// rooms through their own interfaces.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "engine/shift_settings.h"
#include "textio/progress.h"
#include "ui/form1_view.h"
#include "ui/opening.h"
#include "ui/update_command.h"
#include "update/downloader.h"
#include "update/update_checker.h"
#include "update/update_installer.h"

namespace orvane::ui {

class Dialogs;
class FileListController;
class OptionsPanel;
class RowEditPanel;
class RunController;
class RunPresenter;
class SystemServices;
class UpdateDownload;

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

    // The clip whose length cut mode removes.
    void SetOpeningClip(const OpeningClip& clip);

    // Every write to the status line goes through here.
    void SetStatus(const QString& text);

    // The folder updates are downloaded into, chosen at start-up.
    const QString& WorkDir() const { return workDir_; }

    // Stand-ins for tests: what unpacks updates and starts the restart
    // helper, and how long the user is given to install the former.
    void SetUpdateServices(std::unique_ptr<ArchiveTool> tool,
                           std::unique_ptr<RestartLauncher> launcher);
    void SetInstallWait(int milliseconds) { installWaitMs_ = milliseconds; }
    void SetDownloadLimits(const update::DownloadLimits& limits) { downloadLimits_ = limits; }

signals:
    void statusChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FitScreen();
    void MakeRooms();
    void MakeTimingRooms();
    void ConnectMenus();
    void InstallEventFilters();
    void StartUp();
    void SetUpWorkDir();
    void SetTopMenusEnabled(bool enabled);
    bool IsReadOnlySystemFolder(const QString& path) const;
    void ChooseOutputFolder();
    void OpenOutputFolder();
    void TypeChosen();
    void ShiftCommand();
    void LoadRowsOfCurrentFile();
    void EncodingChosen();
    void LockForLoading(bool locked);
    void StopCommand();
    void OnRowsLoaded(bool loaded);
    void ClearRecords();
    void UpdateTitle();
    bool SaveRows();
    bool SettleUnsavedRows();
    bool ConfirmClose();
    void ExitCommand();
    void OnUpdateChecked(const update::UpdateCheckResult& check);
    bool EnsureArchiveTool();
    void UpdateCommand();
    void CheckNowCommand();
    void CheckForUpdate(bool byHand);
    void OnUpdateDownloaded(const update::PreparedInstall& prepared);
    void AboutCommand();
    void HomePageCommand();
    void RestoreSettings();
    void SaveSettings() const;

    Dialogs& dialogs_;
    const SystemServices& system_;
    update::UpdateChecker& updates_;
    Form1View ui_;
    OptionsPanel* options_ = nullptr;
    FileListController* files_ = nullptr;
    RunPresenter* run_ = nullptr;
    RowEditPanel* rows_ = nullptr;

    // Fixed at start-up.
    QString winDir_;
    QString programFilesDir_;
    QString programDataDir_;
    QString workDir_;

    bool closeConfirmed_ = false;
    update::UpdateCheckResult lastCheck_;
    std::unique_ptr<ArchiveTool> archiveTool_;
    std::unique_ptr<RestartLauncher> restartLauncher_;
    int installWaitMs_ = 60000;
    UpdateDownload* download_ = nullptr;
    update::DownloadLimits downloadLimits_ = update::kArchiveLimits;
    bool updateAnnounced_ = false;
};

}  // namespace orvane::ui
