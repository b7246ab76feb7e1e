// SPDX-License-Identifier: GPL-3.0-or-later
// The input encoding chosen while rows are loaded: the file is read again
// in it, off the window thread like any load, once rows shifted and not
// saved are settled.
#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>

#include "ui/form1.h"
#include "ui/input_encoding.h"
#include "ui/row_edit_panel.h"

namespace orvane::ui {

void Form1::EncodingChosen() {
    const std::string chosen = ChosenEncoding(ui_.CmbEncoding);
    const QString source = rows_->SourcePath();
    if (source.isEmpty() || rows_->IsLoading() || chosen == rows_->ForcedCharset()) {
        return;  // the next load reads in it
    }
    if (!SettleUnsavedRows()) {
        // The rows stay, and so does the encoding they were read in.
        const QSignalBlocker quiet(ui_.CmbEncoding);
        SelectEncoding(ui_.CmbEncoding, QString::fromStdString(rows_->ForcedCharset()));
        return;
    }
    ClearRecords();
    LockForLoading(true);
    rows_->StartLoading(source, ui_.CmbType->currentIndex() == 0, chosen);
}

}  // namespace orvane::ui
