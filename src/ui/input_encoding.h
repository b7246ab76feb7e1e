// SPDX-License-Identifier: GPL-3.0-or-later
// The input encoding choice (输入编码): 自动 lets the detection decide, or
// one of the encodings it considers is used for every file of a run and for
// the rows. The items carry ICU's converter names; people see the names
// the detection gives its candidates, with the language they serve.
#pragma once

#include <QString>
#include <string>

class QComboBox;

namespace orvane::ui {

inline const QString kAutoEncoding = QStringLiteral("自动");

// 自动, then UTF-8, UTF-16LE/BE and the code pages the detection tries.
void FillEncodingChoice(QComboBox* box);

// The converter chosen; empty for 自动.
std::string ChosenEncoding(const QComboBox* box);

// Selects the item of that converter (empty: 自动); false when none offers it.
bool SelectEncoding(QComboBox* box, const QString& converter);

// Whether the choice offers that converter: a remembered value is used only
// then.
bool IsOfferedEncoding(const QString& converter);

// The name a reading is shown under: a converter the choice offers by its
// people's name ("windows-31j" as "Shift_JIS"), anything else as it is.
QString EncodingShown(const QString& charset);

}  // namespace orvane::ui
