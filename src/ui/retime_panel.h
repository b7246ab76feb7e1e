// SPDX-License-Identifier: GPL-3.0-or-later
// Retiming beyond one amount, in a window of its own opened from the
// operations menu: a change of frame rate as a run over the file list, and
// a sync on two points of the loaded rows (row mode), previewed and applied
// as one step of undo. The arithmetic and the run's settings come from the
// engine, as orvane-shift has them.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <vector>

#include "engine/retime.h"
#include "engine/timing_map.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvane::ui {

class Dialogs;
class OptionsPanel;
class RowEditPanel;
class RunPresenter;
struct Form1View;

// "“24.5x”不是帧率（如 25、23.976 或 24000/1001）！" for a text that is none.
std::optional<engine::FrameRate> ReadFrameRate(const QString& text, QString& refusal);

class RetimePanel : public QDialog {
    Q_OBJECT
public:
    struct Rooms {
        OptionsPanel* options = nullptr;
        RunPresenter* run = nullptr;
        RowEditPanel* rows = nullptr;
    };
    // Adds its item, MenuRetime, to the operations menu.
    RetimePanel(Form1View& view, Dialogs& dialogs, QWidget* owner, Rooms rooms);

    // The frame-rate change of the chosen lists as a run over the file list.
    void Convert();
    // The two selected rows to where their fields say, as one step of undo.
    void SyncTwoPoints();

private:
    void ShowPanel();
    // The sync the fields and the selection give, or why there is none.
    struct Sync {
        std::optional<engine::TimingMap> map;
        QString refusal;
        QString description;  // the two points, for the message
    };
    Sync PlanSync() const;
    // The selected rows that hold a time line, in order, with their start.
    struct Point {
        std::size_t row = 0;
        double now = 0;
    };
    std::vector<Point> SelectedPoints() const;
    void ShowSelection();
    void ShowPreview();

    Form1View& view_;
    Dialogs& dialogs_;
    Rooms rooms_;
    QComboBox* from_;
    QComboBox* to_;
    QLabel* point1_;
    QLabel* point2_;
    QLineEdit* target1_;
    QLineEdit* target2_;
    QLabel* preview_;
    QPushButton* sync_;
};

}  // namespace orvane::ui
