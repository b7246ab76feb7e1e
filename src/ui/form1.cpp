// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QUndoStack>

#include "ui/dialogs.h"
#include "ui/elided_label.h"
#include "ui/file_drop.h"
#include "ui/file_list.h"
#include "ui/folders.h"
#include "ui/input_encoding.h"
#include "ui/options_panel.h"
#include "ui/row_edit_panel.h"
#include "ui/run_presenter.h"
#include "ui/system_services.h"
#include "ui/window_settings.h"

namespace orvane::ui {

Form1::Form1(Dialogs& dialogs, const SystemServices& system, update::UpdateChecker& updates,
             QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), system_(system), updates_(updates) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kWindowTitle);
    rows_ = new RowEditPanel(dialogs_, this);
    ui_.BuildControls(*this, rows_->List(), DefaultOutputDir(system_.HomeDir()));
    ui_.BuildMenus(*this);
    MakeRooms();
    ConnectMenus();
    InstallEventFilters();
    restartLauncher_ = MakeRestartLauncher();
    StartUp();
    archiveTool_ = MakeArchiveTool(system_.ProgramDir(), workDir_);
    // The reference client area is 968 x 536 below the menu bar, within
    // the screen's free area.
    resize(968, 536 + menuBar()->sizeHint().height());
    FitScreen();
    RestoreSettings();
    SetStatus(QStringLiteral("状态：就绪"));
}

Form1::~Form1() = default;

void Form1::FitScreen() {
    const QScreen* where = screen();
    if (!where) {
        return;
    }
    // The frame the window manager adds is not known before showing; a
    // margin stands for it.
    const QSize room = where->availableGeometry().size() - QSize(16, 48);
    resize(size().boundedTo(room));
}

void Form1::MakeRooms() {
    options_ = new OptionsPanel(ui_, dialogs_, this);
    files_ = new FileListController(
        ui_, dialogs_, this,
        {[this](bool enabled) { SetTopMenusEnabled(enabled); }, [this] { return run_->IsBusy(); },
         [this] { return SettleUnsavedRows(); }, [this] { ClearRecords(); }});
    run_ = new RunPresenter(ui_, dialogs_, this,
                            {[this](bool enabled) { SetTopMenusEnabled(enabled); },
                             [this] { OpenOutputFolder(); }, [this] { return closeConfirmed_; }});
    connect(files_, &FileListController::statusChanged, this, &Form1::SetStatus);
    connect(options_, &OptionsPanel::statusChanged, this, &Form1::SetStatus);
    connect(run_, &RunPresenter::statusChanged, this, &Form1::SetStatus);
    MakeTimingRooms();
    QUndoStack* undo = rows_->UndoStack();
    connect(undo, &QUndoStack::canUndoChanged, ui_.MenuUndo, &QAction::setEnabled);
    connect(undo, &QUndoStack::canRedoChanged, ui_.MenuRedo, &QAction::setEnabled);
    connect(rows_, &RowEditPanel::modifiedChanged, this, &Form1::UpdateTitle);
}

void Form1::ConnectMenus() {
    connect(ui_.CmbType, &QComboBox::currentIndexChanged, this, &Form1::TypeChosen);
    connect(ui_.CmbEncoding, &QComboBox::activated, this, &Form1::EncodingChosen);
    connect(ui_.MenuAddFiles, &QAction::triggered, files_, &FileListController::AddByDialog);
    connect(ui_.MenuAddFolder, &QAction::triggered, files_, &FileListController::AddFolderByDialog);
    connect(ui_.MenuHead, &QAction::triggered, options_, &OptionsPanel::ChooseOpeningByDialog);
    connect(ui_.MenuOutpath, &QAction::triggered, this, &Form1::ChooseOutputFolder);
    connect(ui_.MenuExit, &QAction::triggered, this, &Form1::ExitCommand);
    connect(ui_.MenuMove, &QAction::triggered, this, &Form1::ShiftCommand);
    connect(ui_.MenuSave, &QAction::triggered, this, &Form1::SaveRows);
    connect(ui_.MenuUndo, &QAction::triggered, rows_->UndoStack(), &QUndoStack::undo);
    connect(ui_.MenuRedo, &QAction::triggered, rows_->UndoStack(), &QUndoStack::redo);
    connect(ui_.MenuUpdate, &QAction::triggered, this, &Form1::UpdateCommand);
    connect(ui_.MenuCheckNow, &QAction::triggered, this, &Form1::CheckNowCommand);
    connect(ui_.MenuHelpSub, &QAction::triggered, this, &Form1::AboutCommand);
    connect(ui_.MenuHome, &QAction::triggered, this, &Form1::HomePageCommand);
    connect(ui_.CmdStop, &QPushButton::clicked, this, &Form1::StopCommand);
    connect(rows_, &RowEditPanel::loadFinished, this, &Form1::OnRowsLoaded);
    connect(rows_, &RowEditPanel::loadProgress, this, &Form1::SetStatus);
}

