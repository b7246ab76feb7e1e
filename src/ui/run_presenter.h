// SPDX-License-Identifier: GPL-3.0-or-later
// A run over the file list as the window shows it: the chosen entries and
// settings become a plan (with the same-folder question), the run
// controller works through it on its thread, the list follows the current
// file, Stop is asked about, and the report comes at the end.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "engine/batch.h"
#include "engine/shift_settings.h"
#include "ui/dialogs.h"

class QWidget;

namespace orvane::ui {

class RunController;
struct Form1View;

class RunPresenter : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(bool)> setMenusEnabled;
        std::function<void()> openOutputFolder;
        // The window is closing: no report is shown.
        std::function<bool()> closing;
    };
    RunPresenter(Form1View& view, Dialogs& dialogs, QWidget* owner, Hooks hooks);

    // A run is under way: the options and menus are locked.
    bool IsBusy() const { return busy_; }
    bool StopRequested() const { return stopRequested_; }
    // Marks the window busy (or not) without a run; tests use it to act in
    // the middle of one.
    void SetBusy(bool busy) { busy_ = busy; }

    // Shifts the current entry, or every entry with 批量处理. A retiming
    // run names its map in `retiming`, and the report says what it moved.
    // `adjust`, when given, changes the plan before it runs (an alignment
    // gives each file its own map and leaves out those it does not apply to).
    void Start(engine::ShiftSettings settings, const QString& retiming = {},
               const std::function<void(engine::BatchPlan&)>& adjust = {});
    // The Stop button: asks, then no further file starts.
    void AskToStop();
    // Asks about the run with the run held between files meanwhile; true
    // for Yes.
    bool AskPaused(const MessageRequest& question);
    // Closing or updating: no further file starts, nothing is asked.
    void Stop();

    RunController& Controller() { return *run_; }

signals:
    void statusChanged(const QString& text);

private:
    std::optional<engine::BatchPlan> Plan(engine::ShiftSettings settings);
    void OnFileStarted(const QString& source);
    void OnFinished(const engine::BatchSummary& summary);
    void ShowReport(const engine::BatchSummary& summary);

    Form1View& view_;
    Dialogs& dialogs_;
    QWidget* owner_;
    Hooks hooks_;
    RunController* run_;
    bool busy_ = false;
    bool stopRequested_ = false;
    QString retiming_;  // the current run's map, for its report
    int first_ = 0;     // the entries of List1 the current run covers
    int last_ = -1;
};

}  // namespace orvane::ui
