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

// `retiming` names the map a retiming run followed; the report then says
// it, with how many cues moved and the largest change.
RunReport MakeRunReport(const engine::BatchSummary& summary, const QString& retiming = {});

// "共移动 1,234 条字幕，最大变动 2.345 秒": the cues moved and the most a
// time moved, either way.
QString MovedText(std::size_t cues, double largestChange);

}  // namespace orvane::ui
