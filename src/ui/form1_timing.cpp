// SPDX-License-Identifier: GPL-3.0-or-later
// The window's rooms that change the time axis beyond one amount: retiming
// (frame rates, two points), alignment to a subtitle or a video, and finding
// the opening in an episode. Each puts its own item in a menu.
#include "ui/align_panel.h"
#include "ui/form1.h"
#include "ui/opening_search_panel.h"
#include "ui/retime_panel.h"

namespace orvane::ui {

void Form1::MakeTimingRooms() {
    new RetimePanel(ui_, dialogs_, this, {options_, run_, rows_});
    connect(new AlignPanel(ui_, dialogs_, *rows_, *run_, this), &AlignPanel::statusChanged, this,
            &Form1::SetStatus);
    connect(new OpeningSearchPanel(ui_, dialogs_, this, {options_, run_}),
            &OpeningSearchPanel::statusChanged, this, &Form1::SetStatus);
}

}  // namespace orvane::ui
