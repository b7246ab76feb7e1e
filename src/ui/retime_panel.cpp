// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/retime_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "engine/amount.h"
#include "engine/row_shift.h"
#include "engine/timecode.h"
#include "textio/text_file.h"
#include "ui/dialogs.h"
#include "ui/elided_label.h"
#include "ui/form1_view.h"
#include "ui/options_panel.h"
#include "ui/row_edit_panel.h"
#include "ui/run_presenter.h"
#include "ui/run_report.h"
#include "ui/shift_amount.h"

namespace orvane::ui {
namespace {

// The latest time a sync point may name: 100 hours, as orvane-shift takes.
constexpr double kLatestTime = 360000.0;

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QComboBox* RateList(const char* name, const QString& chosen) {
    auto* list = Named(new QComboBox, name);
    list->setEditable(true);
    list->addItems(kFrameRateChoices);
    list->setCurrentText(chosen);
    return list;
}

QString TimeText(double t, engine::TimePattern pattern) {
    return QString::fromStdString(pattern == engine::TimePattern::Srt ? engine::FormatSrtTime(t)
                                                                      : engine::FormatAssTime(t));
}

// "t × 1.04270833 + 0.000 秒".
QString Formula(const engine::TimingMap& map) {
    return QString::fromStdString(engine::MapFormula(map)) + QStringLiteral(" 秒");
}

}  // namespace

std::optional<engine::FrameRate> ReadFrameRate(const QString& text, QString& refusal) {
    const std::optional<engine::FrameRate> rate =
        engine::ParseFrameRate(text.trimmed().toStdString());
    if (!rate) {
        refusal = QStringLiteral("“%1”不是帧率（如 25、23.976 或 24000/1001）！").arg(text);
    }
    return rate;
}

RetimePanel::RetimePanel(Form1View& view, Dialogs& dialogs, QWidget* owner, Rooms rooms)
    : QDialog(owner),
      view_(view),
      dialogs_(dialogs),
      rooms_(rooms),
      from_(RateList("CmbFpsFrom", QStringLiteral("25"))),
      to_(RateList("CmbFpsTo", QStringLiteral("23.976"))),
      point1_(Named(new QLabel, "LPoint1")),
      point2_(Named(new QLabel, "LPoint2")),
      target1_(Named(new QLineEdit, "TPoint1")),
      target2_(Named(new QLineEdit, "TPoint2")),
      preview_(Named(new QLabel, "LPreview")),
      sync_(Named(new QPushButton(QStringLiteral("两点同步(&A)")), "CmdSync")) {
    setObjectName(QStringLiteral("RetimePanel"));
    setWindowTitle(QStringLiteral("时间轴变换"));

    auto* convertBox = Named(new QGroupBox(QStringLiteral("帧率转换")), "FrameFps");
    auto* convertRow = new QHBoxLayout(convertBox);
    auto* convert = Named(new QPushButton(QStringLiteral("转换(&C)")), "CmdConvert");
    convert->setToolTip(QStringLiteral("按“批量处理”的选择转换字幕文件列表中的文件，不裁剪片头"));
    convertRow->addWidget(new QLabel(QStringLiteral("原帧率：")));
    convertRow->addWidget(from_);
    convertRow->addWidget(new QLabel(QStringLiteral("目标帧率：")));
    convertRow->addWidget(to_);
    convertRow->addWidget(convert);

    auto* syncBox = Named(new QGroupBox(QStringLiteral("两点同步")), "FrameSync");
    auto* syncForm = new QFormLayout(syncBox);
    syncForm->addRow(new QLabel(
        QStringLiteral("在“当前字幕列表”中选中两行时间轴，填写它们应在的时间（秒数或时间码）：")));
    syncForm->addRow(point1_, target1_);
    syncForm->addRow(point2_, target2_);
    syncForm->addRow(preview_);
    syncForm->addRow(sync_);
    preview_->setWordWrap(true);
    // Room for the two lines of a preview (or a refusal that wraps): a
    // wrapping label does not grow the dialog by itself.
    preview_->setMinimumHeight(preview_->fontMetrics().lineSpacing() * 3);

    auto* page = new QVBoxLayout(this);
    page->addWidget(convertBox);
    page->addWidget(syncBox);

    auto* open = Named(new QAction(QStringLiteral("时间轴变换(&T)..."), owner), "MenuRetime");
    view_.MenuOps->addAction(open);
    connect(open, &QAction::triggered, this, &RetimePanel::ShowPanel);
    connect(convert, &QPushButton::clicked, this, &RetimePanel::Convert);
    connect(sync_, &QPushButton::clicked, this, &RetimePanel::SyncTwoPoints);
    connect(target1_, &QLineEdit::textChanged, this, &RetimePanel::ShowPreview);
    connect(target2_, &QLineEdit::textChanged, this, &RetimePanel::ShowPreview);
    connect(rooms_.rows->List()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RetimePanel::ShowSelection);
    connect(rooms_.rows, &RowEditPanel::rowsLoaded, this, &RetimePanel::ShowSelection);
    ShowSelection();
}

void RetimePanel::ShowPanel() {
    ShowSelection();
    show();
    raise();
    activateWindow();
}

void RetimePanel::Convert() {
    if (rooms_.run->IsBusy()) {
        dialogs_.Beep();
        return;
    }
    if (view_.List1->count() == 0) {
        dialogs_.Ask(this, {QStringLiteral("请先加载字幕文件列表！"), MessageIcon::Error});
        return;
    }
    QString refusal;
    const std::optional<engine::FrameRate> from = ReadFrameRate(from_->currentText(), refusal);
    const std::optional<engine::FrameRate> to =
        from ? ReadFrameRate(to_->currentText(), refusal) : std::nullopt;
    if (!from || !to) {
        dialogs_.Ask(this, {refusal, MessageIcon::Error});
        return;
    }
    if (from->numerator * to->denominator == to->numerator * from->denominator) {
        dialogs_.Ask(
            this, {QStringLiteral("原帧率与目标帧率相同，时间轴不会改变！"), MessageIcon::Error});
        return;
    }
    // A conversion is a mode of its own: what it writes follows the
    // options, its timing only the two frame rates.
    const engine::ShiftSettings settings = engine::FrameRateConversion(
        OutputChoices(rooms_.options->Read(),
                      textio::PathFromUtf8(view_.LDir->text().toStdString())),
        *from, *to);
    if (!settings.overwrite) {
        // A folder that cannot be made shows up as the files that failed.
        QDir().mkpath(view_.LDir->text());
    }
    rooms_.run->Start(settings, QStringLiteral("帧率 %1 → %2：%3")
                                    .arg(from_->currentText().trimmed(),
                                         to_->currentText().trimmed(), Formula(*settings.map)));
}

RetimePanel::Sync RetimePanel::PlanSync() const {
    Sync sync;
    const engine::RecordEditor& records = rooms_.rows->Records();
    const std::optional<engine::TimePattern> pattern = engine::RowPatternFor(records.Source());
    if (!view_.ChSelect->isChecked() || records.Rows().empty() || !pattern) {
        sync.refusal =
            QStringLiteral("请先勾选“仅平移选中的时间轴行”，并双击读取一个srt、ass或ssa字幕文件！");
        return sync;
    }
    const std::vector<Point> points = SelectedPoints();
    if (rooms_.rows->List()->selectionModel()->selectedRows().size() != 2 || points.size() != 2) {
        sync.refusal = QStringLiteral("请在“当前字幕列表”中选中两行时间轴（仅两行）！");
        return sync;
    }
    double right[2] = {0, 0};
    QLineEdit* fields[2] = {target1_, target2_};
    for (int i = 0; i < 2; ++i) {
        const QString text = fields[i]->text().trimmed();
        const std::optional<double> time = engine::ReadTime(text.toStdString(), kLatestTime);
        if (!time) {
            sync.refusal =
                QStringLiteral("“%1”不是时间（秒数，或00:01:02,345这样的时间码）！").arg(text);
            return sync;
        }
        right[i] = *time;
    }
    sync.map = engine::TwoPointMap(points[0].now, right[0], points[1].now, right[1]);
    if (!sync.map) {
        sync.refusal = QStringLiteral(
            "两点的原时间相同，或新时间的先后与原时间相反（或相同），无法同步，未做任何修改！");
        return sync;
    }
    sync.description = QStringLiteral("两点同步：%1 → %2，%3 → %4（%5）")
                           .arg(TimeText(points[0].now, *pattern), TimeText(right[0], *pattern),
                                TimeText(points[1].now, *pattern), TimeText(right[1], *pattern),
                                Formula(*sync.map));
    return sync;
}

std::vector<RetimePanel::Point> RetimePanel::SelectedPoints() const {
    const engine::RecordEditor& records = rooms_.rows->Records();
    std::vector<Point> points;
    for (const QModelIndex& index : rooms_.rows->List()->selectionModel()->selectedRows()) {
        const auto row = static_cast<std::size_t>(index.row());
        if (const std::optional<engine::RowTimes> times = records.TimesOfRow(row)) {
            points.push_back({row, times->start});
        }
    }
    std::sort(points.begin(), points.end(),
              [](const Point& a, const Point& b) { return a.row < b.row; });
    return points;
}

void RetimePanel::ShowSelection() {
    const std::optional<engine::TimePattern> pattern =
        engine::RowPatternFor(rooms_.rows->Records().Source());
    const std::vector<Point> points = pattern ? SelectedPoints() : std::vector<Point>{};
    QLabel* labels[2] = {point1_, point2_};
    for (std::size_t i = 0; i < 2; ++i) {
        labels[i]->setText(points.size() == 2 ? QStringLiteral("第%1行 %2 →")
                                                    .arg(points[i].row + 1)
                                                    .arg(TimeText(points[i].now, *pattern))
                                              : (i == 0 ? QStringLiteral("第一点 →")
                                                        : QStringLiteral("第二点 →")));
    }
    ShowPreview();
}

void RetimePanel::ShowPreview() {
    const Sync sync = PlanSync();
    sync_->setEnabled(sync.map.has_value());
    if (!sync.map) {
        preview_->setText(QStringLiteral("预览：") + sync.refusal);
        return;
    }
    const engine::RecordEditor& records = rooms_.rows->Records();
    const engine::TimePattern pattern = *engine::RowPatternFor(records.Source());
    std::optional<engine::RowTimes> first;
    std::optional<engine::RowTimes> last;
    for (std::size_t i = 0; i < records.Rows().size() && !first; ++i) {
        first = records.TimesOfRow(i);
    }
    for (std::size_t i = records.Rows().size(); i > 0 && !last; --i) {
        last = records.TimesOfRow(i - 1);
    }
    const auto moved = [&](double t) {
        return TimeText(std::max(sync.map->Apply(t), 0.0), pattern);
    };
    preview_->setText(QStringLiteral("预览：第一条 %1 → %2；\n最后一条 %3 → %4")
                          .arg(TimeText(first->start, pattern), moved(first->start),
                               TimeText(last->start, pattern), moved(last->start)));
}

void RetimePanel::SyncTwoPoints() {
    const Sync sync = PlanSync();
    if (!sync.map) {
        dialogs_.Ask(this, {sync.refusal, MessageIcon::Error});
        return;
    }
    const engine::RowMapping mapping = rooms_.rows->Records().PlanMap(*sync.map);
    if (mapping.changes.empty()) {
        dialogs_.Ask(this, {QStringLiteral("两点同步不改变任何时间，未做任何修改。")});
        return;
    }
    rooms_.rows->MapAll(mapping, QStringLiteral("两点同步"));
    dialogs_.Ask(this, {sync.description + QStringLiteral("\r\n") +
                        MovedText(mapping.moved, mapping.largestChange) +
                        QStringLiteral("。稍后可以直接保存修改！")});
}

}  // namespace orvane::ui
