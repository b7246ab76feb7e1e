// SPDX-License-Identifier: GPL-3.0-or-later
// The real message boxes are wide enough for their titles: a box with a
// short text is not narrower than its title bar needs.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/dialogs.h"

using namespace orvane::ui;

class MessageTitleTest : public QObject {
    Q_OBJECT
private slots:
    void titleIsNeverCut_data();
    void titleIsNeverCut();
};

void MessageTitleTest::titleIsNeverCut_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("the usual title") << kMessageTitle << QStringLiteral("好");
    QTest::newRow("a long title") << QStringLiteral(
                                         "Orvane字幕时间轴专用平移编辑助手：下载更新文件失败的说明")
                                  << QStringLiteral("好");
    QTest::newRow("a long text") << kMessageTitle << QString(200, QChar(0x5B57));
}

void MessageTitleTest::titleIsNeverCut() {
    QFETCH(QString, title);
    QFETCH(QString, text);
    const std::unique_ptr<Dialogs> dialogs = MakeQtDialogs();
    int width = -1;
    int needed = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), title);
        width = box->width();
        needed = TitleFittingWidth(title, box->font());
        box->defaultButton()->click();
    });
    MessageRequest request{text};
    request.title = title;
    QCOMPARE(dialogs->Ask(nullptr, request), MessageAnswer::Ok);
    QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
}

QTEST_MAIN(MessageTitleTest)
#include "message_title_test.moc"
