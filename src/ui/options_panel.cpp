// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/options_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <filesystem>
#include <vector>

#include "media/opening_clip.h"
#include "textio/file_system.h"
#include "textio/text_file.h"
#include "ui/dialogs.h"
#include "ui/elided_label.h"
#include "ui/form1_view.h"
#include "ui/input_encoding.h"
#include "ui/shift_amount.h"

namespace orvane::ui {
namespace {

std::filesystem::path ToFsPath(const QString& path) {
    return textio::PathFromUtf8(path.toStdString());
}

}  // namespace

OptionsPanel::OptionsPanel(Form1View& view, Dialogs& dialogs, QWidget* owner)
    : QObject(owner), view_(view), dialogs_(dialogs), owner_(owner) {
    setObjectName(QStringLiteral("Options"));
    view_.LHead->setTag(opening_.durationText);
    Connect();
}

// Buttons and lists report a change made from code as well as a click, and
// only when the value really changes. The rules give the net state after
// each action; applying it holds the handlers back, so no change from code
// runs one a second time.
void OptionsPanel::Connect() {
    connect(view_.OptCutMove, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            Apply(AfterOptCutMove(Read()));
        }
    });
    connect(view_.OptMove, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            Apply(AfterOptMove(Read()));
        }
    });
    connect(view_.ChHead, &QCheckBox::toggled, this,
            [this] { Apply(AfterChHead(Read(), opening_)); });
    connect(view_.ChMove, &QCheckBox::toggled, this,
            [this] { Apply(AfterChMove(Read(), opening_)); });
    connect(view_.ChSelect, &QCheckBox::toggled, this, [this] { Apply(AfterChSelect(Read())); });
    connect(view_.ChASCII, &QCheckBox::toggled, this, &OptionsPanel::ConfirmAnsi);
    connect(view_.ChOverWr, &QCheckBox::toggled, this, &OptionsPanel::ConfirmOverwrite);
}

OptionState OptionsPanel::Read() const {
    OptionState state;
    state.direct = view_.OptMove->isChecked();
    state.byOpening = view_.ChHead->isChecked();
    state.extraAdvance = view_.ChMove->isChecked();
    state.rowMode = view_.ChSelect->isChecked();
    state.later = view_.ChDirection->isChecked();
    state.simplify = view_.ChFanToJ->isChecked();
    state.removal = view_.CmbDel->currentIndex();
    state.ansi = view_.ChASCII->isChecked();
    state.overwrite = view_.ChOverWr->isChecked();
    state.shiftText = view_.TShift->text();
    state.frames = view_.ChFrames->isChecked();
    state.frameRate = view_.CmbFrameRate->currentText();
    return state;
}

void OptionsPanel::Apply(const OptionState& state) {
    {
        const QSignalBlocker blockers[] = {
            QSignalBlocker(view_.OptCutMove), QSignalBlocker(view_.OptMove),
            QSignalBlocker(view_.ChHead),     QSignalBlocker(view_.ChMove),
            QSignalBlocker(view_.ChSelect),   QSignalBlocker(view_.CmbDel)};
        (state.direct ? view_.OptMove : view_.OptCutMove)->setChecked(true);
        view_.ChHead->setChecked(state.byOpening);
        view_.ChMove->setChecked(state.extraAdvance);
        view_.ChSelect->setChecked(state.rowMode);
        view_.ChDirection->setChecked(state.later);
        view_.ChFanToJ->setChecked(state.simplify);
        view_.CmbDel->setCurrentIndex(state.removal);
        view_.ChFrames->setChecked(state.frames);
    }
    const QString before = view_.TShift->text();
    if (before != state.shiftText) {
        view_.TShift->setText(state.shiftText);
        // The rules put a default in place of what was there: said, not silent.
        emit statusChanged(
            QStringLiteral("状态：平移秒数已由 %1 改为 %2").arg(before, state.shiftText));
    }
    ShowEnables(EnablesFor(state));
}

void OptionsPanel::ShowEnables(const OptionEnables& enables) {
    view_.ChHead->setEnabled(enables.byOpening);
    view_.ChMove->setEnabled(enables.extraAdvance);
    view_.ChSelect->setEnabled(enables.rowMode);
    view_.ChDirection->setEnabled(enables.later);
    view_.ChFanToJ->setEnabled(enables.simplify);
    view_.CmbDel->setEnabled(enables.removal);
    view_.TShift->setEnabled(enables.shiftText);
    view_.ChFrames->setEnabled(enables.frames);
    view_.CmbFrameRate->setEnabled(enables.frames);
    view_.MenuHead->setEnabled(enables.chooseOpening);
    view_.MenuSave->setEnabled(enables.saveRows);
    view_.MenuOutpath->setEnabled(enables.outputFolder);
}

