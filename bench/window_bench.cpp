// SPDX-License-Identifier: GPL-3.0-or-later
// The window's run against orvane-shift over the same 300-file folder, in the
// same process run: the window (offscreen, dialogs answered by a script)
// goes through its run controller on a worker thread and should cost at most
// 1.3 times the command-line tool. Also measures how long a Stop takes to end
// the run once the file under way is finished (goal: 0.2 s), and row editing
// on a 50,000-cue file in a shown window (run it under xvfb-run for a real
// one): loading and select-all + shift until the rows are painted (goal:
// 0.3 s each).
//   orvane-window-bench ORVANE_SHIFT [RUNS]
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "fakes.h"
#include "ui/elided_label.h"
#include "ui/form1.h"
#include "ui/row_edit_panel.h"
#include "ui/run_controller.h"
#include "ui/run_presenter.h"
#include "view_lookup.h"
#include "workload.h"

using namespace orvane;
using Clock = std::chrono::steady_clock;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Window {
    ui::ScriptedDialogs dialogs;
    ui::FakeSystem system;
    ui::FakeUpdates updates;
    ui::Form1 form{dialogs, system, updates};
    ui::Form1View view = ui::FindView(form);
    ui::RunPresenter& run = *ui::FindNamed<ui::RunPresenter>(form, "RunPresenter");

    Window(const QString& folder, const QString& out) {
        view.OptMove->click();
        view.ChDirection->click();
        view.ChBat->setChecked(true);
        view.LDir->setText(out);
        const QStringList names =
            QDir(folder).entryList({QStringLiteral("*.srt")}, QDir::Files, QDir::Name);
        for (const QString& name : names) {
            view.List1->addItem(QDir(folder).filePath(name));
        }
    }

    // Seconds from the command to the end of the run (the report answered No).
    double Run() {
        dialogs.answers = {ui::MessageAnswer::No};
        QElapsedTimer timer;
        timer.start();
        view.MenuMove->trigger();
        while (run.IsBusy()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        return double(timer.nsecsElapsed()) / 1e9;
    }
};

double RunCli(const QString& tool, const QString& folder, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    const int status = QProcess::execute(
        tool, {QStringLiteral("--direct"), QStringLiteral("1"), QStringLiteral("--later"),
               QStringLiteral("-q"), QStringLiteral("-o"), out, folder});
    if (status != 0) {
        std::fprintf(stderr, "orvane-shift failed (%d)\n", status);
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

// From the end of the file that was under way when Stop came to the end of
// the run, in seconds.
double StopLatency(const QString& folder, const QString& out) {
    Window window(folder, out);
    Clock::time_point lastFileDone;
    int done = 0;
    window.run.Controller().SetFileDoneHook([&](const engine::FileOutcome&) {
        lastFileDone = Clock::now();
        if (++done == 10) {
            QMetaObject::invokeMethod(
                &window.form, [&] { window.view.CmdStop->click(); }, Qt::BlockingQueuedConnection);
        }
    });
    window.dialogs.answers = {ui::MessageAnswer::Yes, ui::MessageAnswer::No};
    Clock::time_point finished;
    QObject::connect(&window.run.Controller(), &ui::RunController::finished,
                     [&] { finished = Clock::now(); });
    window.view.MenuMove->trigger();
    while (window.run.IsBusy()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return std::chrono::duration<double>(finished - lastFileDone).count();
}

// Whether a list has been painted with rows in it since it was last asked.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QListView* list) : list_(list) {
        list->viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint && list_->model()->rowCount() > 0) {
            painted = true;
        }
        return false;
    }
    // Events go on until the rows are painted; the paint has ended when
    // the event loop comes back.
    void Wait() {
        while (!painted) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QCoreApplication::processEvents();
    }
    bool painted = false;

private:
    QListView* list_;
};

// Row editing on a 50,000-cue file in a shown window: loading it into List2
// (Enter on List1) until the rows are painted, then selecting every row and
// shifting them until they are painted again; seconds for each.
std::pair<double, double> RowEditing(const QString& file) {
    ui::ScriptedDialogs dialogs;
    ui::FakeSystem system;
    ui::FakeUpdates updates;
    ui::Form1 form(dialogs, system, updates);
    const ui::Form1View view = ui::FindView(form);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "the window was never shown\n");
    }
    view.OptMove->click();
    view.ChSelect->click();
    view.List1->addItem(file);
    view.List1->setCurrentRow(0);
    view.List1->setFocus();
    QCoreApplication::processEvents();
    dialogs.answers = {ui::MessageAnswer::Ok, ui::MessageAnswer::Ok};
    PaintWatch watch(view.List2);
    QElapsedTimer timer;
    timer.start();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(view.List1, &enter);
    watch.Wait();
    const double load = double(timer.nsecsElapsed()) / 1e9;

    QTest::qWait(200);  // the window settles
    watch.painted = false;
    timer.restart();
    view.List2->selectAll();
    view.MenuMove->trigger();
    watch.Wait();
    const double shift = double(timer.nsecsElapsed()) / 1e9;
    return {load, shift};
}

}  // namespace

