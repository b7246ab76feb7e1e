// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/shift_amount.h"

#include "engine/amount.h"
#include "engine/retime.h"

namespace orvane::ui {

bool IsShiftCharacter(QChar c) {
    // A comma goes into the field as typed: the amount is refused when the
    // field is left, rather than the comma vanishing and "1,5" reading 15.
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
           c == QLatin1Char(',');
}

std::optional<double> LeadingNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto isDigit = [&](qsizetype k) {
        return k < n && text[k] >= QLatin1Char('0') && text[k] <= QLatin1Char('9');
    };
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) {
        ++i;
    }
    const qsizetype start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        ++i;
    }
    bool anyDigit = false;
    while (isDigit(i)) {
        ++i;
        anyDigit = true;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (isDigit(i)) {
            ++i;
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype k = i + 1;
        if (k < n && (text[k] == QLatin1Char('+') || text[k] == QLatin1Char('-'))) {
            ++k;
        }
        if (isDigit(k)) {
            while (isDigit(k)) {
                ++k;
            }
            i = k;
        }
    }
    // toDouble gives infinity on overflow and 0 on underflow, which is what
    // the range test wants.
    return text.mid(start, i - start).toDouble();
}

QString FormatSeconds(double seconds) {
    if (seconds == 0.0) {
        return QStringLiteral("0");  // never "-0"
    }
    return QString::number(seconds, 'g', 15);
}

namespace {

engine::AmountReading ReadShift(QStringView text) {
    return engine::ReadAmount(text.toUtf8().toStdString(), {kMinShiftSeconds, kMaxShiftSeconds});
}

}  // namespace

std::optional<double> UsableShiftSeconds(QStringView text) {
    return ReadShift(text).seconds;
}

std::optional<double> UsableFrameSeconds(QStringView text, QStringView rateText) {
    const std::optional<engine::FrameRate> rate =
        engine::ParseFrameRate(rateText.trimmed().toUtf8().toStdString());
    if (!rate) {
        return std::nullopt;
    }
    const double most = kMaxShiftSeconds * rate->PerSecond();
    const std::optional<double> frames =
        engine::ReadAmount(text.toUtf8().toStdString(), {1.0, most}).seconds;
    if (!frames) {
        return std::nullopt;
    }
    return engine::FramesToSeconds(*frames, *rate);
}

QString ShiftRefusal(QStringView text) {
    const QString fallback = FormatSeconds(kFallbackShiftSeconds);
    switch (ReadShift(text).problem) {
        case engine::AmountReading::Problem::None:
            return {};
        case engine::AmountReading::Problem::NotANumber:
            if (text.isEmpty()) {
                return QStringLiteral("状态：未填写平移秒数，已恢复为 %1").arg(fallback);
            }
            return QStringLiteral("状态：“%1”不是秒数（只能是数字和一个小数点“.”），已恢复为 %2")
                .arg(text.toString(), fallback);
        case engine::AmountReading::Problem::TooSmall:
        case engine::AmountReading::Problem::TooLarge:
            return QStringLiteral("状态：%1 秒超出范围（%2–%3），已恢复为 %4")
                .arg(text.toString(), FormatSeconds(kMinShiftSeconds),
                     FormatSeconds(kMaxShiftSeconds), fallback);
    }
    return {};
}

QString ValidatedShiftText(QStringView text) {
    return FormatSeconds(UsableShiftSeconds(text).value_or(kFallbackShiftSeconds));
}

}  // namespace orvane::ui
