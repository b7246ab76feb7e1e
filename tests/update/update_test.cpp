// SPDX-License-Identifier: GPL-3.0-or-later
// The update check at start and MenuUpdate, against a real HTTP server on
// 127.0.0.1; the archive tool and the restart helper are stand-ins.
#include <QAction>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "../ui/harness.h"
#include "http_server.h"
#include "ui/update_command.h"
#include "update/downloader.h"

using namespace orvane::ui;
using orvane::update::TestHttpServer;

namespace {

const QString kTitle = QStringLiteral("Orvane字幕时间轴专用平移编辑助手");
const QString kNotice = QStringLiteral("【发现有更新版本，建议及时更新】");

class FakeTool final : public ArchiveTool {
public:
    bool installed = true;
    bool canInstall = false;
    mutable int installersStarted = 0;
    bool installAfterStart = false;
    bool Installed() const override { return installed; }
    bool CanInstall() const override { return canInstall; }
    void StartInstaller() const override {
        ++installersStarted;
        if (installAfterStart) {
            const_cast<FakeTool*>(this)->installed = true;
        }
    }
};

class FakeLauncher final : public RestartLauncher {
public:
    bool starts = true;
    QString program;
    QStringList arguments;
    bool Start(const QString& p, const QStringList& a) override {
        program = p;
        arguments = a;
        return starts;
    }
};

// A window whose start-up check goes to the server, with stand-ins for the
// archive tool and the restart helper.
struct UpdateWindow {
    Harness* h = nullptr;
    std::unique_ptr<orvane::update::UpdateChecker> checker;
    std::unique_ptr<Form1> window;
    FakeTool* tool = nullptr;
    FakeLauncher* launcher = nullptr;
    Form1View ui;  // the window's widgets, found by name

    UpdateWindow(Harness& harness, const QByteArray& base) : h(&harness) {
        qputenv("ORVANE_UPDATE_URL", base);
        checker = orvane::update::MakeDefaultUpdateChecker();
        window = std::make_unique<Form1>(h->dialogs, h->system, *checker);
        auto fakeTool = std::make_unique<FakeTool>();
        auto fakeLauncher = std::make_unique<FakeLauncher>();
        tool = fakeTool.get();
        launcher = fakeLauncher.get();
        window->SetUpdateServices(std::move(fakeTool), std::move(fakeLauncher));
        window->SetInstallWait(200);
        ui = FindView(*window);
    }
    ~UpdateWindow() { qunsetenv("ORVANE_UPDATE_URL"); }
};

QByteArray Digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

}  // namespace

class UpdateTest : public QObject {
    Q_OBJECT
private slots:
    void startUpCheck_data();
    void startUpCheck();
    void silentServerDoesNotHoldTheWindow();
    void menuUpdate_data();
    void menuUpdate();
    void archiveToolInstalledDuringTheWait();
    void aboutAndHomePage();
};

void UpdateTest::startUpCheck_data() {
    QTest::addColumn<QByteArray>("versionFile");
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<bool>("announced");
    QTest::newRow("same version") << QByteArray("001\r\n") << true << false;
    QTest::newRow("same version in spaces") << QByteArray(" 001 \r\nabc") << true << false;
    QTest::newRow("empty version file") << QByteArray("\r\n") << true << false;
    QTest::newRow("newer version") << QByteArray("002\r\n") << true << true;
    // Any other version is announced, an older one too: the server decides.
    QTest::newRow("older version") << QByteArray("000\r\n") << true << true;
    QTest::newRow("server down") << QByteArray("002\r\n") << false << false;
}

void UpdateTest::startUpCheck() {
    QFETCH(QByteArray, versionFile);
    QFETCH(bool, serverUp);
    QFETCH(bool, announced);
    TestHttpServer server;
    server.answers["/downs/Velmora.txt"] = {200, versionFile, false, false};
    const QByteArray base = server.Base();
    if (!serverUp) {
        server.close();
    }
    Harness h;
    UpdateWindow u(h, base);
    if (announced) {
        QTRY_COMPARE(u.window->windowTitle(), kTitle + kNotice);
    } else {
        QTRY_VERIFY(!serverUp || server.requests > 0);
        QTest::qWait(300);  // time for an answer that must change nothing
        QCOMPARE(u.window->windowTitle(), kTitle);
    }
    QCOMPARE(u.ui.MenuUpdate->isEnabled(), announced);
}

// A server that takes the request and never answers: the window is there at
// once and nothing is announced; the check gives up on its own.
void UpdateTest::silentServerDoesNotHoldTheWindow() {
    TestHttpServer server;
    server.answers["/downs/Velmora.txt"] = {200, "002", true, false};
    Harness h;
    QElapsedTimer made;
    made.start();
    UpdateWindow u(h, server.Base());
    QVERIFY(made.elapsed() < 2000);
    QTRY_COMPARE(server.requests, 1);
    orvane::update::Downloader downloader;
    QElapsedTimer waited;
    waited.start();
    const orvane::update::DownloadResult result = downloader.FetchAndWait(
        QUrl(QString::fromLatin1(server.Base() + "Velmora.txt")),
        std::filesystem::path(h.root.filePath(QStringLiteral("info.txt")).toStdString()),
        orvane::update::kVersionFileLimits);
    QVERIFY(!result.ok);
    QVERIFY2(waited.elapsed() < 8000, "the check must give up after about 5 seconds");
    QCOMPARE(u.window->windowTitle(), kTitle);
}

