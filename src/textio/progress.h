// SPDX-License-Identifier: GPL-3.0-or-later
// Progress reports from long loops, turned into status-line text on demand.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace orvane::textio {

enum class ProgressStage {
    Reading,   // "状态：字幕记录读取中..."
    Shifting,  // "状态：字幕记录时间轴平移处理中..."
};

struct Progress {
    ProgressStage stage = ProgressStage::Reading;
    std::size_t current = 0;  // index of the line in hand
    std::size_t last = 0;     // last index of the list
    bool forShifter = false;  // reading for a shifter: "；" and `suffix` follow
    std::string_view suffix;

    // The status-line text, such as "状态：字幕记录读取中...57/1203；".
    std::string Text() const;
};

// Called once per line; cheap, so callers decide how often to repaint.
using ProgressFn = std::function<void(const Progress&)>;

}  // namespace orvane::textio
