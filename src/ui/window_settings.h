// SPDX-License-Identifier: GPL-3.0-or-later
// What the window remembers between starts, read and checked in one place.
// A value that cannot be read, or is out of range, gives the default: a
// damaged settings file never turns an option on. Overwriting the sources is
// not remembered at all: it is the one option that replaces files, and is
// confirmed afresh in each session.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QSettings;

namespace orvane::ui {

struct Form1View;

struct WindowSettings {
    QString outputDir;  // empty: the default folder
    QString fileDialogDir;
    QString clipDialogDir;
    bool direct = false;
    bool later = false;
    bool useOpening = true;
    bool extraAdvance = false;
    QString amount;  // empty: the field keeps its text
    bool simplify = false;
    int removal = 0;  // index into 保持原样 / 删除英文字幕 / 删除中文字幕
    bool batch = false;
    bool ansi = false;
    QString inputEncoding;  // a converter the choice offers; empty: 自动
    QByteArray geometry;
};

// `usableFolder` says whether a remembered output folder may still be used.
WindowSettings ReadWindowSettings(const QSettings& stored,
                                  const std::function<bool(const QString&)>& usableFolder);
void WriteWindowSettings(QSettings& stored, const WindowSettings& settings);

// The options and the output folder into the controls (the dialogs'
// folders and the geometry are the window's), and back.
void ShowWindowSettings(Form1View& view, const WindowSettings& settings);
WindowSettings WindowSettingsShown(const Form1View& view);

}  // namespace orvane::ui
