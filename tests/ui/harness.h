// SPDX-License-Identifier: GPL-3.0-or-later
// A window under test with its stand-ins, in a temporary folder of its own.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "fakes.h"
#include "ui/file_list.h"
#include "ui/form1.h"
#include "ui/options_panel.h"
#include "ui/row_edit_panel.h"
#include "ui/run_presenter.h"
#include "view_lookup.h"

namespace orvane::ui {

// Writes `bytes` to `path` and returns the path.
inline QString WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One window with its stand-ins, in a folder of its own.
struct Harness {
    QTemporaryDir root;
    ScriptedDialogs dialogs;
    FakeSystem system;
    FakeUpdates updates;
    std::unique_ptr<Form1> window;
    Form1View ui;  // the window's widgets, found by name

    explicit Harness(const std::function<void(Harness&)>& prepare = {}) {
        system.programDir = root.filePath(QStringLiteral("program"));
        system.homeDir = root.filePath(QStringLiteral("home"));
        system.cacheDir = root.filePath(QStringLiteral("cache/orvane"));
        QDir().mkpath(system.programDir);
        QDir().mkpath(system.homeDir);
        if (prepare) {
            prepare(*this);
        }
        window = std::make_unique<Form1>(dialogs, system, updates);
        ui = FindView(*window);
    }

    Form1& w() { return *window; }
    // The window's rooms, through their own interfaces.
    RunPresenter& run() { return *find<RunPresenter>("RunPresenter"); }
    FileListController& files() { return *find<FileListController>("FileList"); }
    RowEditPanel& rows() { return *find<RowEditPanel>("RowEdit"); }
    OptionsPanel& options() { return *find<OptionsPanel>("Options"); }

    template <typename T>
    T* find(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    // An empty file of that name in the root folder.
    QString touch(const QString& name) {
        const QString path = root.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }
};

// Direct mode with row editing, the file's rows loaded by Enter on the list.
inline void LoadRows(Harness& h, const QString& path) {
    h.ui.OptMove->click();
    h.ui.ChSelect->click();
    h.ui.LDir->setText(h.root.filePath(QStringLiteral("out")));
    h.ui.List1->addItem(path);
    h.ui.List1->setCurrentRow(h.ui.List1->count() - 1);
    h.dialogs.answers << MessageAnswer::Ok;
    QTest::keyClick(h.ui.List1, Qt::Key_Return);
    QTRY_VERIFY(!h.rows().IsLoading());
}

}  // namespace orvane::ui