int main(int argc, char** argv) {
    // Offscreen unless a display is there (xvfb-run): the row-editing
    // figures mean most in a real window.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: orvane-window-bench ORVANE_SHIFT [RUNS]\n");
        return 2;
    }
    const QString tool = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("folder"));
    QDir().mkpath(folder);
    for (std::size_t i = 1; i <= bench::kFolderFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "ep%03zu.srt", i);
        QFile file(QDir(folder).filePath(QString::fromLatin1(name)));
        file.open(QIODevice::WriteOnly);
        const std::string text = bench::MakeSrt(bench::kFolderCues, std::uint32_t(i));
        file.write(text.data(), qint64(text.size()));
    }

    // Alternate the two so that both meet the same state of the machine; each
    // writes new files into a fresh folder.
    std::vector<double> window;
    std::vector<double> cli;
    for (int run = 0; run <= runs; ++run) {
        const QString outWindow = work.filePath(QStringLiteral("w%1").arg(run));
        const QString outCli = work.filePath(QStringLiteral("c%1").arg(run));
        Window form(folder, outWindow);
        const double w = form.Run();
        const double c = RunCli(tool, folder, outCli);
        if (run > 0) {  // the first round warms the caches
            window.push_back(w);
            cli.push_back(c);
        }
        QDir(outWindow).removeRecursively();
        QDir(outCli).removeRecursively();
    }
    const double stop = StopLatency(folder, work.filePath(QStringLiteral("stop")));

    const QString big = work.filePath(QStringLiteral("big.srt"));
    {
        QFile file(big);
        file.open(QIODevice::WriteOnly);
        const std::string text = bench::MakeSrt(bench::kBigSrtCues, 7);
        file.write(text.data(), qint64(text.size()));
    }
    const auto [load, shift] = RowEditing(big);

    const double ratio = Median(window) / Median(cli);
    std::printf("| workload | program | wall (median of %d) |\n|---|---|---|\n", runs);
    std::printf("| 300 SRT files of 1,500 cues | `orvane-shift`, one call | %.1f ms |\n",
                Median(cli) * 1e3);
    std::printf("| | window (run controller) | %.1f ms |\n", Median(window) * 1e3);
    std::printf("\n- window / orvane-shift: %.2f× (goal at most 1.3×): %s\n", ratio,
                ratio <= 1.3 ? "met" : "missed");
    std::printf("- Stop answered %.1f ms after the file under way ended (goal 200 ms): %s\n",
                stop * 1e3, stop <= 0.2 ? "met" : "missed");
    std::printf(
        "- Row editing, 50,000-cue SRT on the %s platform, until the rows are painted: load "
        "into List2 %.0f ms, select all + shift %.0f ms (goal 300 ms each): %s\n",
        qPrintable(QGuiApplication::platformName()), load * 1e3, shift * 1e3,
        load <= 0.3 && shift <= 0.3 ? "met" : "missed");
    std::fflush(stdout);
    return 0;
}
