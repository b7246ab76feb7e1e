// SPDX-License-Identifier: GPL-3.0-or-later
// The window's plain rules: the shift amount, the file types of the list and
// the output and working folders (Windows rules included, checked here on
// any system).
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "ui/file_types.h"
#include "ui/folders.h"
#include "ui/shift_amount.h"
#include "ui/status_text.h"
#include "ui/translations.h"

using namespace orvane::ui;

class RulesTest : public QObject {
    Q_OBJECT
private slots:
    void qtSpeaksChinese();
    void progressText_data();
    void progressText();
    void leadingNumber_data();
    void leadingNumber();
    void validatedShiftText_data();
    void validatedShiftText();
    void formatSeconds_data();
    void formatSeconds();
    void filePatterns_data();
    void filePatterns();
    void workDirWindows_data();
    void workDirWindows();
    void workDirElsewhere_data();
    void workDirElsewhere();
    void readOnlyWindows_data();
    void readOnlyWindows();
    void readOnlyElsewhere_data();
    void readOnlyElsewhere();
    void readOnlyThroughLink();
    void trailingSeparator_data();
    void trailingSeparator();
};

void RulesTest::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("second point ends it") << "1.2.3" << true << 1.2;
    QTest::newRow("unit after number") << "12秒" << true << 12.0;
    QTest::newRow("leading blanks") << "  7" << true << 7.0;
    QTest::newRow("point first") << ".5" << true << 0.5;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("letter first") << "abc" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("exponent") << "1e2" << true << 100.0;
    QTest::newRow("exponent without digits") << "1e" << true << 1.0;
    QTest::newRow("negative") << "-3" << true << -3.0;
    QTest::newRow("trailing zeros") << "12.000" << true << 12.0;
}

void RulesTest::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const std::optional<double> read = LeadingNumber(text);
    QCOMPARE(read.has_value(), isNumber);
    if (isNumber) {
        QCOMPARE(*read, value);
    }
}

void RulesTest::validatedShiftText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("below the least") << "0.1"
                                     << "12";
    QTest::newRow("greatest stays") << "120"
                                    << "120";
    QTest::newRow("above the greatest") << "120.5"
                                        << "12";
    QTest::newRow("least stays") << "0.2"
                                 << "0.2";
    QTest::newRow("empty") << ""
                           << "12";
    QTest::newRow("trailing zeros go") << "12.000"
                                       << "12";
    QTest::newRow("two points") << "1.2.3"
                                << "12";
    QTest::newRow("comma") << "1,5"
                           << "12";
    QTest::newRow("half") << "0.50"
                          << "0.5";
    QTest::newRow("letter first") << "abc"
                                  << "12";
    QTest::newRow("huge exponent") << "1e999"
                                   << "12";
    QTest::newRow("negative") << "-5"
                              << "12";
    QTest::newRow("milliseconds kept") << "1.234"
                                       << "1.234";
}

void RulesTest::validatedShiftText() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ValidatedShiftText(text), expected);
}

void RulesTest::formatSeconds_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 12.0 << "12";
    QTest::newRow("milliseconds") << 12.345 << "12.345";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("binary noise rounded") << 0.1 + 0.2 << "0.3";
}

void RulesTest::formatSeconds() {
    QFETCH(double, seconds);
    QFETCH(QString, expected);
    QCOMPARE(FormatSeconds(seconds), expected);
}

void RulesTest::filePatterns_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("patterns");
    QTest::addColumn<bool>("matches");
    QTest::newRow("srt upper case") << "a.SRT"
                                    << "*.srt" << true;
    QTest::newRow("ass against srt") << "b.ass"
                                     << "*.srt" << false;
    QTest::newRow("ssa in pair") << "x.ssa"
                                 << "*.ass;*.ssa" << true;
    QTest::newRow("ASS in pair") << "y.ASS"
                                 << "*.ass;*.ssa" << true;
    QTest::newRow("no dot") << "noext"
                            << "*.srt" << false;
    QTest::newRow("short extension is no match") << "a.s"
                                                 << "*.srt" << false;
    QTest::newRow("fragment of the pair") << "a.ss"
                                          << "*.ass;*.ssa" << false;
    QTest::newRow("last dot counts") << "show.srt.bak"
                                     << "*.srt" << false;
    QTest::newRow("dot only") << "a."
                              << "*.srt" << false;
}