std::optional<engine::ShiftSettings> OptionsPanel::Gather() const {
    std::optional<engine::ShiftSettings> settings =
        SettingsFrom(Read(), opening_, ToFsPath(view_.LDir->text()));
    if (settings) {
        settings->encoding = ChosenEncoding(view_.CmbEncoding);
    }
    return settings;
}

void OptionsPanel::ConfirmAnsi() {
    if (!view_.ChASCII->isChecked()) {
        return;
    }
    const MessageAnswer answer = dialogs_.Ask(
        owner_,
        {QStringLiteral("大多数字幕合并软件采用Utf-8编码，如无特需，建议勿启用ANSI编码！\r\n"
                        "确定启用？"),
         MessageIcon::Warning, MessageButtons::OkCancel, MessageAnswer::Cancel});
    if (answer != MessageAnswer::Ok) {
        view_.ChASCII->setChecked(false);
    }
}

void OptionsPanel::ConfirmOverwrite() {
    if (view_.ChOverWr->isChecked()) {
        const MessageAnswer answer =
            dialogs_.Ask(owner_, {QStringLiteral("确定覆盖原文件？"), MessageIcon::Warning,
                                  MessageButtons::OkCancel, MessageAnswer::Cancel});
        if (answer != MessageAnswer::Ok) {
            view_.ChOverWr->setChecked(false);
        }
    }
    view_.MenuOutpath->setEnabled(!view_.ChOverWr->isChecked());
}

// ---- the shift-seconds field --------------------------------------------------

bool OptionsPanel::AcceptTyped(const QString& typed, Qt::KeyboardModifiers modifiers) {
    // Shortcuts (copy, paste, undo) and editing keys (backspace, arrows) are
    // not typed characters.
    if (typed.isEmpty() ||
        (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        return true;
    }
    if (typed.size() == 1 && (typed[0].unicode() < 0x20 || typed[0].unicode() == 0x7f)) {
        return true;
    }
    for (QChar c : typed) {
        if (!IsShiftCharacter(c)) {
            dialogs_.Beep();
            return false;
        }
    }
    return true;
}

void OptionsPanel::CheckAmount() {
    const OptionState state = Read();
    if (state.direct && state.frames) {
        if (!UsableFrameSeconds(state.shiftText, state.frameRate)) {
            view_.TShift->setText(FormatSeconds(kFallbackShiftSeconds));
            emit statusChanged(
                QStringLiteral("状态：“%1”不是可用的帧数（至少1帧，至多120秒），已恢复为 %2")
                    .arg(state.shiftText, FormatSeconds(kFallbackShiftSeconds)));
        }
        return;
    }
    const QString refusal = ShiftRefusal(view_.TShift->text());
    view_.TShift->setText(ValidatedShiftText(view_.TShift->text()));
    if (!refusal.isEmpty()) {
        emit statusChanged(refusal);
    }
}

// ---- the opening clip -----------------------------------------------------------

void OptionsPanel::ChooseOpeningByDialog() {
    const QStringList chosen = dialogs_.GetOpenFileNames(
        owner_, {kOpeningDialogTitle, kOpeningFilterLabel,
                 QString::fromUtf8(media::kOpeningVideoPatterns), false, lastClipDir});
    if (chosen.isEmpty()) {
        dialogs_.Beep();
        return;
    }
    lastClipDir = QFileInfo(chosen.front()).absolutePath();
    MeasureOpening(chosen.front());
}

void OptionsPanel::OpeningDropped(const QStringList& paths) {
    std::vector<std::filesystem::path> items;
    items.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) {
        items.push_back(ToFsPath(path));
    }
    // The first video among the items; anything else is passed over quietly.
    if (const auto clip = media::PickDroppedClip(items)) {
        MeasureOpening(QString::fromStdString(textio::PathToUtf8(*clip)));
    }
}

// Measures the clip; a usable one becomes the amount cut mode removes (and,
// while no extra advance is asked for, the amount in TShift).
void OptionsPanel::MeasureOpening(const QString& path) {
    const media::OpeningMeasure measure = media::MeasureOpening(ToFsPath(path));
    if (!measure.ok) {
        dialogs_.Ask(owner_, {OpeningRefusal(measure.verdict), MessageIcon::Error});
        return;
    }
    SetOpeningClip({path, QString::fromStdString(measure.durationText), measure.seconds},
                   QString::fromStdString(measure.frameRate));
}

void OptionsPanel::SetOpeningClip(const OpeningClip& clip, const QString& frameRate) {
    opening_ = clip;
    view_.LHead->setText(HeadCaption(clip));
    view_.LHead->setTag(clip.durationText);
    // The clip's frame rate is the likeliest for an amount in frames.
    if (const QString rate = FrameRateChoice(frameRate); !rate.isEmpty()) {
        view_.CmbFrameRate->setCurrentText(rate);
    }
    Apply(AfterOpeningChosen(Read(), opening_));
}

}  // namespace orvane::ui
