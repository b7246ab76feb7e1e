// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <initializer_list>

#include "engine/batch.h"
#include "media/opening_clip.h"
#include "orvane_version.h"
#include "textio/file_system.h"
#include "textio/record_loader.h"
#include "textio/text_file.h"
#include "ui/dialogs.h"
#include "ui/elided_label.h"
#include "ui/failure_text.h"
#include "ui/file_types.h"
#include "ui/flow_layout.h"
#include "ui/folders.h"
#include "ui/opening.h"
#include "ui/option_rules.h"
#include "ui/run_controller.h"
#include "ui/run_report.h"
#include "ui/shift_amount.h"
#include "ui/status_text.h"
#include "ui/system_services.h"
#include "update/downloader.h"
#include "update/restart_helper.h"
#include "update/update_checker.h"

namespace orvane::ui {
namespace {

// Widgets that the flowing row never parts, such as a field and its labels.
QWidget* KeptTogether(std::initializer_list<QWidget*> widgets) {
    auto* group = new QWidget;
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    for (QWidget* widget : widgets) {
        row->addWidget(widget);
    }
    return group;
}

const QString kDropTip =
    QStringLiteral("支持文件拖放(Win7/Win10如拖放失效，请尝试以非管理员权限运行，或可生效)");

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QAction* AddItem(QMenu* menu, const QString& caption, const char* name) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

std::filesystem::path ToFsPath(const QString& path) {
    return textio::PathFromUtf8(path.toStdString());
}

}  // namespace

Form1::Form1(Dialogs& dialogs, const SystemServices& system, update::UpdateChecker& updates,
             QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), system_(system), updates_(updates) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kWindowTitle);
    run_ = new RunController(this);
    BuildControls();
    BuildMenus();
    ConnectHandlers();
    archiveTool_ = MakeArchiveTool(system_.ProgramDir(), sWorkDir);
    restartLauncher_ = MakeRestartLauncher();
    Form_Load();
    // The reference client area is 968 x 536 below the menu bar.
    resize(968, 536 + menuBar()->sizeHint().height());
    RestoreSettings();
    SetStatus(QStringLiteral("状态：就绪"));
}

Form1::~Form1() = default;

