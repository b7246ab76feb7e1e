// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/progress.h"

namespace orvane::textio {

std::string Progress::Text() const {
    std::string text = stage == ProgressStage::Reading ? "状态：字幕记录读取中..."
                                                       : "状态：字幕记录时间轴平移处理中...";
    text += std::to_string(current);
    text += '/';
    text += std::to_string(last);
    if (stage == ProgressStage::Reading && forShifter) {
        text += "；";
        text += suffix;
    }
    return text;
}

}  // namespace orvane::textio
