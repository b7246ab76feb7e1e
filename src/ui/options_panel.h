// SPDX-License-Identifier: GPL-3.0-or-later
// The option controls of Frame1 and the opening clip: the rules of
// option_rules applied to the widgets, the shift-seconds field's keys and
// check, the questions before ANSI output and overwriting, and the clip
// chosen by menu or dropped on its caption.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "engine/shift_settings.h"
#include "ui/opening.h"
#include "ui/option_rules.h"

class QWidget;

namespace orvane::ui {

class Dialogs;
struct Form1View;

class OptionsPanel : public QObject {
    Q_OBJECT
public:
    OptionsPanel(Form1View& view, Dialogs& dialogs, QWidget* owner);

    OptionState Read() const;
    void Apply(const OptionState& state);
    // The settings of a run as the controls give them now.
    std::optional<engine::ShiftSettings> Gather() const;

    const OpeningClip& Opening() const { return opening_; }
    // `frameRate`, the clip's video frame rate as read ("25", "24000/1001"),
    // becomes the rate of an amount in frames; empty leaves it.
    void SetOpeningClip(const OpeningClip& clip, const QString& frameRate = {});
    void ChooseOpeningByDialog();
    void OpeningDropped(const QStringList& paths);

    // False when the typed character is refused (with a beep).
    bool AcceptTyped(const QString& typed, Qt::KeyboardModifiers modifiers);
    void CheckAmount();

    QString lastClipDir;  // where the clip dialog opened last

signals:
    // What was refused or changed in the field, for the status line.
    void statusChanged(const QString& text);

private:
    void Connect();
    void ShowEnables(const OptionEnables& enables);
    void ConfirmAnsi();
    void ConfirmOverwrite();
    void MeasureOpening(const QString& path);

    Form1View& view_;
    Dialogs& dialogs_;
    QWidget* owner_;
    OpeningClip opening_;
};

}  // namespace orvane::ui
