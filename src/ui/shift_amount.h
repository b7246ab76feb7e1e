// SPDX-License-Identifier: GPL-3.0-or-later
// The shift-seconds field: which typed characters it takes, how its text
// reads as a number, and what it becomes when the user leaves it.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace orvane::ui {

inline constexpr double kMinShiftSeconds = 0.2;
inline constexpr double kMaxShiftSeconds = 120.0;
inline constexpr double kFallbackShiftSeconds = 12.0;

// Digits, the decimal point and a comma (refused later, with a word, as a
// decimal separator); everything else typed is refused.
bool IsShiftCharacter(QChar c);

// The decimal number at the start of `text` (after leading blanks): "1.2.3"
// reads 1.2, "12秒" reads 12. Nothing when the text does not start with one.
std::optional<double> LeadingNumber(QStringView text);

// Shortest decimal form with at most 15 significant digits: 12, 0.5, 12.345.
QString FormatSeconds(double seconds);

// What the field shows after losing the focus: its number when the
// engine's amount reader takes it within 0.2 to 120 seconds, otherwise 12.
QString ValidatedShiftText(QStringView text);

// The amount a run may use, or nothing when the text is not a number within
// the limits (the field may still hold unchecked text when a menu command
// reads it, since choosing a menu does not move the focus).
std::optional<double> UsableShiftSeconds(QStringView text);

// The frame rates the lists offer; others may be typed.
inline const QStringList kFrameRateChoices = {QStringLiteral("23.976"), QStringLiteral("24"),
                                              QStringLiteral("25"),     QStringLiteral("29.97"),
                                              QStringLiteral("30"),     QStringLiteral("50"),
                                              QStringLiteral("59.94"),  QStringLiteral("60")};

// An amount typed in frames (帧) at the frame rate `rateText` ("23.976" is
// 24000/1001): its seconds, when it is at least one frame and at most
// 120 seconds' worth and the rate is one; nothing otherwise.
std::optional<double> UsableFrameSeconds(QStringView text, QStringView rateText);

// For the status line: why the field's text is not used and what it
// becomes ("状态：150 秒超出范围（0.2–120），已恢复为 12"); empty when usable.
QString ShiftRefusal(QStringView text);

}  // namespace orvane::ui