void Form1::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* page = new QVBoxLayout(central);
    page->setContentsMargins(8, 6, 8, 2);
    page->setSpacing(6);

    // Output folder and the Stop button.
    Label1 = Named(new QLabel(QStringLiteral("输出目录：")), "Label1");
    LDir = Named(new ElidedLabel(DefaultOutputDir(system_.HomeDir())), "LDir");
    LDir->setToolTip(QStringLiteral("双击打开输出文件夹"));
    LDir->setCursor(Qt::PointingHandCursor);
    CmdStop = Named(new QPushButton(QStringLiteral("终止")), "CmdStop");
    CmdStop->setVisible(false);
    // Its place is kept while it is hidden, so nothing moves when it shows.
    QSizePolicy stopPolicy = CmdStop->sizePolicy();
    stopPolicy.setRetainSizeWhenHidden(true);
    CmdStop->setSizePolicy(stopPolicy);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(Label1);
    folderRow->addWidget(LDir, 1);
    folderRow->addWidget(CmdStop);
    page->addLayout(folderRow);

    // The options.
    Frame1 = Named(new QGroupBox(QStringLiteral("参数设置：")), "Frame1");
    auto* options = new QGridLayout(Frame1);
    options->setHorizontalSpacing(10);
    options->setVerticalSpacing(8);

    OptCutMove = Named(new QRadioButton(QStringLiteral("先裁剪后平移")), "OptCutMove");
    OptCutMove->setToolTip(QStringLiteral(
        "比如将字幕文件时间轴前面的12秒广告片头裁掉扔掉，将后续的字幕时间轴整体往前平移12秒"));
    OptCutMove->setChecked(true);
    ChMove = Named(new QCheckBox(QStringLiteral("裁剪后再提前")), "ChMove");
    ChFanToJ = Named(new QCheckBox(QStringLiteral("繁转简")), "ChFanToJ");
    CmbDel = Named(new QComboBox, "CmbDel");
    CmbDel->addItems({QStringLiteral("保持原样"), QStringLiteral("删除英文字幕"),
                      QStringLiteral("删除中文字幕")});
    CmbDel->setToolTip(
        QStringLiteral("删除双语字幕中的英文或中文部分（只有一种语言的字幕保持原样）"));
    CmbDel->setCurrentIndex(-1);  // the start-up sequence selects the first item
    ChHead = Named(new QCheckBox(QStringLiteral("以片头时长为基准")), "ChHead");
    ChHead->setChecked(true);
    LHead = Named(new ElidedLabel(kDefaultHeadCaption), "LHead");
    LHead->setToolTip(kDropTip);
    LHead->setTag(opening_.durationText);

    OptMove = Named(new QRadioButton(QStringLiteral("直接平移")), "OptMove");
    OptMove->setToolTip(
        QStringLiteral("将字幕时间轴整体往前或者往后平移多少秒，平移短于片头或长于片尾的被截断掉"));
    ChDirection = Named(new QCheckBox(QStringLiteral("延后")), "ChDirection");
    ChDirection->setToolTip(
        QStringLiteral("勾选则整体时间轴往后（延后）平移；不勾选则整体往前（提前）平移"));
    ChDirection->setEnabled(false);
    Label4 = Named(new QLabel(QStringLiteral("平移秒数：")), "Label4");
    Label4->setToolTip(QStringLiteral("(200毫秒到120秒)"));
    TShift = Named(new QLineEdit(kInitialAmount), "TShift");
    TShift->setMaxLength(6);
    TShift->setToolTip(QStringLiteral("200毫秒-120秒"));
    TShift->setEnabled(false);
    // Keys arrive one by one for the filter, also with an input method on.
    TShift->setAttribute(Qt::WA_InputMethodEnabled, false);
    TShift->setFixedWidth(TShift->fontMetrics().horizontalAdvance(QStringLiteral("000.000")) + 14);
    Label4->setBuddy(TShift);
    Label5 = Named(new QLabel(QStringLiteral("秒")), "Label5");
    ChSelect = Named(new QCheckBox(QStringLiteral("仅平移选中的时间轴行")), "ChSelect");
    ChSelect->setEnabled(false);
    Label6 = Named(new QLabel(QStringLiteral("字幕类型：")), "Label6");
    CmbType = Named(new QComboBox, "CmbType");
    CmbType->addItems({QStringLiteral("*.srt"), QStringLiteral("*.ass;*.ssa"),
                       QStringLiteral("*.lrc"), QStringLiteral("*.srt;*.ass;*.ssa;*.lrc")});
    CmbType->setToolTip(QStringLiteral("仅开通SRT,ASS/SSA类型；Mp3的Lrc歌词字幕需要定制开通！"));
    // Wide enough for the two types that can be chosen; the list that opens
    // shows every item in full.
    CmbType->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CmbType->setMinimumContentsLength(10);
    CmbType->setCurrentIndex(-1);  // the start-up sequence selects the first item
    Label6->setBuddy(CmbType);
    ChASCII = Named(new QCheckBox(QStringLiteral("&ANSI编码")), "ChASCII");
    ChASCII->setToolTip(QStringLiteral(
        "默认是Utf-8编码(仅您将来使用的字幕烧录软件支持ANSI编码时才启用，否则勿启用)"));
    ChBat = Named(new QCheckBox(QStringLiteral("批量处理")), "ChBat");
    ChOverWr = Named(new QCheckBox(QStringLiteral("覆盖源文件")), "ChOverWr");
    TV = Named(new QLineEdit(QString::fromLatin1(kVersionDigits)), "TV");
    TV->setVisible(false);

    // One row per mode; the two mode switches line up in the first column.
    options->addWidget(OptCutMove, 0, 0);
    auto* cutRow = new QHBoxLayout;
    cutRow->setSpacing(10);
    cutRow->addWidget(ChMove);
    cutRow->addWidget(ChFanToJ);
    cutRow->addWidget(CmbDel);
    cutRow->addWidget(ChHead);
    cutRow->addWidget(LHead, 1);
    options->addLayout(cutRow, 0, 1);

    options->addWidget(OptMove, 1, 0, Qt::AlignTop);
    // The direct row wraps into more rows when the window is narrower than
    // it (a small screen, large scaling); wide, it is one row as ever.
    auto* directRow = new FlowLayout(10);
    directRow->addWidget(ChDirection);
    directRow->addWidget(KeptTogether({Label4, TShift, Label5}));
    directRow->addWidget(ChSelect);
    directRow->addWidget(KeptTogether({Label6, CmbType}));
    directRow->addWidget(ChASCII);
    directRow->addWidget(ChBat);
    directRow->addWidget(ChOverWr);
    directRow->addWidget(TV);
    options->addLayout(directRow, 1, 1);
    options->setColumnStretch(1, 1);
    page->addWidget(Frame1);

    // The two lists with their headings; widths after the reference 6135:8175.
    Label2 = Named(new QLabel(QStringLiteral("字幕文件列表：")), "Label2");
    LSubs = Named(new QLabel(QStringLiteral("0个字幕文件")), "LSubs");
    Label3 = Named(new QLabel(QStringLiteral("当前字幕列表：")), "Label3");
    LSubRecs = Named(new QLabel(QStringLiteral("0条字幕")), "LSubRecs");
    List1 = Named(new QListWidget, "List1");
    // Several entries may be selected for removal (Delete); a run without
    // batch still takes the current entry.
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List1->installEventFilter(this);
    List1->setToolTip(
        QStringLiteral("右键清空列表；启用仅平移选中的字幕行，则双击读取字幕记录行；") + kDropTip);
    // Files come from the desktop only; the list's own drag and drop of
    // items stays off.
    List1->setAcceptDrops(true);
    List1->viewport()->setAcceptDrops(true);
    List1->setContextMenuPolicy(Qt::NoContextMenu);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    List2 = Named(new QListWidget, "List2");
    List2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List2->setToolTip(
        QStringLiteral("可多选多条字幕记录，执行自定义修改；右键可选中此行及之后的所有行"));
    List2->setContextMenuPolicy(Qt::CustomContextMenu);
    List2->setUniformItemSizes(true);  // fast for tens of thousands of rows
    // Time codes line up in a fixed-pitch face; Chinese falls back as usual.
    QFont rowsFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    rowsFont.setPointSizeF(List2->font().pointSizeF());
    List2->setFont(rowsFont);

    auto* lists = new QGridLayout;
    lists->setHorizontalSpacing(8);
    lists->setVerticalSpacing(2);
    auto* filesHeading = new QHBoxLayout;
    filesHeading->addWidget(Label2);
    filesHeading->addWidget(LSubs);
    filesHeading->addStretch(1);
    auto* recordsHeading = new QHBoxLayout;
    recordsHeading->addWidget(Label3);
    recordsHeading->addWidget(LSubRecs);
    recordsHeading->addStretch(1);
    lists->addLayout(filesHeading, 0, 0);
    lists->addLayout(recordsHeading, 0, 1);
    lists->addWidget(List1, 1, 0);
    lists->addWidget(List2, 1, 1);
    lists->setColumnStretch(0, 6135);
    lists->setColumnStretch(1, 8175);
    lists->setRowStretch(1, 1);
    page->addLayout(lists, 1);

    LSt = Named(new QLabel(QStringLiteral("状态：未就绪")), "LSt");
    LSt->setContentsMargins(6, 0, 0, 0);
    statusBar()->addWidget(LSt, 1);
    statusBar()->setSizeGripEnabled(false);

    TShift->installEventFilter(this);
    LDir->installEventFilter(this);
    LHead->setAcceptDrops(true);
    LHead->installEventFilter(this);
    List1->viewport()->installEventFilter(this);
}

void Form1::BuildMenus() {
    MenuFiles = Named(menuBar()->addMenu(QStringLiteral("文件(&F)")), "MenuFiles");
    MenuAddFiles =
        AddItem(MenuFiles, QStringLiteral("添加字幕文件(srt,ass,ssa,lrc；支持文件拖放)(&A)..."),
                "MenuAddFiles");
    MenuHead = AddItem(MenuFiles, QStringLiteral("指定片头(&V)..."), "MenuHead");
    MenuOutpath = AddItem(MenuFiles, QStringLiteral("输出目录(&O)..."), "MenuOutpath");
    MenuFiles->addSeparator();
    MenuExit = AddItem(MenuFiles, QStringLiteral("退出(&X)"), "MenuExit");

    MenuOps = Named(menuBar()->addMenu(QStringLiteral("操作(&O)")), "MenuOps");
    MenuMove = AddItem(MenuOps, QStringLiteral("平移时间轴(&M)"), "MenuMove");
    MenuMove->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_Return),
                            QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    MenuSave = AddItem(MenuOps, QStringLiteral("保存当前平移(&S)..."), "MenuSave");
    MenuSave->setEnabled(false);
    MenuSave->setShortcut(QKeySequence::Save);
    MenuOps->addSeparator();
    MenuUndo = AddItem(MenuOps, QStringLiteral("撤销平移(&U)"), "MenuUndo");
    MenuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    MenuRedo = AddItem(MenuOps, QStringLiteral("重做平移(&R)"), "MenuRedo");
    MenuRedo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    UpdateUndoActions();

    MenuHelp = Named(menuBar()->addMenu(QStringLiteral("帮助(&H)")), "MenuHelp");
    MenuUpdate = AddItem(MenuHelp, QStringLiteral("检查更新(&U)"), "MenuUpdate");
    MenuUpdate->setEnabled(false);
    MenuHelpSub = AddItem(MenuHelp, QStringLiteral("帮助(&H)..."), "MenuHelpSub");
    MenuHome = AddItem(MenuHelp, QStringLiteral("主页(&M)"), "MenuHome");
}

