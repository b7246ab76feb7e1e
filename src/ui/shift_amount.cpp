// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/shift_amount.h"

namespace orvane::ui {

bool IsShiftCharacter(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
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

std::optional<double> UsableShiftSeconds(QStringView text) {
    const std::optional<double> value = LeadingNumber(text);
    if (!value || *value < kMinShiftSeconds || *value > kMaxShiftSeconds) {
        return std::nullopt;
    }
    return value;
}

QString ValidatedShiftText(QStringView text) {
    return FormatSeconds(UsableShiftSeconds(text).value_or(kFallbackShiftSeconds));
}

}  // namespace orvane::ui