void Form1::InstallEventFilters() {
    ui_.TShift->installEventFilter(this);
    ui_.LDir->installEventFilter(this);
    ui_.List1->installEventFilter(this);
    ui_.List1->viewport()->installEventFilter(this);
    // Files come from the desktop only, and arrive once the drop is over.
    new FileDrop(ui_.List1->viewport(), [this](const QStringList& paths) { files_->Drop(paths); });
    new FileDrop(ui_.LHead, [this](const QStringList& paths) { options_->OpeningDropped(paths); });
}

void Form1::StartUp() {
    programDataDir_ = system_.EnvironmentVariable(QStringLiteral("programdata"));
    programFilesDir_ = system_.EnvironmentVariable(QStringLiteral("programfiles"));
    winDir_ = system_.EnvironmentVariable(QStringLiteral("windir"));

    ui_.CmbType->setCurrentIndex(0);
    SetUpWorkDir();

    CheckForUpdate(false);

    ui_.CmbDel->setCurrentIndex(0);
}

std::optional<engine::ShiftSettings> Form1::GatherShiftSettings() const {
    return options_->Gather();
}

void Form1::SetOpeningClip(const OpeningClip& clip) {
    options_->SetOpeningClip(clip);
}

void Form1::SetStatus(const QString& text) {
    ui_.LSt->setText(text);
    emit statusChanged(text);
}

void Form1::SetTopMenusEnabled(bool enabled) {
    for (QMenu* menu : {ui_.MenuFiles, ui_.MenuOps, ui_.MenuHelp}) {
        menu->setEnabled(enabled);
        menu->menuAction()->setEnabled(enabled);
    }
}

void Form1::TypeChosen() {
    // Only SRT and ASS/SSA can be shifted; the lrc items are shown but refused.
    const bool refused = ui_.CmbType->currentIndex() > 1;
    if (refused) {
        ui_.CmbType->setCurrentIndex(0);
        dialogs_.Beep();
    }
    ClearRecords();
    files_->Clear();
    if (refused) {
        SetStatus(QStringLiteral("状态：") + ui_.CmbType->toolTip());
    }
}

// ---- the shift command --------------------------------------------------------