void Form1::ConnectHandlers() {
    // Buttons and lists report a change made from code as well as a click,
    // and only when the value really changes.
    connect(OptCutMove, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            OptCutMove_Click();
        }
    });
    connect(OptMove, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            OptMove_Click();
        }
    });
    connect(ChHead, &QCheckBox::toggled, this, &Form1::ChHead_Click);
    connect(ChMove, &QCheckBox::toggled, this, &Form1::ChMove_Click);
    connect(ChSelect, &QCheckBox::toggled, this, &Form1::ChSelect_Click);
    connect(ChASCII, &QCheckBox::toggled, this, &Form1::ChASCII_Click);
    connect(ChOverWr, &QCheckBox::toggled, this, &Form1::ChOverWr_Click);
    connect(CmbType, &QComboBox::currentIndexChanged, this, &Form1::CmbType_Click);

    connect(MenuAddFiles, &QAction::triggered, this, &Form1::MenuAddFiles_Click);
    connect(MenuHead, &QAction::triggered, this, &Form1::MenuHead_Click);
    connect(MenuOutpath, &QAction::triggered, this, &Form1::MenuOutpath_Click);
    connect(MenuExit, &QAction::triggered, this, &Form1::MenuExit_Click);
    connect(MenuMove, &QAction::triggered, this, &Form1::MenuMove_Click);
    connect(MenuUpdate, &QAction::triggered, this, &Form1::MenuUpdate_Click);
    connect(MenuHelpSub, &QAction::triggered, this, &Form1::MenuHelpSub_Click);
    connect(MenuHome, &QAction::triggered, this, &Form1::MenuHome_Click);
    connect(MenuSave, &QAction::triggered, this, &Form1::MenuSave_Click);
    connect(MenuUndo, &QAction::triggered, this, &Form1::MenuUndo_Click);
    connect(MenuRedo, &QAction::triggered, this, &Form1::MenuRedo_Click);
    connect(List2, &QWidget::customContextMenuRequested, this, &Form1::List2_ContextMenu);
    connect(CmdStop, &QPushButton::clicked, this, &Form1::CmdStop_Click);
    connect(run_, &RunController::statusChanged, this, &Form1::SetStatus);
    connect(run_, &RunController::fileStarted, this,
            [this](int, int, const QString& source) { OnRunFileStarted(source); });
    connect(run_, &RunController::finished, this, &Form1::OnRunFinished);
}

void Form1::Form_Load() {
    sProgramDataDir = system_.EnvironmentVariable(QStringLiteral("programdata"));
    sProgramFilesDir = system_.EnvironmentVariable(QStringLiteral("programfiles"));
    sWinDir = system_.EnvironmentVariable(QStringLiteral("windir"));

    CmbType->setCurrentIndex(0);
    SetUpWorkDir();

    // The answer comes when it comes; the window does not wait for it.
    updates_.Check(TV->text().toStdString(), ToFsPath(sWorkDir),
                   [window = QPointer<Form1>(this)](const update::UpdateCheckResult& check) {
                       if (window) {
                           window->OnUpdateChecked(check);
                       }
                   });

    CmbDel->setCurrentIndex(0);
}

// ---- option interlocks ------------------------------------------------------

// The rules give the net state after each action; applying it sets the
// widgets with their handlers held back, so no change from code runs a
// handler a second time.

OptionState Form1::ReadOptions() const {
    OptionState state;
    state.direct = OptMove->isChecked();
    state.byOpening = ChHead->isChecked();
    state.extraAdvance = ChMove->isChecked();
    state.rowMode = ChSelect->isChecked();
    state.later = ChDirection->isChecked();
    state.simplify = ChFanToJ->isChecked();
    state.removal = CmbDel->currentIndex();
    state.ansi = ChASCII->isChecked();
    state.overwrite = ChOverWr->isChecked();
    state.shiftText = TShift->text();
    return state;
}

void Form1::ApplyOptions(const OptionState& state) {
    {
        const QSignalBlocker blockers[] = {QSignalBlocker(OptCutMove), QSignalBlocker(OptMove),
                                           QSignalBlocker(ChHead),     QSignalBlocker(ChMove),
                                           QSignalBlocker(ChSelect),   QSignalBlocker(CmbDel)};
        (state.direct ? OptMove : OptCutMove)->setChecked(true);
        ChHead->setChecked(state.byOpening);
        ChMove->setChecked(state.extraAdvance);
        ChSelect->setChecked(state.rowMode);
        ChDirection->setChecked(state.later);
        ChFanToJ->setChecked(state.simplify);
        CmbDel->setCurrentIndex(state.removal);
    }
    if (TShift->text() != state.shiftText) {
        TShift->setText(state.shiftText);
    }
    ShowEnables(EnablesFor(state));
}

void Form1::ShowEnables(const OptionEnables& enables) {
    ChHead->setEnabled(enables.byOpening);
    ChMove->setEnabled(enables.extraAdvance);
    ChSelect->setEnabled(enables.rowMode);
    ChDirection->setEnabled(enables.later);
    ChFanToJ->setEnabled(enables.simplify);
    CmbDel->setEnabled(enables.removal);
    TShift->setEnabled(enables.shiftText);
    MenuHead->setEnabled(enables.chooseOpening);
    MenuSave->setEnabled(enables.saveRows);
    MenuOutpath->setEnabled(enables.outputFolder);
}

void Form1::ChHead_Click() {
    ApplyOptions(AfterChHead(ReadOptions(), opening_));
}

void Form1::ChMove_Click() {
    ApplyOptions(AfterChMove(ReadOptions(), opening_));
}

void Form1::ChSelect_Click() {
    ApplyOptions(AfterChSelect(ReadOptions()));
}

void Form1::OptCutMove_Click() {
    ApplyOptions(AfterOptCutMove(ReadOptions()));
}

void Form1::OptMove_Click() {
    ApplyOptions(AfterOptMove(ReadOptions()));
}

void Form1::ChASCII_Click() {
    if (!ChASCII->isChecked()) {
        return;
    }
    const MessageAnswer answer = dialogs_.Ask(
        this, {QStringLiteral("大多数字幕合并软件采用Utf-8编码，如无特需，建议勿启用ANSI编码！\r\n"
                              "确定启用？"),
               MessageIcon::Warning, MessageButtons::OkCancel, MessageAnswer::Cancel});
    if (answer != MessageAnswer::Ok) {
        ChASCII->setChecked(false);
    }
}

