// SPDX-License-Identifier: GPL-3.0-or-later
// The option controls as plain values: what each user action does to them,
// which of them can be used, and the settings of a run they give. Form1
// copies the values from and to its widgets; the rules live here.
#pragma once

#include <QString>
#include <filesystem>
#include <optional>

#include "engine/shift_settings.h"
#include "ui/opening.h"

namespace orvane::ui {

// What TShift shows: cut mode's start, and an amount still to be typed
// (direct and row mode, the extra advance).
inline const QString kInitialAmount = QStringLiteral("12.000");
inline const QString kStepAmount = QStringLiteral("1.000");

// What the option controls hold; the control each value comes from is named.
struct OptionState {
    bool direct = false;                       // OptMove chosen (OptCutMove otherwise)
    bool byOpening = true;                     // ChHead
    bool extraAdvance = false;                 // ChMove
    bool rowMode = false;                      // ChSelect
    bool later = false;                        // ChDirection
    bool simplify = false;                     // ChFanToJ
    int removal = 0;                           // CmbDel's index
    bool ansi = false;                         // ChASCII
    bool overwrite = false;                    // ChOverWr
    QString shiftText = kInitialAmount;        // TShift
    bool frames = false;                       // ChFrames: direct amounts in frames
    QString frameRate = QStringLiteral("25");  // CmbFrameRate

    bool operator==(const OptionState&) const = default;
};

// Which controls can be used. Every one follows from the state, so no
// sequence of actions can leave them out of step.
struct OptionEnables {
    bool byOpening = false;      // ChHead
    bool extraAdvance = false;   // ChMove
    bool rowMode = false;        // ChSelect
    bool later = false;          // ChDirection
    bool simplify = false;       // ChFanToJ
    bool removal = false;        // CmbDel
    bool shiftText = false;      // TShift
    bool frames = false;         // ChFrames and CmbFrameRate
    bool chooseOpening = false;  // MenuHead
    bool saveRows = false;       // MenuSave
    bool outputFolder = false;   // MenuOutpath

    bool operator==(const OptionEnables&) const = default;
};

OptionEnables EnablesFor(const OptionState& state);

// The entry of the frame-rate list that stands for `rate` as a clip gives
// it ("24000/1001" is "23.976"), or the rate as it is when it is a rate
// none stands for; empty for a text that is no frame rate.
QString FrameRateChoice(const QString& rate);

// The state after each action. A toggle's function gets the state with the
// control's new value already in it; each gives the net result of the
// handlers a change would set off, so applying it needs none of them.
OptionState AfterOptCutMove(OptionState state);
OptionState AfterOptMove(OptionState state);
OptionState AfterChHead(OptionState state, const OpeningClip& opening);
OptionState AfterChMove(OptionState state, const OpeningClip& opening);
OptionState AfterChSelect(OptionState state);
// A clip was accepted: it is the amount in TShift unless TShift holds the
// extra advance.
OptionState AfterOpeningChosen(OptionState state, const OpeningClip& opening);

// What a run writes and where, as the controls choose it (languages,
// characters, encoding, overwrite, folder); its timing is the caller's.
engine::ShiftSettings OutputChoices(const OptionState& state,
                                    const std::filesystem::path& outputDir);

// The settings of a run, or nothing when the run needs the typed amount and
// TShift does not hold a usable one (a menu command can read the field
// before it was checked, since choosing a menu does not take the focus).
std::optional<engine::ShiftSettings> SettingsFrom(const OptionState& state,
                                                  const OpeningClip& opening,
                                                  const std::filesystem::path& outputDir);

}  // namespace orvane::ui
