// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells the user when a run over the file list ends: a short
// message that never reads as success when something failed, and the full
// lists for the message box's details.
#pragma once

#include <QString>

#include "engine/batch.h"

namespace orvane::ui {

struct RunReport {
    QString text;     // for the message box, at most a screen's worth of lines
    QString details;  // every file named, for the box's details section; may be empty
};

// At most this many files of one kind are named in the message itself.
inline constexpr int kNamedInMessage = 10;

RunReport MakeRunReport(const engine::BatchSummary& summary);

}  // namespace orvane::ui