void Form1::ChOverWr_Click() {
    if (ChOverWr->isChecked()) {
        const MessageAnswer answer =
            dialogs_.Ask(this, {QStringLiteral("确定覆盖原文件？"), MessageIcon::Warning,
                                MessageButtons::OkCancel, MessageAnswer::Cancel});
        if (answer != MessageAnswer::Ok) {
            ChOverWr->setChecked(false);
        }
    }
    MenuOutpath->setEnabled(!ChOverWr->isChecked());
}

void Form1::CmbType_Click() {
    // Only SRT and ASS/SSA can be shifted; the lrc items are shown but refused.
    if (CmbType->currentIndex() > 1) {
        CmbType->setCurrentIndex(0);
        dialogs_.Beep();
    }
    ClearRecords();
    List1->clear();
    // The counts follow the emptied lists.
    UpdateFileCount();
    LSubRecs->setText(QStringLiteral("0条字幕"));
}

// ---- the shift-seconds field --------------------------------------------------

bool Form1::TShift_KeyPress(const QString& typed, Qt::KeyboardModifiers modifiers) {
    // Shortcuts (copy, paste, undo) and editing keys (backspace, arrows) are
    // not typed characters.
    if (typed.isEmpty() ||
        (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        return true;
    }
    if (typed.size() == 1 && (typed[0].unicode() < 0x20 || typed[0].unicode() == 0x7f)) {
        return true;
    }
    for (QChar c : typed) {
        if (!IsShiftCharacter(c)) {
            dialogs_.Beep();
            return false;
        }
    }
    return true;
}

void Form1::TShift_LostFocus() {
    TShift->setText(ValidatedShiftText(TShift->text()));
}

// ---- file list --------------------------------------------------------------

void Form1::SetStatus(const QString& text) {
    LSt->setText(text);
    emit statusChanged(text);
}

void Form1::SetTopMenusEnabled(bool enabled) {
    for (QMenu* menu : {MenuFiles, MenuOps, MenuHelp}) {
        menu->setEnabled(enabled);
        menu->menuAction()->setEnabled(enabled);
    }
}

void Form1::UpdateFileCount() {
    LSubs->setText(QString::number(List1->count()) + QStringLiteral("个字幕文件"));
}

// The list holds each file once, however it is named (links, other spellings).
bool Form1::AddToFileList(const QString& path) {
    const std::optional<textio::FileId> id = textio::InspectPath(ToFsPath(path)).id;
    for (int i = 0; id && i < List1->count(); ++i) {
        if (textio::InspectPath(ToFsPath(List1->item(i)->text())).id == id) {
            return false;
        }
    }
    List1->addItem(QDir::toNativeSeparators(path));
    return true;
}

void Form1::MenuAddFiles_Click() {
    const QStringList files = dialogs_.GetOpenFileNames(
        this, {QStringLiteral("添加字幕文件列表"), QStringLiteral("字幕文件"),
               CmbType->currentText(), true, lastFileDir_});
    if (files.isEmpty()) {
        dialogs_.Beep();
        return;
    }
    lastFileDir_ = QFileInfo(files.front()).absolutePath();
    if (files.size() == 1) {
        AddToFileList(files.front());
        UpdateFileCount();
        return;
    }
    SetTopMenusEnabled(false);
    const qsizetype total = files.size();
    for (qsizetype i = 0; i < total; ++i) {
        if (!files[i].trimmed().isEmpty()) {
            AddToFileList(files[i]);
        }
        UpdateFileCount();
        SetStatus(QStringLiteral("状态：字幕文件加载中...%1/%2").arg(i + 1).arg(total));
        QCoreApplication::processEvents();
    }
    dialogs_.Ask(this, {QStringLiteral("字幕文件加载完毕！")});
    SetStatus(QStringLiteral("状态：就绪"));
    SetTopMenusEnabled(true);
}

void Form1::List1_OLEDragDrop(const QStringList& paths) {
    SetTopMenusEnabled(false);
    const QString patterns = CmbType->currentText();
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.isFile() || info.isHidden() || !MatchesFilePatterns(info.fileName(), patterns)) {
            continue;
        }
        if (!AddToFileList(path)) {
            continue;
        }
        UpdateFileCount();
        SetStatus(QStringLiteral("状态：字幕文件加载中...已加载") +
                  QString::number(List1->count()));
        QCoreApplication::processEvents();
    }
    dialogs_.Ask(this, {QStringLiteral("字幕文件加载完毕！")});
    if (!bBusy) {
        SetStatus(QStringLiteral("状态：就绪"));
    }
    // A drop may come while a run holds the menus; they stay locked for it.
    SetTopMenusEnabled(!bBusy);
}

// ---- opening clip ------------------------------------------------------------

void Form1::MenuHead_Click() {
    const QStringList chosen = dialogs_.GetOpenFileNames(
        this, {kOpeningDialogTitle, kOpeningFilterLabel,
               QString::fromUtf8(media::kOpeningVideoPatterns), false, lastClipDir_});
    if (chosen.isEmpty()) {
        dialogs_.Beep();
        return;
    }
    lastClipDir_ = QFileInfo(chosen.front()).absolutePath();
    ApplyOpeningClip(chosen.front());
}

void Form1::LHead_OLEDragDrop(const QStringList& paths) {
    std::vector<std::filesystem::path> items;
    items.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) {
        items.push_back(ToFsPath(path));
    }
    // The first video among the items; anything else is passed over quietly.
    if (const auto clip = media::PickDroppedClip(items)) {
        ApplyOpeningClip(QString::fromStdString(textio::PathToUtf8(*clip)));
    }
}

// Measures the clip; a usable one becomes the amount cut mode removes (and,
// while no extra advance is asked for, the amount in TShift).
void Form1::ApplyOpeningClip(const QString& path) {
    const media::OpeningMeasure measure = media::MeasureOpening(ToFsPath(path));
    if (!measure.ok) {
        dialogs_.Ask(this, {OpeningRefusal(measure.verdict), MessageIcon::Error});
        return;
    }
    SetOpeningClip({path, QString::fromStdString(measure.durationText), measure.seconds});
}

void Form1::SetOpeningClip(const OpeningClip& clip) {
    opening_ = clip;
    LHead->setText(HeadCaption(clip));
    LHead->setTag(clip.durationText);
    ApplyOptions(AfterOpeningChosen(ReadOptions(), opening_));
}