void RulesTest::filePatterns() {
    QFETCH(QString, fileName);
    QFETCH(QString, patterns);
    QFETCH(bool, matches);
    QCOMPARE(MatchesFilePatterns(fileName, patterns), matches);
}

void RulesTest::workDirWindows_data() {
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("programData");
    QTest::addColumn<QString>("programFiles");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("create");
    const QString sub = QStringLiteral("C:\\Program Files (x86)\\Sub");
    QTest::newRow("under Program Files") << sub << "C:\\ProgramData"
                                         << "C:\\Program Files"
                                         << "C:\\Temp" << true;
    QTest::newRow("no ProgramData") << sub << ""
                                    << "C:\\Program Files" << sub << false;
    QTest::newRow("elsewhere") << "D:\\Tools\\Sub"
                               << "C:\\ProgramData"
                               << "C:\\Program Files"
                               << "D:\\Tools\\Sub" << false;
    QTest::newRow("empty programfiles matches nothing") << "D:\\Tools\\Sub"
                                                        << "C:\\ProgramData"
                                                        << ""
                                                        << "D:\\Tools\\Sub" << false;
}

void RulesTest::workDirWindows() {
    QFETCH(QString, programDir);
    QFETCH(QString, programData);
    QFETCH(QString, programFiles);
    QFETCH(QString, expected);
    QFETCH(bool, create);
    const WorkDirChoice choice = ChooseWorkDirWindows(
        programDir, {QStringLiteral("C:\\Windows"), programFiles, programData});
    QCOMPARE(choice.dir, expected);
    QCOMPARE(choice.create, create);
}

void RulesTest::workDirElsewhere_data() {
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("cacheDir");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("create");
    QTest::newRow("writable program folder") << true << "/home/u/.cache/orvane"
                                             << "/opt/orvane" << false;
    QTest::newRow("read-only program folder") << false << "/home/u/.cache/orvane"
                                              << "/home/u/.cache/orvane" << true;
    QTest::newRow("no cache folder known") << false << ""
                                           << "/opt/orvane" << false;
}

void RulesTest::workDirElsewhere() {
    QFETCH(bool, writable);
    QFETCH(QString, cacheDir);
    QFETCH(QString, expected);
    QFETCH(bool, create);
    const WorkDirChoice choice =
        ChooseWorkDirElsewhere(QStringLiteral("/opt/orvane"), writable, cacheDir);
    QCOMPARE(choice.dir, expected);
    QCOMPARE(choice.create, create);
}

void RulesTest::readOnlyWindows_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("programData");
    QTest::addColumn<QString>("programFiles");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("below Windows") << "C:\\Windows\\Temp\\"
                                   << "C:\\ProgramData"
                                   << "C:\\Program Files" << true;
    QTest::newRow("below Program Files") << "C:\\Program Files\\Sub\\"
                                         << "C:\\ProgramData"
                                         << "C:\\Program Files" << true;
    QTest::newRow("x86 Program Files contains the name") << "C:\\Program Files (x86)\\Sub\\"
                                                         << "C:\\ProgramData"
                                                         << "C:\\Program Files" << true;
    QTest::newRow("ordinary folder") << "D:\\Out\\"
                                     << "C:\\ProgramData"
                                     << "C:\\Program Files" << false;
    QTest::newRow("old Windows without ProgramData") << "C:\\Windows\\Temp\\"
                                                     << ""
                                                     << "C:\\Program Files" << false;
    QTest::newRow("empty programfiles refuses nothing") << "D:\\Out\\"
                                                        << "C:\\ProgramData"
                                                        << "" << false;
}

void RulesTest::readOnlyWindows() {
    QFETCH(QString, path);
    QFETCH(QString, programData);
    QFETCH(QString, programFiles);
    QFETCH(bool, readOnly);
    QCOMPARE(IsReadOnlySystemFolderWindows(
                 path, {QStringLiteral("C:\\Windows"), programFiles, programData}),
             readOnly);
}

