// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/input_encoding.h"

#include <QComboBox>
#include <vector>

#include "textio/encoding_guess.h"

namespace orvane::ui {
namespace {

struct Offered {
    QString converter;
    QString label;
    QString language;
};

// What each code page is written for, by the label the detection gives it.
QString LanguageOf(const QString& label) {
    struct Known {
        const char* label;
        const char* language;
    };
    static const Known kKnown[] = {
        {"GBK", "简体中文"},          {"Big5", "繁体中文"},         {"Shift_JIS", "日文"},
        {"EUC-JP", "日文"},           {"EUC-KR", "韩文"},           {"windows-1250", "中欧"},
        {"windows-1251", "西里尔文"}, {"windows-1252", "西欧"},     {"windows-1253", "希腊文"},
        {"windows-1254", "土耳其文"}, {"windows-1255", "希伯来文"}, {"windows-1256", "阿拉伯文"},
        {"windows-1257", "波罗的海"}, {"windows-1258", "越南文"},   {"KOI8-R", "俄文"},
        {"ISO-8859-2", "中欧"},       {"ISO-8859-5", "西里尔文"},
    };
    for (const Known& known : kKnown) {
        if (label == QLatin1String(known.label)) {
            return QString::fromUtf8(known.language);
        }
    }
    return {};
}

const std::vector<Offered>& OfferedEncodings() {
    static const std::vector<Offered> offered = [] {
        std::vector<Offered> list{
            {QStringLiteral("UTF-8"), QStringLiteral("UTF-8"), {}},
            {QStringLiteral("UTF-16LE"), QStringLiteral("UTF-16LE"), {}},
            {QStringLiteral("UTF-16BE"), QStringLiteral("UTF-16BE"), {}},
        };
        for (const textio::GuessedCodePage& page : textio::GuessedCodePages()) {
            const QString label = QString::fromLatin1(page.label);
            const QString converter = QString::fromLatin1(page.converter);
            // "GBK/GB18030": the candidates' name first, then what is read.
            list.push_back({converter,
                            label == converter ? label : label + QLatin1Char('/') + converter,
                            LanguageOf(label)});
        }
        return list;
    }();
    return offered;
}

}  // namespace

void FillEncodingChoice(QComboBox* box) {
    box->clear();
    box->addItem(kAutoEncoding, QString());
    for (const Offered& item : OfferedEncodings()) {
        box->addItem(item.language.isEmpty()
                         ? item.label
                         : item.label + QStringLiteral("（") + item.language + QStringLiteral("）"),
                     item.converter);
    }
    box->setCurrentIndex(0);
}

std::string ChosenEncoding(const QComboBox* box) {
    return box->currentData().toString().toStdString();
}

bool SelectEncoding(QComboBox* box, const QString& converter) {
    const int index = box->findData(converter);
    if (index < 0) {
        return false;
    }
    box->setCurrentIndex(index);
    return true;
}

bool IsOfferedEncoding(const QString& converter) {
    for (const Offered& item : OfferedEncodings()) {
        if (item.converter == converter) {
            return true;
        }
    }
    return false;
}

QString EncodingShown(const QString& charset) {
    for (const textio::GuessedCodePage& page : textio::GuessedCodePages()) {
        if (charset == QLatin1String(page.converter)) {
            return QString::fromLatin1(page.label);
        }
    }
    return charset;
}

}  // namespace orvane::ui