void Form1::List1_MouseUp(Qt::MouseButton button) {
    if (button != Qt::RightButton || bBusy) {
        return;
    }
    if (List1->count() == 0) {
        dialogs_.Beep();
        return;
    }
    const MessageAnswer answer =
        dialogs_.Ask(this, {QStringLiteral("清空字幕文件列表？"), MessageIcon::Warning,
                            MessageButtons::OkCancel, MessageAnswer::Ok});
    if (answer == MessageAnswer::Ok && SettleUnsavedRows()) {
        List1->clear();
        UpdateFileCount();
        ClearRecords();
    }
}

void Form1::RemoveSelectedFiles() {
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    if (bBusy || selected.isEmpty()) {
        dialogs_.Beep();
        return;
    }
    for (QListWidgetItem* item : selected) {
        delete List1->takeItem(List1->row(item));
    }
    UpdateFileCount();
}

// ---- remembered between starts -----------------------------------------------

// A remembered choice that no longer holds (a folder that is gone, an
// amount out of range) keeps the default.
void Form1::RestoreSettings() {
    const std::unique_ptr<QSettings> settings = system_.OpenSettings();
    if (!settings) {
        return;
    }
    const auto folder = [&](const char* key) {
        const QString dir = settings->value(QLatin1String(key)).toString();
        return !dir.isEmpty() && QFileInfo(dir).isDir() ? dir : QString();
    };
    const QString output = folder("outputDir");
    if (!output.isEmpty() && !IsReadOnlySystemFolder(output) && system_.IsWritableDir(output)) {
        LDir->setText(output);
    }
    lastFileDir_ = folder("fileDialogDir");
    lastClipDir_ = folder("clipDialogDir");
    if (settings->value(QStringLiteral("direct")).toBool()) {
        OptMove->setChecked(true);
        ChDirection->setChecked(settings->value(QStringLiteral("later")).toBool());
    } else {
        ChHead->setChecked(settings->value(QStringLiteral("useOpening"), true).toBool());
        ChMove->setChecked(ChMove->isEnabled() &&
                           settings->value(QStringLiteral("extraAdvance")).toBool());
    }
    const QString amount = settings->value(QStringLiteral("amount")).toString();
    if (TShift->isEnabled() && UsableShiftSeconds(amount)) {
        TShift->setText(amount);
    }
    ChFanToJ->setChecked(settings->value(QStringLiteral("simplify")).toBool());
    CmbDel->setCurrentIndex(qBound(0, settings->value(QStringLiteral("removal")).toInt(), 2));
    ChBat->setChecked(settings->value(QStringLiteral("batch")).toBool());
    {
        // Both were confirmed when they were first chosen.
        const QSignalBlocker ansi(ChASCII);
        const QSignalBlocker overwrite(ChOverWr);
        ChASCII->setChecked(settings->value(QStringLiteral("ansi")).toBool());
        ChOverWr->setChecked(settings->value(QStringLiteral("overwrite")).toBool());
    }
    MenuOutpath->setEnabled(!ChOverWr->isChecked());
    restoreGeometry(settings->value(QStringLiteral("geometry")).toByteArray());
}

void Form1::SaveSettings() const {
    const std::unique_ptr<QSettings> settings = system_.OpenSettings();
    if (!settings) {
        return;
    }
    settings->setValue(QStringLiteral("outputDir"), LDir->text());
    settings->setValue(QStringLiteral("fileDialogDir"), lastFileDir_);
    settings->setValue(QStringLiteral("clipDialogDir"), lastClipDir_);
    settings->setValue(QStringLiteral("direct"), OptMove->isChecked());
    settings->setValue(QStringLiteral("later"), ChDirection->isChecked());
    settings->setValue(QStringLiteral("useOpening"), ChHead->isChecked());
    settings->setValue(QStringLiteral("extraAdvance"), ChMove->isChecked());
    settings->setValue(QStringLiteral("amount"), TShift->text());
    settings->setValue(QStringLiteral("simplify"), ChFanToJ->isChecked());
    settings->setValue(QStringLiteral("removal"), CmbDel->currentIndex());
    settings->setValue(QStringLiteral("batch"), ChBat->isChecked());
    settings->setValue(QStringLiteral("ansi"), ChASCII->isChecked());
    settings->setValue(QStringLiteral("overwrite"), ChOverWr->isChecked());
    settings->setValue(QStringLiteral("geometry"), saveGeometry());
}

// ---- output and working folders ---------------------------------------------

void Form1::SetUpWorkDir() {
    const QString programDir = system_.ProgramDir();
#ifdef Q_OS_WIN
    const WorkDirChoice choice =
        ChooseWorkDirWindows(programDir, {sWinDir, sProgramFilesDir, sProgramDataDir});
#else
    const WorkDirChoice choice = ChooseWorkDirElsewhere(
        programDir, system_.IsWritableDir(programDir), system_.UserCacheDir());
#endif
    if (choice.create) {
        // A folder that cannot be made is met by the first download there.
        system_.MakePath(choice.dir);
    }
    sWorkDir = choice.dir;
}

bool Form1::IsReadOnlySystemFolder(const QString& path) const {
#ifdef Q_OS_WIN
    return IsReadOnlySystemFolderWindows(path, {sWinDir, sProgramFilesDir, sProgramDataDir});
#else
    return IsReadOnlySystemFolderElsewhere(path, SystemFoldersElsewhere());
#endif
}

void Form1::MenuOutpath_Click() {
    const QString picked =
        dialogs_.BrowseForFolder(this, QStringLiteral("指定输出目录"), LDir->text(), true);
    QString path = WithOneTrailingSeparator(QDir::toNativeSeparators(picked), QDir::separator());
    if (!path.isEmpty() && !QFileInfo(path).isDir()) {
        path = sWorkDir;
    }
    if (IsReadOnlySystemFolder(path)) {
        dialogs_.Ask(this, {QStringLiteral("禁止指定只读目录作为输出目录！"), MessageIcon::Error});
        return;
    }
    if (!path.isEmpty() && !system_.IsWritableDir(path)) {
        dialogs_.Ask(this,
                     {QStringLiteral("所选文件夹不可写入，请另选输出目录！"), MessageIcon::Error});
        return;
    }
    if (!path.isEmpty()) {
        LDir->setText(path);
    }
}

void Form1::LDir_DblClick() {
    OpenOutputFolder();
}

// Says so when no file manager takes the folder, rather than nothing.
void Form1::OpenOutputFolder() {
    if (!dialogs_.OpenFolder(LDir->text())) {
        dialogs_.Ask(this, {QStringLiteral("无法打开输出文件夹（系统中没有可用的文件管理器）：") +
                                LDir->text(),
                            MessageIcon::Warning});
    }
}

// ---- closing ----------------------------------------------------------------

bool Form1::ConfirmClose() {
    const MessageRequest question =
        bBusy ? MessageRequest{QStringLiteral("程序正在处理中，强制关闭程序？"),
                               MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::No}
              : MessageRequest{QStringLiteral("关闭程序？"), MessageIcon::Information,
                               MessageButtons::YesNo, MessageAnswer::No};
    return dialogs_.Ask(this, question) == MessageAnswer::Yes;
}