void RulesTest::readOnlyElsewhere_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("root") << "/" << true;
    QTest::newRow("system folder") << "/usr" << true;
    QTest::newRow("below a system folder") << "/usr/share/doc/" << true;
    QTest::newRow("programs") << "/opt/tool" << true;
    QTest::newRow("settings") << "/etc/" << true;
    QTest::newRow("name that only begins alike") << "/usrdata/out" << false;
    QTest::newRow("home") << "/home/u/Temp/" << false;
    QTest::newRow("usr deeper in a home") << "/home/u/usr/" << false;
    QTest::newRow("empty") << "" << false;
}

void RulesTest::readOnlyElsewhere() {
    QFETCH(QString, path);
    QFETCH(bool, readOnly);
    QCOMPARE(IsReadOnlySystemFolderElsewhere(path, SystemFoldersElsewhere()), readOnly);
}

void RulesTest::readOnlyThroughLink() {
#ifdef Q_OS_WIN
    QSKIP("links into the system folders are a matter of other systems");
#endif
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString link = home.filePath(QStringLiteral("system"));
    QVERIFY(QFile::link(QStringLiteral("/usr"), link));
    QCOMPARE(IsReadOnlySystemFolderElsewhere(link, SystemFoldersElsewhere()), true);
}

void RulesTest::trailingSeparator_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder") << "D:\\Out"
                            << "\\"
                            << "D:\\Out\\";
    QTest::newRow("drive root") << "D:\\"
                                << "\\"
                                << "D:\\";
    QTest::newRow("network share") << "\\\\server\\share\\subs"
                                   << "\\"
                                   << "\\\\server\\share\\subs\\";
    QTest::newRow("doubled inside") << "D:\\\\Out"
                                    << "\\"
                                    << "D:\\Out\\";
    QTest::newRow("cancelled") << ""
                               << "\\"
                               << "";
    QTest::newRow("unix folder") << "/home/u/Out"
                                 << "/"
                                 << "/home/u/Out/";
    QTest::newRow("unix root") << "/"
                               << "/"
                               << "/";
}

void RulesTest::trailingSeparator() {
    QFETCH(QString, path);
    QFETCH(QString, separator);
    QFETCH(QString, expected);
    QCOMPARE(WithOneTrailingSeparator(path, separator.front()), expected);
}

void RulesTest::progressText_data() {
    using orvane::textio::Progress;
    using orvane::textio::ProgressStage;
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("forShifter");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("text");
    QTest::newRow("shifter read") << int(ProgressStage::Reading) << 57 << 1203 << true << ""
                                  << "字幕记录读取中...57/1203";
    QTest::newRow("shifter read with suffix")
        << int(ProgressStage::Reading) << 0 << 9 << true << "第2个文件"
        << "字幕记录读取中...0/9；第2个文件";
    QTest::newRow("beyond 16 bits")
        << int(ProgressStage::Reading) << 70000 << 4000000 << false << ""
        << "字幕记录读取中...70000/4000000";
    QTest::newRow("shifting") << int(ProgressStage::Shifting) << 3 << 10 << false << ""
                              << "字幕记录时间轴平移处理中...3/10";
}

void RulesTest::progressText() {
    QFETCH(int, stage);
    QFETCH(int, current);
    QFETCH(int, last);
    QFETCH(bool, forShifter);
    QFETCH(QString, suffix);
    QFETCH(QString, text);
    const std::string suffixUtf8 = suffix.toStdString();
    const orvane::textio::Progress progress{orvane::textio::ProgressStage(stage),
                                            std::size_t(current), std::size_t(last), forShifter,
                                            suffixUtf8};
    QCOMPARE(ProgressText(progress), text);
}

// Message boxes and dialogs show Qt's own buttons in Chinese.
void RulesTest::qtSpeaksChinese() {
    QVERIFY(InstallQtChineseTranslations());
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
}

QTEST_GUILESS_MAIN(RulesTest)
#include "rules_test.moc"
