// SPDX-License-Identifier: GPL-3.0-or-later
// 自动对齐: the files of the list (or, in row mode, the loaded file's rows)
// aligned to a well-timed reference, a subtitle or a video. A dialog of its
// own takes the reference (chosen or dropped), runs the alignment off the
// window's thread with progress and Stop, shows the proposed map of each
// file before anything is written, asks before an unsure one is applied,
// and applies it through the run over the file list (each file with its
// own map) or, in row mode, as one step that can be undone.
#pragma once

#include <QObject>
#include <QString>

#include "ui/align_job.h"

class QAction;
class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace orvane::ui {

class Dialogs;
class RowEditPanel;
class RunPresenter;
struct Form1View;

class AlignPanel : public QObject {
    Q_OBJECT
public:
    // Adds its item to the 操作 menu; `owner` parents the dialog.
    AlignPanel(Form1View& view, Dialogs& dialogs, RowEditPanel& rows, RunPresenter& run,
               QWidget* owner);

    // The menu item: checks there is something to align, then opens the dialog.
    void Open();
    // A reference chosen or dropped: the first file among `paths`.
    void SetReference(const QStringList& paths);
    void StartAligning();
    void Stop();
    void ApplyAlignment();
    const AlignOutcome& Outcome() const { return outcome_; }

signals:
    void statusChanged(const QString& text);

private:
    void BuildDialog();
    void ChooseReference();
    void OnProgress(const QString& status, int percent);
    void OnFinished(const AlignOutcome& outcome);
    void ShowWorking(bool working);
    bool RowMode() const;

    Form1View& view_;
    Dialogs& dialogs_;
    RowEditPanel& rows_;
    RunPresenter& run_;
    QWidget* owner_;
    AlignJob* job_;
    AlignOutcome outcome_;
    QString lastDir_;

    QAction* menuAlign_ = nullptr;
    QDialog* dialog_ = nullptr;
    QLineEdit* reference_ = nullptr;
    QPushButton* choose_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QPlainTextEdit* map_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* close_ = nullptr;
};

// The proposed map of one file as the dialog shows it: the frame-rate
// ratio and confidence, each segment's time range, offset and cues, and
// whether it is unsure.
QString DescribeAlignedFile(const AlignedFile& file, double unsureBelow);

}  // namespace orvane::ui