void Form1::MenuExit_Click() {
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
    bStop = true;
    run_->RequestStop();
    event->accept();
}

// ---- the shift run ----------------------------------------------------------

void Form1::PumpEvents(bool always) {
    // Often enough for a live status line and a Stop button that answers,
    // rarely enough not to cost more than the work itself.
    if (always || !sincePump_.isValid() || sincePump_.elapsed() >= 30) {
        QCoreApplication::processEvents();
        sincePump_.restart();
    }
}

void Form1::ReportProgress(const textio::Progress& progress) {
    // Reports come once per line; the status line can show only what the next
    // repaint shows, so the text is made when events are due and for the last
    // line, not a few hundred thousand times for a large file.
    const bool eventsDue = !sincePump_.isValid() || sincePump_.elapsed() >= 30;
    if (eventsDue || progress.current == progress.last) {
        SetStatus(QStringLiteral("状态：") + ProgressText(progress));
    }
    PumpEvents(false);
}

void Form1::MenuMove_Click() {
    if (List1->count() == 0) {
        dialogs_.Ask(this, {QStringLiteral("请先加载字幕文件列表！"), MessageIcon::Error});
        return;
    }
    if (ChSelect->isChecked() && List2->count() == 0) {
        dialogs_.Ask(this,
                     {QStringLiteral("请先双击字幕文件列表中的任一文件，以先读取字幕记录行！")});
        return;
    }
    if (ChHead->isChecked() && !ChSelect->isChecked()) {
        if (opening_.path.isEmpty() || !QFileInfo::exists(opening_.path)) {
            dialogs_.Ask(this, {QStringLiteral("请指定片头视频文件！"), MessageIcon::Error});
            return;
        }
    }
    // The field may still hold what was typed: choosing a menu command does
    // not take the focus from it. An amount that cannot be used is named
    // rather than silently skipping every file.
    const std::optional<engine::ShiftSettings> settings = GatherShiftSettings();
    if (!settings) {
        dialogs_.Ask(this, {QStringLiteral("请检查字幕时间轴平移秒数的指定是否正确！"),
                            MessageIcon::Warning});
        TShift->setFocus(Qt::OtherFocusReason);
        return;
    }

    if (!settings->overwrite) {
        // A folder that cannot be made shows up as the files that failed.
        QDir().mkpath(LDir->text());
    }
    if (ChSelect->isChecked()) {
        ShiftSelectedRows(*settings);
        return;
    }

    if (List1->currentRow() < 0) {
        List1->setCurrentRow(0);
    }
    runFirst_ = ChBat->isChecked() ? 0 : List1->currentRow();
    runLast_ = ChBat->isChecked() ? List1->count() - 1 : List1->currentRow();
    std::optional<engine::BatchPlan> plan = PlanRun(*settings);
    if (!plan) {
        return;
    }

    SetTopMenusEnabled(false);
    Frame1->setEnabled(false);
    bStop = false;
    bBusy = true;
    CmdStop->setVisible(ChBat->isChecked());
    run_->Start(std::move(*plan));
}

// Plans the run over the chosen entries. Without overwrite, an output that
// would replace one of the files is asked about first; Yes writes over the
// sources, No ends the command.
std::optional<engine::BatchPlan> Form1::PlanRun(engine::ShiftSettings settings) {
    std::vector<std::filesystem::path> inputs;
    for (int i = runFirst_; i <= runLast_ && i < List1->count(); ++i) {
        inputs.push_back(ToFsPath(List1->item(i)->text()));
    }
    engine::BatchPlan plan = engine::PlanBatch(inputs, settings);
    if (!plan.WouldReplaceAnInput()) {
        return plan;
    }
    const MessageAnswer answer =
        dialogs_.Ask(this, {QStringLiteral("输出目录就是字幕所在目录，将覆盖源文件，继续吗？"),
                            MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::No});
    if (answer != MessageAnswer::Yes) {
        return std::nullopt;
    }
    settings.overwrite = true;
    return engine::PlanBatch(inputs, settings);
}

// The list shows which file is being shifted.
void Form1::OnRunFileStarted(const QString& source) {
    for (int i = runFirst_; i <= runLast_ && i < List1->count(); ++i) {
        if (List1->item(i)->text() == source) {
            List1->setCurrentRow(i);
            return;
        }
    }
}

void Form1::OnRunFinished(const engine::BatchSummary& summary) {
    if (!summary.stopped && runLast_ < List1->count()) {
        List1->setCurrentRow(runLast_);
    }
    if (!closeConfirmed_) {
        ShowRunReport(summary);
    }
    SetStatus(summary.stopped ? QStringLiteral("状态：已终止") : QStringLiteral("状态：处理完毕"));
    CmdStop->setVisible(false);
    bBusy = false;
    Frame1->setEnabled(true);
    SetTopMenusEnabled(true);
}

void Form1::ShowRunReport(const engine::BatchSummary& summary) {
    const RunReport report = MakeRunReport(summary);
    MessageRequest box{report.text};
    box.details = report.details;
    const bool problems = summary.Failed() > 0;
    if (problems) {
        box.icon = MessageIcon::Warning;
    }
    if (ChOverWr->isChecked()) {
        dialogs_.Ask(this, box);
        return;
    }
    box.text +=
        report.text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral(" ");
    box.text += QStringLiteral("要打开输出目录吗？");
    box.buttons = MessageButtons::YesNo;
    box.defaultButton = MessageAnswer::Yes;
    if (dialogs_.Ask(this, box) == MessageAnswer::Yes) {
        OpenOutputFolder();
    }
}

void Form1::CmdStop_Click() {
    const MessageAnswer answer =
        dialogs_.Ask(this, {QStringLiteral("终止操作？"), MessageIcon::Warning,
                            MessageButtons::YesNo, MessageAnswer::No});
    if (answer == MessageAnswer::Yes) {
        CmdStop->setVisible(false);
        bStop = true;
        run_->RequestStop();
    }
}

