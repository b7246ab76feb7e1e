// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/option_rules.h"

#include <QtGlobal>

#include "textio/text_file.h"
#include "ui/shift_amount.h"

namespace orvane::ui {

std::optional<engine::ShiftSettings> SettingsFrom(const OptionValues& values) {
    engine::ShiftSettings settings;
    settings.mode = values.direct ? engine::ShiftMode::Direct : engine::ShiftMode::Cut;
    settings.later = values.direct && values.later;
    settings.extraAdvance = !values.direct && values.extraAdvance;
    settings.removal = static_cast<engine::LanguageRemoval>(qBound(0, values.removal, 2));
    settings.simplify = values.simplify;
    settings.ansi = values.ansi;
    settings.overwrite = values.overwrite;
    settings.outputDir = textio::PathFromUtf8(values.outputDir.toStdString());
    settings.cutSeconds = values.openingSeconds;

    const bool typedCut = !values.direct && !values.useOpening;
    if (values.direct || settings.extraAdvance || typedCut) {
        const std::optional<double> seconds = UsableShiftSeconds(values.amountText);
        if (!seconds) {
            return std::nullopt;
        }
        (typedCut ? settings.cutSeconds : settings.shiftSeconds) = *seconds;
    }
    return settings;
}

bool AmountIsUsed(bool rowMode, bool direct, bool extraAdvance, bool useOpening) {
    return rowMode || direct || extraAdvance || !useOpening;
}

}  // namespace orvane::ui