void UpdateTest::menuUpdate_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("truncated");
    QTest::addColumn<QString>("digest");  // "good", "upper", "wrong" or "none"
    QTest::addColumn<bool>("handedOn");
    QTest::newRow("archive and digest match") << 200 << false << "good" << true;
    QTest::newRow("digest in upper case") << 200 << false << "upper" << true;
    QTest::newRow("archive missing") << 404 << false << "good" << false;
    QTest::newRow("archive cut short") << 200 << true << "good" << false;
    QTest::newRow("no digest") << 200 << false << "none" << false;
    QTest::newRow("wrong digest") << 200 << false << "wrong" << false;
}

void UpdateTest::menuUpdate() {
    QFETCH(int, status);
    QFETCH(bool, truncated);
    QFETCH(QString, digest);
    QFETCH(bool, handedOn);
    const QByteArray archive(4096, 'z');
    TestHttpServer server;
    QByteArray versionFile = "002\r\n";
    if (digest == QStringLiteral("good")) {
        versionFile += Digest(archive);
    } else if (digest == QStringLiteral("upper")) {
        versionFile += Digest(archive).toUpper();
    } else if (digest == QStringLiteral("wrong")) {
        versionFile += Digest("something else");
    }
    server.answers["/downs/Velmora.txt"] = {200, versionFile, false, false};
    server.answers["/downs/Velmora.rar"] = {status, archive, false, truncated};
    Harness h;
    UpdateWindow u(h, server.Base());
    QTRY_VERIFY(u.ui.MenuUpdate->isEnabled());
    u.window->show();
    u.ui.MenuUpdate->trigger();
    // The download runs in the background.
    if (handedOn) {
        QTRY_VERIFY(!u.launcher->program.isEmpty());
    } else {
        QTRY_COMPARE(h.dialogs.asked.size(), 2);
    }

    QCOMPARE(!u.launcher->program.isEmpty(), handedOn);
    QCOMPARE(u.window->isVisible(), !handedOn);
    if (handedOn) {
        QCOMPARE(u.launcher->arguments.size(), 4);
        QCOMPARE(u.launcher->arguments[0].split(QLatin1Char('\t')).size(), 4);
        QVERIFY(u.launcher->program.endsWith(QStringLiteral("tarrow")));
    } else {
        QCOMPARE(h.dialogs.asked.back().icon, MessageIcon::Error);
        QVERIFY(h.dialogs.asked.back().text.contains(QStringLiteral("未安装")));
    }
}

void UpdateTest::archiveToolInstalledDuringTheWait() {
    TestHttpServer server;
    const QByteArray archive = "archive bytes";
    server.answers["/downs/Velmora.txt"] = {200, "002\r\n" + Digest(archive), false, false};
    server.answers["/downs/Velmora.rar"] = {200, archive, false, false};
    Harness h;
    UpdateWindow u(h, server.Base());
    QTRY_VERIFY(u.ui.MenuUpdate->isEnabled());
    // Installed while the user is asked: no Retry/Cancel question.
    u.tool->installed = false;
    u.tool->canInstall = true;
    u.tool->installAfterStart = true;
    u.ui.MenuUpdate->trigger();
    QCOMPARE(u.tool->installersStarted, 1);
    QTRY_VERIFY(!u.launcher->program.isEmpty());
    for (const MessageRequest& box : h.dialogs.asked) {
        QVERIFY(box.buttons != MessageButtons::RetryCancel);
    }
    // Never installed, and the user gives up: the window is back, nothing fetched.
    Harness h2;
    UpdateWindow u2(h2, server.Base());
    QTRY_VERIFY(u2.ui.MenuUpdate->isEnabled());
    u2.window->show();
    u2.tool->installed = false;
    u2.tool->canInstall = true;
    const int before = server.requests;
    // Install the version offered; then the tool's notice; then give up.
    h2.dialogs.answers = {MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Cancel};
    u2.ui.MenuUpdate->trigger();
    QVERIFY(u2.window->isVisible());
    QCOMPARE(server.requests, before);
    QCOMPARE(h2.dialogs.asked.back().buttons, MessageButtons::RetryCancel);
}

void UpdateTest::aboutAndHomePage() {
    TestHttpServer server;
    Harness h;
    UpdateWindow u(h, server.Base());
    u.ui.MenuHelpSub->trigger();
    const QString about = h.dialogs.asked.back().text;
    const QStringList lines = about.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].count(QStringLiteral("【")), 2);
    QVERIFY(lines[1].endsWith(QStringLiteral("！")));
    QCOMPARE(lines[1].count(QLatin1Char('/')), 2);
    u.ui.MenuHome->trigger();
    QCOMPARE(h.dialogs.openedUrls, QStringList{QString::fromLatin1(server.Base() + "Index.html")});
}

QTEST_MAIN(UpdateTest)
#include "update_test.moc"
