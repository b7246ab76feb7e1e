// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/option_rules.h"

#include <QtGlobal>

#include "engine/retime.h"
#include "ui/shift_amount.h"

namespace orvane::ui {

OptionEnables EnablesFor(const OptionState& state) {
    OptionEnables enables;
    enables.byOpening = !state.direct;
    enables.extraAdvance = state.byOpening;
    enables.rowMode = state.direct;
    enables.later = state.direct;
    enables.simplify = !state.rowMode;
    enables.removal = !state.rowMode;
    // TShift is used for a typed amount: direct, row mode, the extra advance,
    // or a cut without the opening clip.
    enables.shiftText = state.rowMode || state.direct || state.extraAdvance || !state.byOpening;
    // Frames only count for a direct amount; cut mode measures in seconds.
    enables.frames = state.direct;
    enables.chooseOpening = state.byOpening;
    enables.saveRows = state.rowMode;
    enables.outputFolder = !state.overwrite;
    return enables;
}

QString FrameRateChoice(const QString& rate) {
    const std::optional<engine::FrameRate> read =
        engine::ParseFrameRate(rate.trimmed().toStdString());
    if (!read) {
        return {};
    }
    for (const QString& choice : kFrameRateChoices) {
        const std::optional<engine::FrameRate> offered =
            engine::ParseFrameRate(choice.toStdString());
        if (offered->numerator * read->denominator == read->numerator * offered->denominator) {
            return choice;
        }
    }
    return rate.trimmed();
}

OptionState AfterOptCutMove(OptionState state) {
    state.direct = false;
    state.frames = false;
    state.byOpening = true;
    state.extraAdvance = false;
    state.rowMode = false;
    state.later = false;
    state.shiftText = kInitialAmount;
    return state;
}

OptionState AfterOptMove(OptionState state) {
    state.direct = true;
    state.byOpening = false;
    state.extraAdvance = false;
    state.rowMode = false;
    state.later = false;
    state.shiftText = kStepAmount;
    return state;
}

OptionState AfterChHead(OptionState state, const OpeningClip& opening) {
    // The extra advance goes with the opening clip; unchecking it gives the
    // clip's length back to TShift.
    if (state.extraAdvance) {
        state.extraAdvance = false;
        state = AfterChMove(state, opening);
    }
    return state;
}

OptionState AfterChMove(OptionState state, const OpeningClip& opening) {
    state.shiftText = state.extraAdvance ? kStepAmount : opening.durationText;
    return state;
}

OptionState AfterChSelect(OptionState state) {
    state.shiftText = state.rowMode ? kStepAmount : kInitialAmount;
    if (state.rowMode) {
        state.simplify = false;
        state.removal = 0;
    }
    return state;
}

OptionState AfterOpeningChosen(OptionState state, const OpeningClip& opening) {
    if (!state.extraAdvance) {
        state.shiftText = opening.durationText;
    }
    return state;
}

engine::ShiftSettings OutputChoices(const OptionState& state,
                                    const std::filesystem::path& outputDir) {
    engine::ShiftSettings settings;
    settings.removal = static_cast<engine::LanguageRemoval>(qBound(0, state.removal, 2));
    settings.simplify = state.simplify;
    settings.ansi = state.ansi;
    settings.overwrite = state.overwrite;
    settings.outputDir = outputDir;
    return settings;
}

std::optional<engine::ShiftSettings> SettingsFrom(const OptionState& state,
                                                  const OpeningClip& opening,
                                                  const std::filesystem::path& outputDir) {
    engine::ShiftSettings settings = OutputChoices(state, outputDir);
    settings.mode = state.direct ? engine::ShiftMode::Direct : engine::ShiftMode::Cut;
    settings.later = state.direct && state.later;
    settings.extraAdvance = !state.direct && state.extraAdvance;
    settings.cutSeconds = opening.seconds;

    // Without the opening clip as the measure, TShift holds the amount to
    // cut; it is enabled then for exactly that.
    const bool typedCut = !state.direct && !state.byOpening;
    if (state.direct || settings.extraAdvance || typedCut) {
        const std::optional<double> seconds =
            state.direct && state.frames ? UsableFrameSeconds(state.shiftText, state.frameRate)
                                         : UsableShiftSeconds(state.shiftText);
        if (!seconds) {
            return std::nullopt;
        }
        (typedCut ? settings.cutSeconds : settings.shiftSeconds) = *seconds;
    }
    return settings;
}

}  // namespace orvane::ui
