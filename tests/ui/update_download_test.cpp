// SPDX-License-Identifier: GPL-3.0-or-later
// The update's download in the background, against an HTTP server on
// 127.0.0.1: progress in the status bar, a window in use meanwhile, a
// cancel that says so, and failures that name their cause.
#include <QAction>
#include <QCryptographicHash>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "../update/http_server.h"
#include "harness.h"
#include "ui/update_command.h"
#include "ui/update_download.h"

using namespace orvane::ui;
using orvane::update::TestHttpServer;

namespace {

class ReadyTool final : public ArchiveTool {
public:
    bool Installed() const override { return true; }
    bool CanInstall() const override { return false; }
    void StartInstaller() const override {}
};

class NoteLauncher final : public RestartLauncher {
public:
    QString program;
    bool Start(const QString& p, const QStringList&) override {
        program = p;
        return true;
    }
};

// A window whose start-up check found version 002 on `server`, with the
// archive's answer as given and short limits.
struct DownloadWindow {
    Harness h;
    std::unique_ptr<orvane::update::UpdateChecker> checker;
    std::unique_ptr<Form1> window;
    NoteLauncher* launcher = nullptr;
    Form1View ui;

    explicit DownloadWindow(const QByteArray& base) {
        qputenv("ORVANE_UPDATE_URL", base);
        checker = orvane::update::MakeDefaultUpdateChecker();
        window = std::make_unique<Form1>(h.dialogs, h.system, *checker);
        auto fakeLauncher = std::make_unique<NoteLauncher>();
        launcher = fakeLauncher.get();
        window->SetUpdateServices(std::make_unique<ReadyTool>(), std::move(fakeLauncher));
        window->SetDownloadLimits({qint64{1} << 20, std::chrono::milliseconds(400),
                                   std::chrono::seconds(20), 0, std::chrono::seconds(30)});
        ui = FindView(*window);
        window->show();
    }
    ~DownloadWindow() { qunsetenv("ORVANE_UPDATE_URL"); }

    QString Status() const { return ui.LSt->text(); }
    QProgressBar* Bar() const { return window->findChild<QProgressBar*>("UpdateProgress"); }
    QPushButton* Cancel() const { return window->findChild<QPushButton*>("CmdCancelUpdate"); }
};

}  // namespace

class UpdateDownloadTest : public QObject {
    Q_OBJECT
private slots:
    void progressAndCancel();
    void failuresNameTheirCause_data();
    void failuresNameTheirCause();
    void progressText();
};

void UpdateDownloadTest::progressAndCancel() {
    const QByteArray archive(4000, 'z');
    TestHttpServer server;
    server.answers["/downs/Velmora.txt"] = {
        200, "002\r\n" + QCryptographicHash::hash(archive, QCryptographicHash::Sha256).toHex()};
    TestHttpServer::Answer slow{200, archive};
    slow.trickleMs = 20;  // 80 s for the whole
    server.answers["/downs/Velmora.rar"] = slow;
    DownloadWindow d(server.Base());
    QTRY_VERIFY(d.ui.MenuUpdate->isEnabled());
    d.h.dialogs.answers << MessageAnswer::Yes;
    d.ui.MenuUpdate->trigger();

    // Under way: the bar and the bytes, and the window still in use.
    QTRY_VERIFY2(d.Status().contains(QStringLiteral("%）")), qPrintable(d.Status()));
    QVERIFY(d.Status().startsWith(QStringLiteral("状态：正在下载更新：")));
    QVERIFY(d.Bar() && d.Bar()->isVisible());
    QVERIFY(d.window->isVisible());
    QVERIFY(d.ui.Frame1->isEnabled());
    QVERIFY(d.ui.MenuFiles->isEnabled());
    QVERIFY(!d.ui.MenuUpdate->isEnabled());  // one download at a time
    QCOMPARE(d.h.dialogs.asked.size(), 1);

    d.Cancel()->click();
    QTRY_COMPARE(d.Status(),
                 QStringLiteral("状态：下载更新文件失败（操作被取消），未安装任何内容。"));
    QVERIFY(!d.Bar()->isVisible());
    QVERIFY(d.launcher->program.isEmpty());
    QCOMPARE(d.h.dialogs.asked.size(), 1);  // nothing more to answer
    QVERIFY(d.ui.MenuUpdate->isEnabled());
}

void UpdateDownloadTest::failuresNameTheirCause_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("cause");
    QTest::newRow("no such file") << 404 << false << QStringLiteral("服务器上没有这个文件（404）");
    QTest::newRow("server error") << 500 << false << QStringLiteral("服务器回答500");
    QTest::newRow("no answer") << 200 << true << QStringLiteral("0.4秒内没有收到任何数据");
}

void UpdateDownloadTest::failuresNameTheirCause() {
    QFETCH(int, status);
    QFETCH(bool, silent);
    QFETCH(QString, cause);
    TestHttpServer server;
    server.answers["/downs/Velmora.txt"] = {200, "002\r\n"};
    server.answers["/downs/Velmora.rar"] = {status, "archive", silent};
    DownloadWindow d(server.Base());
    QTRY_VERIFY(d.ui.MenuUpdate->isEnabled());
    d.h.dialogs.answers << MessageAnswer::Yes;
    d.ui.MenuUpdate->trigger();
    QTRY_COMPARE(d.h.dialogs.asked.size(), 2);
    const MessageRequest& box = d.h.dialogs.asked.back();
    QCOMPARE(box.icon, MessageIcon::Error);
    QCOMPARE(box.text, QStringLiteral("下载更新文件失败（%1），未安装任何内容。").arg(cause));
    QVERIFY(!box.text.contains(QStringLiteral("操作被取消")));
    QVERIFY(d.window->isVisible());
}

void UpdateDownloadTest::progressText() {
    QCOMPARE(DownloadProgressText(1500000, 3000000), QStringLiteral("1.5 MB / 3.0 MB（50%）"));
    QCOMPARE(DownloadProgressText(999, -1), QStringLiteral("999 bytes"));
}

QTEST_MAIN(UpdateDownloadTest)
#include "update_download_test.moc"
