// SPDX-License-Identifier: GPL-3.0-or-later
// The window's widgets found by their object names, as a test sees them.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "ui/elided_label.h"
#include "ui/form1_view.h"

namespace orvane::ui {

template <typename T>
T* FindNamed(QObject& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

inline Form1View FindView(QObject& window) {
    Form1View v;
#define ORVANE_FIND(type, name) v.name = FindNamed<type>(window, #name)
    ORVANE_FIND(QLabel, Label1);
    ORVANE_FIND(ElidedLabel, LDir);
    ORVANE_FIND(QPushButton, CmdStop);
    ORVANE_FIND(QGroupBox, Frame1);
    ORVANE_FIND(QRadioButton, OptCutMove);
    ORVANE_FIND(QCheckBox, ChMove);
    ORVANE_FIND(QCheckBox, ChFanToJ);
    ORVANE_FIND(QComboBox, CmbDel);
    ORVANE_FIND(QCheckBox, ChHead);
    ORVANE_FIND(ElidedLabel, LHead);
    ORVANE_FIND(QRadioButton, OptMove);
    ORVANE_FIND(QCheckBox, ChDirection);
    ORVANE_FIND(QLabel, Label4);
    ORVANE_FIND(QLineEdit, TShift);
    ORVANE_FIND(QLabel, Label5);
    ORVANE_FIND(QCheckBox, ChFrames);
    ORVANE_FIND(QComboBox, CmbFrameRate);
    ORVANE_FIND(QCheckBox, ChSelect);
    ORVANE_FIND(QLabel, Label6);
    ORVANE_FIND(QComboBox, CmbType);
    ORVANE_FIND(QLabel, Label7);
    ORVANE_FIND(QComboBox, CmbEncoding);
    ORVANE_FIND(QCheckBox, ChASCII);
    ORVANE_FIND(QCheckBox, ChBat);
    ORVANE_FIND(QCheckBox, ChOverWr);
    ORVANE_FIND(QLineEdit, TV);
    ORVANE_FIND(QLabel, Label2);
    ORVANE_FIND(QLabel, LSubs);
    ORVANE_FIND(QLabel, Label3);
    ORVANE_FIND(QLabel, LSubRecs);
    ORVANE_FIND(QListWidget, List1);
    ORVANE_FIND(QListView, List2);
    ORVANE_FIND(QLabel, LSt);
    ORVANE_FIND(QMenu, MenuFiles);
    ORVANE_FIND(QAction, MenuAddFiles);
    ORVANE_FIND(QAction, MenuAddFolder);
    ORVANE_FIND(QAction, MenuHead);
    ORVANE_FIND(QAction, MenuOutpath);
    ORVANE_FIND(QAction, MenuExit);
    ORVANE_FIND(QMenu, MenuOps);
    ORVANE_FIND(QAction, MenuMove);
    ORVANE_FIND(QAction, MenuSave);
    ORVANE_FIND(QAction, MenuUndo);
    ORVANE_FIND(QAction, MenuRedo);
    ORVANE_FIND(QMenu, MenuHelp);
    ORVANE_FIND(QAction, MenuUpdate);
    ORVANE_FIND(QAction, MenuCheckNow);
    ORVANE_FIND(QAction, MenuHelpSub);
    ORVANE_FIND(QAction, MenuHome);
#undef ORVANE_FIND
    return v;
}

}  // namespace orvane::ui