void Form1::List1_DblClick() {
    QListWidgetItem* current = List1->currentItem();
    if (!ChSelect->isChecked() || List1->count() == 0 || bBusy || loadingRecords_ || !current) {
        dialogs_.Beep();
        return;
    }
    if (!SettleUnsavedRows()) {
        return;
    }
    loadingRecords_ = true;
    ClearRecords();
    sRecordsPath = current->text();
    std::vector<std::string> rows;
    const textio::LoadLayout layout =
        CmbType->currentIndex() == 0 ? textio::LoadLayout::Srt : textio::LoadLayout::Plain;
    const textio::LoadResult result = textio::LoadSubRecordsIntoList(
        ToFsPath(sRecordsPath), layout,
        [this, &rows](std::string_view row) {
            rows.emplace_back(row);
            List2->addItem(QString::fromUtf8(row.data(), qsizetype(row.size())));
            LSubRecs->setText(QString::number(List2->count()) + QStringLiteral("条字幕"));
        },
        [this](const textio::Progress& progress) { ReportProgress(progress); });
    loadingRecords_ = false;
    if (result.failure) {
        // Rows read from a file that another program changed meanwhile are
        // not the file's: none stay, so none can be saved over it.
        ClearRecords();
    } else {
        records_.Load(ToFsPath(sRecordsPath), std::move(rows), result.replacedBytes);
        UpdateUndoActions();
    }
    if (!result.failure) {
        // The count, and the encoding the file was read in: "1,234条字幕（Big5）".
        LSubRecs->setText(QLocale(QLocale::English).toString(List2->count()) +
                          QStringLiteral("条字幕（") + QString::fromStdString(result.charset) +
                          QStringLiteral("）"));
        dialogs_.Ask(this, {QStringLiteral("选中字幕文件的字幕记录读取完毕！")});
    } else {
        dialogs_.Ask(this, {FailureLine(*result.failure), MessageIcon::Error});
    }
    SetStatus(QStringLiteral("状态：就绪"));
}

// ---- update, about, home page -------------------------------------------------

void Form1::OnUpdateChecked(const update::UpdateCheckResult& check) {
    lastCheck_ = check;
    if (check.newerVersionFound && !updateAnnounced_) {
        MenuUpdate->setEnabled(true);
        updateAnnounced_ = true;
        UpdateTitle();
    }
}

void Form1::SetUpdateServices(std::unique_ptr<ArchiveTool> tool,
                              std::unique_ptr<RestartLauncher> launcher) {
    archiveTool_ = std::move(tool);
    restartLauncher_ = std::move(launcher);
}

// Until the archive tool is there: the user is asked to install it, given a
// minute to do so, then asked to retry or give up.
bool Form1::EnsureArchiveTool() {
    while (!archiveTool_->Installed()) {
        if (!archiveTool_->CanInstall()) {
            dialogs_.Ask(this, {QStringLiteral("找不到更新程序Tarrow（应与本程序在同一文件夹），"
                                               "无法自动更新！"),
                                MessageIcon::Error});
            return false;
        }
        archiveTool_->StartInstaller();
        dialogs_.Ask(
            this,
            {QStringLiteral("资源文件缺失，请先安装默认经典的WinRAR解压缩应用程序！\r\n"
                            "对不起！有意不支持您本机安装的非经典的360、2345、便压等等解压缩程序。"
                            "如果您的系统为win7及以上版本，WinRAR安装完毕之后，请务必： \r\n"
                            "右键WinRAR.exe->属性->兼容性->兼容xp3且勾选始终以管理员权限运行")});
        QElapsedTimer waited;
        waited.start();
        while (!archiveTool_->Installed() && waited.elapsed() < installWaitMs_) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        }
        if (archiveTool_->Installed()) {
            break;
        }
        const MessageAnswer answer = dialogs_.Ask(
            this, {QStringLiteral("资源文件缺失，请先安装WinRAR解压缩应用程序！"),
                   MessageIcon::Information, MessageButtons::RetryCancel, MessageAnswer::Retry});
        if (answer != MessageAnswer::Retry) {
            return false;
        }
    }
    return true;
}

void Form1::MenuUpdate_Click() {
    hide();
    const std::optional<QString> refusal = InstallUpdate();
    if (!refusal) {
        return;  // the restart helper takes over; the program has been asked to end
    }
    show();
    if (!refusal->isEmpty()) {
        dialogs_.Ask(this, {*refusal, MessageIcon::Error});
    }
}

// Nothing when the restart helper was started; otherwise why not (empty: the
// user chose not to go on).
std::optional<QString> Form1::InstallUpdate() {
    if (!EnsureArchiveTool()) {
        return QString();
    }
    const std::optional<QUrl> base = update::DownloadBase();
    if (!base) {
        return QStringLiteral("未设置下载服务器，无法更新。");
    }
    const QString archive = QDir(sWorkDir).filePath(QStringLiteral("Velmora.rar"));
    update::Downloader downloader;
    const update::DownloadResult download =
        downloader.FetchAndWait(base->resolved(QUrl(QStringLiteral("Velmora.rar"))),
                                ToFsPath(archive), update::kArchiveLimits);
    if (!download.ok) {
        return QStringLiteral("下载更新文件失败（%1），未安装任何内容。").arg(download.error);
    }
    // The version file names the archive's SHA-256: an archive that does not
    // match it is never handed on to be installed.
    if (!lastCheck_.sha256) {
        return QStringLiteral("服务器没有给出更新文件的校验码，为安全起见未安装。");
    }
    QFile file(archive);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file) ||
        hash.result().toHex().toStdString() != *lastCheck_.sha256) {
        return QStringLiteral("更新文件的校验码不符（文件可能已损坏或被改动），未安装任何内容。");
    }
    file.close();
    const QString programDir = system_.ProgramDir();
    const QString handOver = QString::fromStdString(
        update::MakeHandOver({ToFsPath(archive), QApplication::applicationName().toStdString(),
                              windowTitle().toStdString()}));
    const QStringList arguments{handOver, QString::number(QCoreApplication::applicationPid()),
                                programDir,
                                QFileInfo(QCoreApplication::applicationFilePath()).fileName()};
    if (!restartLauncher_->Start(RestartHelperPath(programDir), arguments)) {
        return QStringLiteral("无法启动更新程序Tarrow，未安装任何内容。");
    }
    // The helper replaces the program's files once it has ended.
    closeConfirmed_ = true;
    bStop = true;
    run_->RequestStop();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return std::nullopt;
}

void Form1::MenuHelpSub_Click() {
    dialogs_.Ask(this, {QStringLiteral("本软件由【澜帆数码科技有限公司】旗下【Orvane字幕工作室】"
                                       "出品，版本 %1\r\n"
                                       "技术支持QQ：80231546/80231547/80231548！")
                            .arg(QString::fromLatin1(kVersion))});
}

void Form1::MenuHome_Click() {
    const std::optional<QUrl> base = update::DownloadBase();
    if (!base) {
        dialogs_.Ask(this, {QStringLiteral("未设置下载服务器，无法打开主页。")});
        return;
    }
    dialogs_.OpenUrl(base->resolved(QUrl(QStringLiteral("Index.html"))).toString());
}

// ---- row editing ----------------------------------------------------------------

