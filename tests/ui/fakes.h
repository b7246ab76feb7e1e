// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-ins for the desktop: dialogs answered from a script, a system with
// chosen folders and variables, an update check with a chosen outcome.
#pragma once

#include <QDir>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTest>
#include <functional>

#include "ui/dialogs.h"
#include "ui/system_services.h"
#include "update/update_checker.h"

namespace orvane::ui {

// Readable names in QCOMPARE failures.
inline char* toString(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return qstrdup("Information");
        case MessageIcon::Warning:
            return qstrdup("Warning");
        case MessageIcon::Error:
            return qstrdup("Error");
    }
    return qstrdup("?");
}

inline char* toString(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Ok:
            return qstrdup("Ok");
        case MessageAnswer::Cancel:
            return qstrdup("Cancel");
        case MessageAnswer::Yes:
            return qstrdup("Yes");
        case MessageAnswer::No:
            return qstrdup("No");
        case MessageAnswer::Save:
            return qstrdup("Save");
        case MessageAnswer::Discard:
            return qstrdup("Discard");
        case MessageAnswer::Retry:
            return qstrdup("Retry");
    }
    return qstrdup("?");
}

inline char* toString(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return qstrdup("Ok");
        case MessageButtons::OkCancel:
            return qstrdup("OkCancel");
        case MessageButtons::YesNo:
            return qstrdup("YesNo");
        case MessageButtons::SaveDiscardCancel:
            return qstrdup("SaveDiscardCancel");
        case MessageButtons::RetryCancel:
            return qstrdup("RetryCancel");
    }
    return qstrdup("?");
}

class ScriptedDialogs final : public Dialogs {
public:
    // Answers for the next boxes, in order; with none left a box answers
    // with its default button, as Enter would.
    QList<MessageAnswer> answers;
    QList<MessageRequest> asked;
    std::function<void(const MessageRequest&)> onAsk;  // runs while a box is "open"
    int beeps = 0;

    QList<QStringList> fileAnswers;
    QList<OpenFileRequest> fileRequests;
    QStringList folderAnswers;
    QStringList folderTitles;
    QStringList openedFolders;
    QStringList openedUrls;

    MessageAnswer Ask(QWidget*, const MessageRequest& box) override {
        asked << box;
        if (onAsk) {
            onAsk(box);
        }
        return answers.isEmpty() ? box.defaultButton : answers.takeFirst();
    }
    void Beep() override { ++beeps; }
    QStringList GetOpenFileNames(QWidget*, const OpenFileRequest& request) override {
        fileRequests << request;
        return fileAnswers.isEmpty() ? QStringList() : fileAnswers.takeFirst();
    }
    QString BrowseForFolder(QWidget*, const QString& title, const QString&, bool) override {
        folderTitles << title;
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }
    bool openFolderWorks = true;
    bool OpenFolder(const QString& path) override {
        openedFolders << path;
        return openFolderWorks;
    }
    void OpenUrl(const QString& url) override { openedUrls << url; }

    QStringList AskedTexts() const {
        QStringList texts;
        for (const MessageRequest& box : asked) {
            texts << box.text;
        }
        return texts;
    }
};

class FakeSystem final : public SystemServices {
public:
    QMap<QString, QString> environment;
    QString programDir;
    QString homeDir;
    QString cacheDir;
    bool programDirWritable = true;
    QString settingsFile;      // empty: the window's choices are not kept
    QStringList readOnlyDirs;  // folders that cannot be written

    QString EnvironmentVariable(const QString& name) const override {
        return environment.value(name);
    }
    QString ProgramDir() const override { return programDir; }
    QString HomeDir() const override { return homeDir; }
    QString UserCacheDir() const override { return cacheDir; }
    bool IsWritableDir(const QString& dir) const override {
        if (readOnlyDirs.contains(QDir::cleanPath(dir))) {
            return false;
        }
        return dir == programDir ? programDirWritable : true;
    }
    bool MakePath(const QString& dir) const override { return QDir().mkpath(dir); }
    std::unique_ptr<QSettings> OpenSettings() const override {
        if (settingsFile.isEmpty()) {
            return nullptr;
        }
        return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    }
};

// Answers at once, as a server on the same machine would.
class FakeUpdates final : public update::UpdateChecker {
public:
    bool newer = false;
    std::string version;  // what the server names
    int checks = 0;
    void Check(std::string, std::filesystem::path,
               std::function<void(const update::UpdateCheckResult&)> done) override {
        ++checks;
        update::UpdateCheckResult result;
        result.newerVersionFound = newer;
        result.announcedVersion = version;
        done(result);
    }
};

}  // namespace orvane::ui
