// SPDX-License-Identifier: GPL-3.0-or-later
// The status line's words for the work under way.
#pragma once

#include <QString>
#include <cstddef>
#include <filesystem>

#include "textio/progress.h"

namespace orvane::ui {

// "字幕记录读取中...57/1203" or "字幕记录时间轴平移处理中...57/1203", and for a
// shifter's reading the suffix after "；".
QString ProgressText(const textio::Progress& progress);

// "正在处理第 3/5 个文件：a.srt".
QString FileStatus(std::size_t number, std::size_t count, const std::filesystem::path& file);

}  // namespace orvane::ui
