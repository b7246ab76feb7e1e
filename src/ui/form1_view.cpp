// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1_view.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>
#include <initializer_list>

#include "orvane_version.h"
#include "ui/elided_label.h"
#include "ui/flow_layout.h"
#include "ui/input_encoding.h"
#include "ui/opening.h"
#include "ui/option_rules.h"
#include "ui/shift_amount.h"

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

}  // namespace

void Form1View::BuildControls(QMainWindow& window, QListView* recordList,
                              const QString& outputDir) {
    // On a small screen the page scrolls, so every control stays reachable
    // without maximising.
    auto* scroll = new QScrollArea(&window);
    scroll->setObjectName(QStringLiteral("Page"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* central = new QWidget;
    scroll->setWidget(central);
    window.setCentralWidget(scroll);
    auto* page = new QVBoxLayout(central);
    page->setContentsMargins(8, 6, 8, 2);
    page->setSpacing(6);

    // Output folder and the Stop button.
    Label1 = Named(new QLabel(QStringLiteral("输出目录：")), "Label1");
    LDir = Named(new ElidedLabel(outputDir), "LDir");
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

    OptCutMove = Named(new QRadioButton(QStringLiteral("先裁剪后平移(&C)")), "OptCutMove");
    OptCutMove->setToolTip(QStringLiteral(
        "比如将字幕文件时间轴前面的12秒广告片头裁掉扔掉，将后续的字幕时间轴整体往前平移12秒"));
    OptCutMove->setChecked(true);
    ChMove = Named(new QCheckBox(QStringLiteral("裁剪后再提前(&T)")), "ChMove");
    ChFanToJ = Named(new QCheckBox(QStringLiteral("繁转简(&J)")), "ChFanToJ");
    CmbDel = Named(new QComboBox, "CmbDel");
    CmbDel->addItems({QStringLiteral("保持原样"), QStringLiteral("删除英文字幕"),
                      QStringLiteral("删除中文字幕")});
    CmbDel->setToolTip(
        QStringLiteral("删除双语字幕中的英文或中文部分（只有一种语言的字幕保持原样）"));
    CmbDel->setCurrentIndex(-1);  // the start-up sequence selects the first item
    ChHead = Named(new QCheckBox(QStringLiteral("以片头时长为基准(&B)")), "ChHead");
    ChHead->setChecked(true);
    LHead = Named(new ElidedLabel(kDefaultHeadCaption), "LHead");
    LHead->setToolTip(kDropTip);
    LHead->setTag(OpeningClip{}.durationText);

    OptMove = Named(new QRadioButton(QStringLiteral("直接平移(&D)")), "OptMove");
    OptMove->setToolTip(
        QStringLiteral("将字幕时间轴整体往前或者往后平移多少秒，平移短于片头或长于片尾的被截断掉"));
    ChDirection = Named(new QCheckBox(QStringLiteral("延后(&L)")), "ChDirection");
    ChDirection->setToolTip(
        QStringLiteral("勾选则整体时间轴往后（延后）平移；不勾选则整体往前（提前）平移"));
    ChDirection->setEnabled(false);
    Label4 = Named(new QLabel(QStringLiteral("平移秒数(&S)：")), "Label4");
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
    ChFrames = Named(new QCheckBox(QStringLiteral("帧(&M)")), "ChFrames");
    ChFrames->setToolTip(
        QStringLiteral("按帧数平移：帧率在右侧选择或填写，选定片头视频时取其帧率"));
    ChFrames->setEnabled(false);
    CmbFrameRate = Named(new QComboBox, "CmbFrameRate");
    CmbFrameRate->setEditable(true);
    CmbFrameRate->addItems(kFrameRateChoices);
    CmbFrameRate->setCurrentText(QStringLiteral("25"));
    CmbFrameRate->setEnabled(false);
    ChSelect = Named(new QCheckBox(QStringLiteral("仅平移选中的时间轴行(&R)")), "ChSelect");
    ChSelect->setEnabled(false);
    Label6 = Named(new QLabel(QStringLiteral("字幕类型(&Y)：")), "Label6");
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
    Label7 = Named(new QLabel(QStringLiteral("输入编码(&E)：")), "Label7");
    CmbEncoding = Named(new QComboBox, "CmbEncoding");
    FillEncodingChoice(CmbEncoding);
    CmbEncoding->setToolTip(QStringLiteral(
        "读取字幕文件所用的编码：自动检测，或指定一种（用于本次处理的每个文件及当前字幕列表）"));
    Label7->setBuddy(CmbEncoding);
    ChASCII = Named(new QCheckBox(QStringLiteral("&ANSI编码")), "ChASCII");
    ChASCII->setToolTip(QStringLiteral(
        "默认是Utf-8编码(仅您将来使用的字幕烧录软件支持ANSI编码时才启用，否则勿启用)"));
    ChBat = Named(new QCheckBox(QStringLiteral("批量处理(&P)")), "ChBat");
    ChOverWr = Named(new QCheckBox(QStringLiteral("覆盖源文件(&W)")), "ChOverWr");
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
    directRow->addWidget(KeptTogether({Label4, TShift, Label5, ChFrames, CmbFrameRate}));
    directRow->addWidget(ChSelect);
    directRow->addWidget(KeptTogether({Label6, CmbType}));
    directRow->addWidget(KeptTogether({Label7, CmbEncoding}));
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
    List1->setToolTip(
        QStringLiteral("右键清空列表；启用仅平移选中的字幕行，则双击读取字幕记录行；") + kDropTip);
    // Files come from the desktop only; the list's own drag and drop of
    // items stays off.
    List1->setAcceptDrops(true);
    List1->viewport()->setAcceptDrops(true);
    List1->setContextMenuPolicy(Qt::NoContextMenu);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    List2 = recordList;

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
    window.statusBar()->addWidget(LSt, 1);
    window.statusBar()->setSizeGripEnabled(false);

    LHead->setAcceptDrops(true);
}

void Form1View::BuildMenus(QMainWindow& window) {
    MenuFiles = Named(window.menuBar()->addMenu(QStringLiteral("文件(&F)")), "MenuFiles");
    MenuAddFiles =
        AddItem(MenuFiles, QStringLiteral("添加字幕文件(srt,ass,ssa,lrc；支持文件拖放)(&A)..."),
                "MenuAddFiles");
    MenuAddFolder = AddItem(MenuFiles, QStringLiteral("添加字幕文件夹(&D)..."), "MenuAddFolder");
    MenuHead = AddItem(MenuFiles, QStringLiteral("指定片头(&V)..."), "MenuHead");
    MenuOutpath = AddItem(MenuFiles, QStringLiteral("输出目录(&O)..."), "MenuOutpath");
    MenuFiles->addSeparator();
    MenuExit = AddItem(MenuFiles, QStringLiteral("退出(&X)"), "MenuExit");

    MenuOps = Named(window.menuBar()->addMenu(QStringLiteral("操作(&O)")), "MenuOps");
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
    MenuUndo->setEnabled(false);
    MenuRedo->setEnabled(false);

    MenuHelp = Named(window.menuBar()->addMenu(QStringLiteral("帮助(&H)")), "MenuHelp");
    MenuUpdate = AddItem(MenuHelp, QStringLiteral("检查更新(&U)"), "MenuUpdate");
    MenuUpdate->setEnabled(false);
    MenuCheckNow = AddItem(MenuHelp, QStringLiteral("立即检查更新(&C)"), "MenuCheckNow");
    MenuHelpSub = AddItem(MenuHelp, QStringLiteral("帮助(&H)..."), "MenuHelpSub");
    MenuHome = AddItem(MenuHelp, QStringLiteral("主页(&M)"), "MenuHome");
}

}  // namespace orvane::ui
