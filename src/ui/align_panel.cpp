// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/align_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "engine/alignment_run.h"
#include "engine/batch.h"
#include "engine/timecode.h"
#include "media/opening_clip.h"
#include "textio/text_file.h"
#include "ui/dialogs.h"
#include "ui/elided_label.h"
#include "ui/failure_text.h"
#include "ui/file_drop.h"
#include "ui/form1_view.h"
#include "ui/row_edit_panel.h"
#include "ui/run_presenter.h"

namespace orvane::ui {
namespace {

namespace fs = std::filesystem;

// Subtitles, the videos an opening may be, and sound files.
const QString kReferencePatterns =
    QStringLiteral("*.srt;*.ass;*.ssa;") + QString::fromUtf8(media::kOpeningVideoPatterns) +
    QStringLiteral(";*.mov;*.webm;*.ts;*.m2ts;*.mka;*.mp3;*.wav;*.flac;*.m4a;*.aac;*.ogg;*.opus");

fs::path ToFs(const QString& path) {
    return textio::PathFromUtf8(path.toStdString());
}

QString NameOf(const fs::path& path) {
    return QString::fromStdString(textio::PathToUtf8(path.filename()));
}

QString Time(double seconds) {
    return QString::fromStdString(engine::FormatSrtTime(std::max(seconds, 0.0)));
}

// "1（不变）", or the conversion a frame-rate ratio stands for.
QString ScaleText(double scale) {
    if (scale == 1.0) {
        return QStringLiteral("1（不变）");
    }
    const QString name = QString::fromStdString(engine::ScaleName(scale));
    const QString number = QString::number(scale, 'f', 6);
    return name.isEmpty() ? number : number + QStringLiteral("（") + name + QStringLiteral("）");
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

QString DescribeAlignedFile(const AlignedFile& file, double unsureBelow) {
    QString text = NameOf(file.source) + QStringLiteral("：");
    if (file.failure) {
        return text + FailureReason(*file.failure);
    }
    const engine::AlignReport& report = file.report;
    text += QStringLiteral("帧率比例 %1，置信度 %2")
                .arg(ScaleText(report.scale))
                .arg(report.confidence, 0, 'f', 1);
    if (report.unsure) {
        text += QStringLiteral("【不可靠：置信度至少需要 %1】").arg(unsureBelow, 0, 'f', 1);
    }
    for (const engine::AlignedSegment& segment : report.segments) {
        text += QStringLiteral("\n  %1 - %2  %3 秒（%4条字幕，置信度 %5）")
                    .arg(Time(segment.firstStart), Time(segment.lastEnd),
                         QString::asprintf("%+.3f", segment.offset))
                    .arg(segment.cueCount)
                    .arg(segment.confidence, 0, 'f', 1);
    }
    return text;
}

AlignPanel::AlignPanel(Form1View& view, Dialogs& dialogs, RowEditPanel& rows, RunPresenter& run,
                       QWidget* owner)
    : QObject(owner),
      view_(view),
      dialogs_(dialogs),
      rows_(rows),
      run_(run),
      owner_(owner),
      job_(new AlignJob(this)) {
    setObjectName(QStringLiteral("AlignPanel"));
    menuAlign_ = new QAction(QStringLiteral("自动对齐(&L)..."), view_.MenuOps);
    menuAlign_->setObjectName(QStringLiteral("MenuAlign"));
    menuAlign_->setToolTip(QStringLiteral("按时间轴正确的参考字幕或视频中的人声自动对齐"));
    view_.MenuOps->insertAction(view_.MenuSave, menuAlign_);
    connect(menuAlign_, &QAction::triggered, this, &AlignPanel::Open);
    connect(job_, &AlignJob::progress, this, &AlignPanel::OnProgress);
    connect(job_, &AlignJob::finished, this, &AlignPanel::OnFinished);
}

bool AlignPanel::RowMode() const {
    return view_.ChSelect->isChecked();
}

void AlignPanel::Open() {
    if (run_.IsBusy() || rows_.IsLoading() || job_->IsRunning()) {
        dialogs_.Beep();
        return;
    }
    if (view_.List1->count() == 0) {
        dialogs_.Ask(owner_, {QStringLiteral("请先加载字幕文件列表！"), MessageIcon::Error});
        return;
    }
    if (RowMode() && rows_.RowCount() == 0) {
        dialogs_.Ask(owner_,
                     {QStringLiteral("请先双击字幕文件列表中的任一文件，以先读取字幕记录行！")});
        return;
    }
    if (RowMode() && !rows_.Records().HasTimePattern()) {
        dialogs_.Ask(owner_,
                     {QStringLiteral("该类型的文件没有可平移的时间轴行（仅支持srt、ass、ssa）！")});
        return;
    }
    if (!dialog_) {
        BuildDialog();
    }
    outcome_ = {};
    map_->clear();
    progress_->setValue(0);
    ShowWorking(false);
    const int files = view_.ChBat->isChecked() ? view_.List1->count() : 1;
    status_->setText(RowMode() ? QStringLiteral("对齐对象：当前字幕列表（可撤销）")
                               : QStringLiteral("对齐对象：%1个字幕文件，各自单独对齐").arg(files));
    dialog_->open();
}

void AlignPanel::BuildDialog() {
    dialog_ = Named(new QDialog(owner_), "AlignDialog");
    dialog_->setWindowTitle(QStringLiteral("自动对齐"));
    auto* page = new QVBoxLayout(dialog_);
    auto* hint = new QLabel(QStringLiteral(
        "参考文件：时间轴正确的字幕（srt、ass、ssa），或视频、音频文件（按其中的人声对齐）。"
        "支持文件拖放。对齐结果核对无误后才会写入。"));
    hint->setWordWrap(true);
    page->addWidget(hint);

    reference_ = Named(new QLineEdit, "TAlignRef");
    reference_->setPlaceholderText(QStringLiteral("参考字幕或视频文件"));
    reference_->setAcceptDrops(false);  // a dropped file goes to the dialog
    choose_ = Named(new QPushButton(QStringLiteral("选择(&B)...")), "CmdAlignRef");
    auto* referenceRow = new QHBoxLayout;
    referenceRow->addWidget(new QLabel(QStringLiteral("参考文件：")));
    referenceRow->addWidget(reference_, 1);
    referenceRow->addWidget(choose_);
    page->addLayout(referenceRow);

    start_ = Named(new QPushButton(QStringLiteral("开始对齐(&S)")), "CmdAlignStart");
    stop_ = Named(new QPushButton(QStringLiteral("终止(&T)")), "CmdAlignStop");
    progress_ = Named(new QProgressBar, "AlignProgress");
    progress_->setRange(0, 100);
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(start_);
    runRow->addWidget(stop_);
    runRow->addWidget(progress_, 1);
    page->addLayout(runRow);

    status_ = Named(new QLabel, "LAlignStatus");
    status_->setWordWrap(true);
    page->addWidget(status_);
    map_ = Named(new QPlainTextEdit, "TAlignMap");
    map_->setReadOnly(true);
    map_->setAcceptDrops(false);
    map_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    map_->setPlaceholderText(QStringLiteral("对齐结果（分段时间范围、偏移、帧率比例、置信度）"));
    page->addWidget(map_, 1);

    apply_ = Named(new QPushButton(QStringLiteral("应用对齐(&A)")), "CmdAlignApply");
    close_ = Named(new QPushButton(QStringLiteral("关闭(&C)")), "CmdAlignClose");
    auto* endRow = new QHBoxLayout;
    endRow->addStretch(1);
    endRow->addWidget(apply_);
    endRow->addWidget(close_);
    page->addLayout(endRow);

    connect(choose_, &QPushButton::clicked, this, &AlignPanel::ChooseReference);
    connect(start_, &QPushButton::clicked, this, &AlignPanel::StartAligning);
    connect(stop_, &QPushButton::clicked, this, &AlignPanel::Stop);
    connect(apply_, &QPushButton::clicked, this, &AlignPanel::ApplyAlignment);
    connect(close_, &QPushButton::clicked, dialog_, &QDialog::reject);
    // Closing the dialog stops an alignment under way; nothing is written.
    connect(dialog_, &QDialog::rejected, this, &AlignPanel::Stop);
    new FileDrop(dialog_, [this](const QStringList& paths) { SetReference(paths); });
    dialog_->resize(680, 440);
}

void AlignPanel::ChooseReference() {
    const QStringList chosen = dialogs_.GetOpenFileNames(
        dialog_, {QStringLiteral("选择参考字幕或视频"), QStringLiteral("参考字幕或视频"),
                  kReferencePatterns, false, lastDir_});
    if (chosen.isEmpty()) {
        dialogs_.Beep();
        return;
    }
    SetReference(chosen);
}

void AlignPanel::SetReference(const QStringList& paths) {
    for (const QString& path : paths) {
        if (QFileInfo(path).isFile()) {
            lastDir_ = QFileInfo(path).absolutePath();
            reference_->setText(path);
            return;
        }
    }
    dialogs_.Beep();
}

void AlignPanel::ShowWorking(bool working) {
    for (QWidget* widget : {static_cast<QWidget*>(reference_), static_cast<QWidget*>(choose_),
                            static_cast<QWidget*>(start_), static_cast<QWidget*>(close_)}) {
        widget->setEnabled(!working);
    }
    stop_->setEnabled(working);
    const bool anyUsable =
        std::any_of(outcome_.files.begin(), outcome_.files.end(),
                    [](const AlignedFile& file) { return !file.failure.has_value(); });
    apply_->setEnabled(!working && anyUsable);
}

void AlignPanel::StartAligning() {
    const QString path = reference_->text().trimmed();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        dialogs_.Ask(dialog_, {QStringLiteral("请先指定参考字幕或视频文件！"), MessageIcon::Error});
        return;
    }
    AlignRequest request;
    request.reference = ToFs(path);
    if (RowMode()) {
        request.rows = rows_.Records().CueIntervals();
        request.rowsSource = rows_.Records().Source();
    } else {
        // The files a run would take: the current entry, or all with 批量处理.
        QListWidget* list = view_.List1;
        if (list->currentRow() < 0) {
            list->setCurrentRow(0);
        }
        const bool batch = view_.ChBat->isChecked();
        const int first = batch ? 0 : list->currentRow();
        const int last = batch ? list->count() - 1 : list->currentRow();
        for (int i = first; i <= last; ++i) {
            request.files.push_back(ToFs(list->item(i)->text()));
        }
    }
    outcome_ = {};
    map_->clear();
    progress_->setValue(0);
    ShowWorking(true);
    job_->Start(std::move(request));
}

void AlignPanel::Stop() {
    job_->RequestStop();
}

void AlignPanel::OnProgress(const QString& status, int percent) {
    progress_->setValue(percent);
    status_->setText(status.mid(3));  // without "状态："
    emit statusChanged(status);
}

void AlignPanel::OnFinished(const AlignOutcome& outcome) {
    outcome_ = outcome;
    ShowWorking(false);
    if (outcome.stopped) {
        status_->setText(QStringLiteral("已终止对齐，未写入任何文件"));
        emit statusChanged(QStringLiteral("状态：已终止对齐"));
        return;
    }
    if (!outcome.referenceError.isEmpty()) {
        status_->setText(outcome.referenceError);
        emit statusChanged(QStringLiteral("状态：无法读取参考文件"));
        dialogs_.Ask(dialog_,
                     {outcome.referenceError + QStringLiteral("。无法对齐，未写入任何文件。"),
                      MessageIcon::Error});
        return;
    }
    progress_->setValue(100);
    const double unsureBelow = engine::AlignSettings{}.unsureBelow;
    QStringList parts;
    int unsure = 0;
    for (const AlignedFile& file : outcome.files) {
        parts << DescribeAlignedFile(file, unsureBelow);
        unsure += !file.failure && file.report.unsure ? 1 : 0;
    }
    map_->setPlainText(parts.join(QStringLiteral("\n\n")));
    status_->setText(unsure > 0 ? QStringLiteral("对齐结果不可靠：%1个文件与参考文件对不上，"
                                                 "请检查参考文件是否选对")
                                      .arg(unsure)
                                : QStringLiteral("对齐完成，请核对结果后点击“应用对齐”"));
    emit statusChanged(QStringLiteral("状态：对齐完成，尚未写入"));
}

void AlignPanel::ApplyAlignment() {
    std::vector<const AlignedFile*> chosen;
    QStringList unsure;
    for (const AlignedFile& file : outcome_.files) {
        if (!file.failure && !file.report.unsure) {
            chosen.push_back(&file);
        } else if (!file.failure) {
            unsure << NameOf(file.source) +
                          QStringLiteral("（置信度 %1）").arg(file.report.confidence, 0, 'f', 1);
        }
    }
    if (!unsure.isEmpty()) {
        const MessageAnswer answer = dialogs_.Ask(
            dialog_,
            {QStringLiteral("以下对齐结果不可靠（置信度低于 %1），参考文件可能与字幕不对应："
                            "\r\n%2\r\n仍然应用这些结果吗？")
                 .arg(engine::AlignSettings{}.unsureBelow, 0, 'f', 1)
                 .arg(unsure.join(QStringLiteral("\r\n"))),
             MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::No});
        if (answer == MessageAnswer::Yes) {
            for (const AlignedFile& file : outcome_.files) {
                if (!file.failure && file.report.unsure) {
                    chosen.push_back(&file);
                }
            }
        }
    }
    if (chosen.empty()) {
        status_->setText(QStringLiteral("未应用对齐，未写入任何文件"));
        emit statusChanged(QStringLiteral("状态：未应用对齐，未写入任何文件"));
        return;
    }
    if (RowMode()) {
        dialog_->accept();
        rows_.ApplyMap(chosen.front()->report.map, QStringLiteral("自动对齐"));
        return;
    }
    // Each file with its own map, through the run over the file list.
    std::map<fs::path, engine::TimingMap> maps;
    for (const AlignedFile* file : chosen) {
        maps.emplace(file->source, file->report.map);
    }
    engine::ShiftSettings base;
    base.removal = static_cast<engine::LanguageRemoval>(qBound(0, view_.CmbDel->currentIndex(), 2));
    base.simplify = view_.ChFanToJ->isChecked();
    base.ansi = view_.ChASCII->isChecked();
    base.overwrite = view_.ChOverWr->isChecked();
    base.outputDir = ToFs(view_.LDir->text());
    engine::ShiftSettings settings = engine::AlignedSettings(base, engine::TimingMap{});
    settings.map.reset();
    dialog_->accept();
    run_.Start(settings, {}, [maps = std::move(maps)](engine::BatchPlan& plan) {
        auto& files = plan.files;
        files.erase(std::remove_if(files.begin(), files.end(),
                                   [&](const engine::PlannedFile& file) {
                                       return maps.count(file.source) == 0;
                                   }),
                    files.end());
        for (engine::PlannedFile& file : files) {
            file.map = maps.at(file.source);
        }
    });
}

}  // namespace orvane::ui