void Form1::ShiftCommand() {
    const bool rowMode = ui_.ChSelect->isChecked();
    if (ui_.List1->count() == 0) {
        dialogs_.Ask(this, {QStringLiteral("请先加载字幕文件列表！"), MessageIcon::Error});
        return;
    }
    if (rowMode && rows_->RowCount() == 0) {
        dialogs_.Ask(this,
                     {QStringLiteral("请先双击字幕文件列表中的任一文件，以先读取字幕记录行！")});
        return;
    }
    const OpeningClip& opening = options_->Opening();
    if (ui_.ChHead->isChecked() && !rowMode &&
        (opening.path.isEmpty() || !QFileInfo::exists(opening.path))) {
        dialogs_.Ask(this, {QStringLiteral("请指定片头视频文件！"), MessageIcon::Error});
        // The other way, without a clip: the seconds typed in by hand.
        SetStatus(QStringLiteral("状态：或取消勾选“以片头时长为基准”，直接填写裁剪秒数"));
        return;
    }
    // The field may still hold what was typed: choosing a menu command does
    // not take the focus from it. An amount that cannot be used is named
    // rather than silently skipping every file.
    const std::optional<engine::ShiftSettings> settings = GatherShiftSettings();
    if (!settings) {
        dialogs_.Ask(this, {QStringLiteral("请检查字幕时间轴平移秒数的指定是否正确！"),
                            MessageIcon::Warning});
        ui_.TShift->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (rowMode) {
        rows_->ShiftSelected(settings->shiftSeconds, settings->later);
        return;
    }
    if (!settings->overwrite) {
        // A folder that cannot be made shows up as the files that failed.
        QDir().mkpath(ui_.LDir->text());
    }
    run_->Start(*settings);
}

// ---- rows of one file -------------------------------------------------------------

void Form1::LoadRowsOfCurrentFile() {
    QListWidgetItem* current = ui_.List1->currentItem();
    if (!ui_.ChSelect->isChecked() || run_->IsBusy() || rows_->IsLoading() || !current) {
        dialogs_.Beep();
        return;
    }
    if (!SettleUnsavedRows()) {
        return;
    }
    ClearRecords();
    // Locked as during a run; Stop drops the rows under way.
    LockForLoading(true);
    rows_->StartLoading(current->text(), ui_.CmbType->currentIndex() == 0,
                        ChosenEncoding(ui_.CmbEncoding));
}

void Form1::LockForLoading(bool locked) {
    SetTopMenusEnabled(!locked);
    ui_.Frame1->setEnabled(!locked);
    ui_.List1->setEnabled(!locked);
    ui_.CmdStop->setVisible(locked);
}

void Form1::StopCommand() {
    if (rows_->IsLoading()) {
        rows_->StopLoading();
        LockForLoading(false);
        SetStatus(QStringLiteral("状态：已终止读取字幕记录"));
        return;
    }
    run_->AskToStop();
}

void Form1::OnRowsLoaded(bool loaded) {
    LockForLoading(false);
    if (loaded) {
        // The cues and the encoding the file was read in: "1,234条字幕（Big5）".
        const QLocale english(QLocale::English);
        ui_.LSubRecs->setText(english.toString(qulonglong(rows_->Records().CueCount())) +
                              QStringLiteral("条字幕（") + EncodingShown(rows_->Charset()) +
                              QStringLiteral("）"));
        dialogs_.Ask(this, {QStringLiteral("选中字幕文件的字幕记录读取完毕！")});
        SetStatus(QStringLiteral("状态：就绪（共%1行）").arg(english.toString(rows_->RowCount())));
        return;
    }
    SetStatus(QStringLiteral("状态：就绪"));
}

void Form1::ClearRecords() {
    rows_->Clear();
    ui_.LSubRecs->setText(QStringLiteral("0条字幕"));
    UpdateTitle();
}

void Form1::UpdateTitle() {
    setWindowTitle(kWindowTitle + (updateAnnounced_ ? kUpdateNotice : QString()) +
                   (rows_->Records().IsModified() ? QStringLiteral(" *") : QString()));
}

bool Form1::SaveRows() {
    return rows_->Save({ui_.ChASCII->isChecked(), ui_.ChOverWr->isChecked(), ui_.LDir->text()});
}

bool Form1::SettleUnsavedRows() {
    return rows_->SettleUnsaved(
        {ui_.ChASCII->isChecked(), ui_.ChOverWr->isChecked(), ui_.LDir->text()});
}

// ---- remembered between starts -----------------------------------------------

// A remembered choice that no longer holds (a folder that is gone, an
// amount out of range, an unreadable value) keeps the default.
void Form1::RestoreSettings() {
    const std::unique_ptr<QSettings> stored = system_.OpenSettings();
    if (!stored) {
        return;
    }
    const WindowSettings settings = ReadWindowSettings(*stored, [this](const QString& dir) {
        return !IsReadOnlySystemFolder(dir) && system_.IsWritableDir(dir);
    });
    ShowWindowSettings(ui_, settings);
    files_->lastDir = settings.fileDialogDir;
    options_->lastClipDir = settings.clipDialogDir;
    restoreGeometry(settings.geometry);
    FitScreen();
}

void Form1::SaveSettings() const {
    const std::unique_ptr<QSettings> stored = system_.OpenSettings();
    if (!stored) {
        return;
    }
    WindowSettings settings = WindowSettingsShown(ui_);
    settings.fileDialogDir = files_->lastDir;
    settings.clipDialogDir = options_->lastClipDir;
    settings.geometry = saveGeometry();
    WriteWindowSettings(*stored, settings);
}

// ---- closing ----------------------------------------------------------------

bool Form1::ConfirmClose() {
    if (run_->IsBusy()) {
        return run_->AskPaused({QStringLiteral("程序正在处理中，强制关闭程序？"),
                                MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::No});
    }
    return dialogs_.Ask(this, {QStringLiteral("关闭程序？"), MessageIcon::Information,
                               MessageButtons::YesNo, MessageAnswer::No}) == MessageAnswer::Yes;
}

void Form1::ExitCommand() {
    if (!SettleUnsavedRows() || !ConfirmClose()) {
        return;
    }
    closeConfirmed_ = true;
    close();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!closeConfirmed_ && (!SettleUnsavedRows() || !ConfirmClose())) {
        event->ignore();
        return;
    }
    SaveSettings();
    // A run under way stops once its current file is finished.
    closeConfirmed_ = true;
    run_->Stop();
    event->accept();
}

// ---- events -----------------------------------------------------------------

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.TShift) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            return !options_->AcceptTyped(key->text(), key->modifiers());
        }
        if (event->type() == QEvent::FocusOut) {
            // Opening a menu or leaving the window keeps the focus where it is.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason &&
                reason != Qt::ActiveWindowFocusReason) {
                options_->CheckAmount();
            }
        }
        return false;
    }
    if (watched == ui_.List1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) {
            files_->RemoveSelected();
            return true;
        }
        // The keyboard's way to the rows: Enter does what a double-click does.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            LoadRowsOfCurrentFile();
            return true;
        }
    }
    if (watched == ui_.LDir && event->type() == QEvent::MouseButtonDblClick) {
        OpenOutputFolder();
        return true;
    }
    const bool click =
        event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick;
    if (watched == ui_.List1->viewport() && click) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (event->type() == QEvent::MouseButtonRelease && button == Qt::RightButton) {
            files_->AskToClear();
        } else if (event->type() == QEvent::MouseButtonDblClick && button == Qt::LeftButton) {
            // The press has made the entry under the mouse current.
            QTimer::singleShot(0, this, &Form1::LoadRowsOfCurrentFile);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace orvane::ui