void Form1::ShiftSelectedRows(const engine::ShiftSettings& settings) {
    if (!records_.HasTimePattern()) {
        dialogs_.Ask(this,
                     {QStringLiteral("该类型的文件没有可平移的时间轴行（仅支持srt、ass、ssa）！"),
                      MessageIcon::Information});
        return;
    }
    std::vector<std::size_t> selected;
    for (const QModelIndex& index : List2->selectionModel()->selectedRows()) {
        selected.push_back(static_cast<std::size_t>(index.row()));
    }
    ShowRowChanges(records_.Shift(selected, settings.shiftSeconds, settings.later));
    dialogs_.Ask(this, {QStringLiteral("选中的时间轴平移处理完毕！ 稍后可以直接保存修改！")});
}

// The list shows the rows as they now are; rows not yet saved are bold.
void Form1::ShowRowChanges(const std::vector<engine::RowChange>& changes) {
    for (const engine::RowChange& change : changes) {
        QListWidgetItem* item = List2->item(int(change.index));
        if (!item) {
            continue;
        }
        item->setText(QString::fromStdString(change.after));
        QFont font = item->font();
        font.setBold(records_.IsRowUnsaved(change.index));
        item->setFont(font);
    }
    UpdateUndoActions();
}

void Form1::MenuUndo_Click() {
    ShowRowChanges(records_.Undo());
}

void Form1::MenuRedo_Click() {
    ShowRowChanges(records_.Redo());
}

void Form1::UpdateUndoActions() {
    MenuUndo->setEnabled(records_.CanUndo());
    MenuRedo->setEnabled(records_.CanRedo());
    UpdateTitle();
}

void Form1::UpdateTitle() {
    setWindowTitle(kWindowTitle + (updateAnnounced_ ? kUpdateNotice : QString()) +
                   (records_.IsModified() ? QStringLiteral(" *") : QString()));
}

void Form1::ClearRecords() {
    List2->clear();
    sRecordsPath.clear();
    records_.Clear();
    LSubRecs->setText(QStringLiteral("0条字幕"));
    UpdateUndoActions();
}

bool Form1::MenuSave_Click() {
    if (List2->count() == 0) {
        dialogs_.Beep();
        return false;
    }
    const RecordEditor::SaveResult saved =
        records_.Save(ChASCII->isChecked(), ChOverWr->isChecked(), ToFsPath(LDir->text()));
    if (saved.failure) {
        dialogs_.Ask(
            this, {QStringLiteral("保存失败：") + FailureLine(*saved.failure), MessageIcon::Error});
        return false;
    }
    for (int i = 0; i < List2->count(); ++i) {
        QFont font = List2->item(i)->font();
        if (font.bold()) {
            font.setBold(false);
            List2->item(i)->setFont(font);
        }
    }
    UpdateUndoActions();
    QString text = QStringLiteral("编辑修改过的字幕内容已保存！");
    if (saved.gbk.unencodableCount > 0) {
        text += QStringLiteral("\r\n其中%1个字符GB2312无法表示，已写为“?”。")
                    .arg(saved.gbk.unencodableCount);
    }
    dialogs_.Ask(this, {text});
    return true;
}

// Rows shifted and not saved: asks whether to save them first. False when
// the user cancels (or the save fails), and what was about to happen must not.
bool Form1::SettleUnsavedRows() {
    if (!records_.IsModified()) {
        return true;
    }
    const MessageAnswer answer = dialogs_.Ask(
        this, {QStringLiteral("当前字幕列表的平移修改尚未保存，要先保存吗？"), MessageIcon::Warning,
               MessageButtons::SaveDiscardCancel, MessageAnswer::Save});
    if (answer == MessageAnswer::Save) {
        return MenuSave_Click();
    }
    return answer == MessageAnswer::Discard;
}

void Form1::List2_ContextMenu(const QPoint& position) {
    const int row = List2->indexAt(position).row();
    QMenu menu(this);
    QAction* fromHere = menu.addAction(QStringLiteral("选中此行及之后的所有行"));
    fromHere->setEnabled(row >= 0);
    QAction* all = menu.addAction(QStringLiteral("全选"));
    all->setEnabled(List2->count() > 0);
    QAction* chosen = menu.exec(List2->viewport()->mapToGlobal(position));
    if (chosen == fromHere) {
        SelectRowsFrom(row);
    } else if (chosen == all) {
        List2->selectAll();
    }
}

void Form1::SelectRowsFrom(int row) {
    if (row < 0 || row >= List2->count()) {
        return;
    }
    List2->clearSelection();
    const QItemSelection range(List2->model()->index(row, 0),
                               List2->model()->index(List2->count() - 1, 0));
    List2->selectionModel()->select(range, QItemSelectionModel::Select);
}

// ---- settings of a run --------------------------------------------------------

std::optional<engine::ShiftSettings> Form1::GatherShiftSettings() const {
    return SettingsFrom(ReadOptions(), opening_, ToFsPath(LDir->text()));
}

// ---- events -----------------------------------------------------------------

// Accepts files dragged from the desktop and hands the dropped local paths to
// `onDrop` once the drop itself has finished: the file manager waits for it,
// and what follows may show a message box.
bool Form1::HandleFileDrop(QEvent* event, std::function<void(const QStringList&)> onDrop) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!drag->mimeData()->hasUrls()) {
                return false;
            }
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            QStringList paths;
            for (const QUrl& url : drop->mimeData()->urls()) {
                if (url.isLocalFile()) {
                    paths << url.toLocalFile();
                }
            }
            drop->acceptProposedAction();
            QTimer::singleShot(0, this, [onDrop = std::move(onDrop), paths] { onDrop(paths); });
            return true;
        }
        default:
            return false;
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TShift) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            return !TShift_KeyPress(key->text(), key->modifiers());
        }
        if (event->type() == QEvent::FocusOut) {
            // Opening a menu or leaving the window keeps the focus where it is.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason &&
                reason != Qt::ActiveWindowFocusReason) {
                TShift_LostFocus();
            }
        }
        return false;
    }
    if (watched == List1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        RemoveSelectedFiles();
        return true;
    }
    if (watched == LHead) {
        return HandleFileDrop(event,
                              [this](const QStringList& paths) { LHead_OLEDragDrop(paths); });
    }
    if (watched == LDir && event->type() == QEvent::MouseButtonDblClick) {
        LDir_DblClick();
        return true;
    }
    if (watched == List1->viewport()) {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
                return HandleFileDrop(
                    event, [this](const QStringList& paths) { List1_OLEDragDrop(paths); });
            case QEvent::MouseButtonRelease:
                List1_MouseUp(static_cast<QMouseEvent*>(event)->button());
                return false;
            case QEvent::MouseButtonDblClick:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                    // The press has made the entry under the mouse current.
                    QTimer::singleShot(0, this, &Form1::List1_DblClick);
                }
                return false;
            default:
                break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace orvane::ui
