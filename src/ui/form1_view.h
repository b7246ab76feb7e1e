// SPDX-License-Identifier: GPL-3.0-or-later
// The window's widgets and menus, built in one place under the names the
// rest of the program knows them by (each also its object name, which is
// how tests find them). No behaviour: Form1 and its rooms wire them.
#pragma once

#include <QString>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMainWindow;
class QMenu;
class QPushButton;
class QRadioButton;

namespace orvane::ui {

class ElidedLabel;

struct Form1View {
    // The record list comes from the row-edit panel; `outputDir` is the
    // folder shown until one is chosen or restored.
    void BuildControls(QMainWindow& window, QListView* recordList, const QString& outputDir);
    void BuildMenus(QMainWindow& window);

    QLabel* Label1 = nullptr;
    ElidedLabel* LDir = nullptr;
    QPushButton* CmdStop = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* OptCutMove = nullptr;
    QCheckBox* ChMove = nullptr;
    QCheckBox* ChFanToJ = nullptr;
    QComboBox* CmbDel = nullptr;
    QCheckBox* ChHead = nullptr;
    ElidedLabel* LHead = nullptr;
    QRadioButton* OptMove = nullptr;
    QCheckBox* ChDirection = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* TShift = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* ChFrames = nullptr;  // the direct amount in frames (帧) instead of 秒
    QComboBox* CmbFrameRate = nullptr;
    QCheckBox* ChSelect = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* CmbType = nullptr;
    QLabel* Label7 = nullptr;
    QComboBox* CmbEncoding = nullptr;
    QCheckBox* ChASCII = nullptr;
    QCheckBox* ChBat = nullptr;
    QCheckBox* ChOverWr = nullptr;
    QLineEdit* TV = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* LSubs = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LSubRecs = nullptr;
    QListWidget* List1 = nullptr;
    QListView* List2 = nullptr;
    QLabel* LSt = nullptr;

    QMenu* MenuFiles = nullptr;
    QAction* MenuAddFiles = nullptr;
    QAction* MenuAddFolder = nullptr;
    QAction* MenuHead = nullptr;
    QAction* MenuOutpath = nullptr;
    QAction* MenuExit = nullptr;
    QMenu* MenuOps = nullptr;
    QAction* MenuMove = nullptr;
    QAction* MenuSave = nullptr;
    QAction* MenuUndo = nullptr;
    QAction* MenuRedo = nullptr;
    QMenu* MenuHelp = nullptr;
    QAction* MenuUpdate = nullptr;
    QAction* MenuCheckNow = nullptr;
    QAction* MenuHelpSub = nullptr;
    QAction* MenuHome = nullptr;
};

}  // namespace orvane::ui
