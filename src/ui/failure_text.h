// SPDX-License-Identifier: GPL-3.0-or-later
// The window's words for a failure: Chinese, naming the system's reason.
#pragma once

#include <QString>

#include "textio/failure.h"

namespace orvane::ui {

// Why, without the file's name: "无法打开文件（权限不足）".
QString FailureReason(const textio::Failure& failure);

// The file's name and why: "ep01.srt：无法打开文件（权限不足）".
QString FailureLine(const textio::Failure& failure);

}  // namespace orvane::ui
