// SPDX-License-Identifier: GPL-3.0-or-later
// The rules between the option controls and a run's settings, as values: the
// window reads its controls into OptionValues and applies what comes back.
#pragma once

#include <QString>
#include <optional>

#include "engine/shift_settings.h"

namespace orvane::ui {

// What the option controls hold when a run starts.
struct OptionValues {
    bool direct = false;        // OptMove (else OptCutMove)
    bool later = false;         // ChDirection
    bool extraAdvance = false;  // ChMove
    bool useOpening = true;     // ChHead
    int removal = 0;            // CmbDel: keep, remove English, remove Chinese
    bool simplify = false;      // ChFanToJ
    bool ansi = false;          // ChASCII
    bool overwrite = false;     // ChOverWr
    QString amountText;         // TShift
    double openingSeconds = 12.0;
    QString outputDir;  // LDir
};

// The settings of a run; nothing when the run needs the typed amount and the
// field does not hold a usable one (0.2 to 120 seconds). In cut mode the
// field is the amount to cut when the opening clip is not the measure, and
// the further advance when that is asked for.
std::optional<engine::ShiftSettings> SettingsFrom(const OptionValues& values);

// Whether the amount field takes typing: whenever a run or row editing reads it.
bool AmountIsUsed(bool rowMode, bool direct, bool extraAdvance, bool useOpening);

// What the amount field shows after a change of mode or option.
inline const QString kInitialAmount = QStringLiteral("12.000");  // cut mode's start
inline const QString kStepAmount = QStringLiteral("1.000");      // direct and row mode

}  // namespace orvane::ui
