// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/run_presenter.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <vector>

#include "textio/file_system.h"
#include "textio/text_file.h"
#include "ui/dialogs.h"
#include "ui/form1_view.h"
#include "ui/run_controller.h"
#include "ui/run_report.h"

namespace orvane::ui {

RunPresenter::RunPresenter(Form1View& view, Dialogs& dialogs, QWidget* owner, Hooks hooks)
    : QObject(owner),
      view_(view),
      dialogs_(dialogs),
      owner_(owner),
      hooks_(std::move(hooks)),
      run_(new RunController(this)) {
    setObjectName(QStringLiteral("RunPresenter"));
    connect(run_, &RunController::statusChanged, this, &RunPresenter::statusChanged);
    connect(run_, &RunController::fileStarted, this,
            [this](int, int, const QString& source) { OnFileStarted(source); });
    connect(run_, &RunController::finished, this, &RunPresenter::OnFinished);
}

void RunPresenter::Start(engine::ShiftSettings settings, const QString& retiming,
                         const std::function<void(engine::BatchPlan&)>& adjust) {
    retiming_ = retiming;
    QListWidget* list = view_.List1;
    if (list->currentRow() < 0) {
        list->setCurrentRow(0);
    }
    const bool batch = view_.ChBat->isChecked();
    first_ = batch ? 0 : list->currentRow();
    last_ = batch ? list->count() - 1 : list->currentRow();
    std::optional<engine::BatchPlan> plan = Plan(std::move(settings));
    if (!plan) {
        return;
    }
    if (adjust) {
        adjust(*plan);
    }
    hooks_.setMenusEnabled(false);
    view_.Frame1->setEnabled(false);
    stopRequested_ = false;
    busy_ = true;
    view_.CmdStop->setVisible(batch);
    run_->Start(std::move(*plan));
}

// Plans the run over the chosen entries. Without overwrite, an output that
// would replace one of the files is asked about first; Yes writes over the
// sources, No ends the command.
std::optional<engine::BatchPlan> RunPresenter::Plan(engine::ShiftSettings settings) {
    std::vector<std::filesystem::path> inputs;
    for (int i = first_; i <= last_ && i < view_.List1->count(); ++i) {
        inputs.push_back(textio::PathFromUtf8(view_.List1->item(i)->text().toStdString()));
    }
    engine::BatchPlan plan = engine::PlanBatch(inputs, settings);
    if (!plan.WouldReplaceAnInput()) {
        return plan;
    }
    const MessageAnswer answer =
        dialogs_.Ask(owner_, {QStringLiteral("输出目录就是字幕所在目录，将覆盖源文件，继续吗？"),
                              MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::No});
    if (answer != MessageAnswer::Yes) {
        return std::nullopt;
    }
    settings.overwrite = true;
    return engine::PlanBatch(inputs, settings);
}

// The list shows which file is being shifted.
void RunPresenter::OnFileStarted(const QString& source) {
    for (int i = first_; i <= last_ && i < view_.List1->count(); ++i) {
        if (view_.List1->item(i)->text() == source) {
            view_.List1->setCurrentRow(i);
            return;
        }
    }
}

void RunPresenter::OnFinished(const engine::BatchSummary& summary) {
    if (!summary.stopped && last_ < view_.List1->count()) {
        view_.List1->setCurrentRow(last_);
    }
    if (!hooks_.closing()) {
        ShowReport(summary);
    }
    emit statusChanged(summary.stopped ? QStringLiteral("状态：已终止")
                                       : QStringLiteral("状态：处理完毕"));
    view_.CmdStop->setVisible(false);
    busy_ = false;
    view_.Frame1->setEnabled(true);
    hooks_.setMenusEnabled(true);
}

void RunPresenter::ShowReport(const engine::BatchSummary& summary) {
    const RunReport report = MakeRunReport(summary, retiming_);
    MessageRequest box{report.text};
    box.details = report.details;
    if (summary.Failed() > 0) {
        box.icon = MessageIcon::Warning;
    }
    const int others = view_.List1->count() - 1;
    if (!view_.ChBat->isChecked() && others > 0) {
        box.text +=
            QStringLiteral("\r\n未勾选“批量处理”：只处理了选中的文件，列表中其余%1个文件未处理。")
                .arg(others);
    }
    // Nothing written: no folder worth opening.
    if (view_.ChOverWr->isChecked() || summary.Written() == 0) {
        dialogs_.Ask(owner_, box);
        return;
    }
    box.text +=
        report.text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral(" ");
    box.text += QStringLiteral("要打开输出目录吗？");
    box.buttons = MessageButtons::YesNo;
    box.defaultButton = MessageAnswer::Yes;
    if (dialogs_.Ask(owner_, box) == MessageAnswer::Yes) {
        hooks_.openOutputFolder();
    }
}

bool RunPresenter::AskPaused(const MessageRequest& question) {
    // The run waits between files while the question is open, so it cannot
    // end under it.
    run_->Pause();
    const bool yes = dialogs_.Ask(owner_, question) == MessageAnswer::Yes;
    run_->Resume();
    return yes;
}

void RunPresenter::AskToStop() {
    if (AskPaused({QStringLiteral("终止操作？"), MessageIcon::Warning, MessageButtons::YesNo,
                   MessageAnswer::No})) {
        view_.CmdStop->setVisible(false);
        Stop();
    }
}

void RunPresenter::Stop() {
    stopRequested_ = true;
    run_->RequestStop();
}

}  // namespace orvane::ui
