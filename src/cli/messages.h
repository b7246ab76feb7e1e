// SPDX-License-Identifier: GPL-3.0-or-later
// What orvane-shift prints about files and failures, in its own words.
#pragma once

#include <filesystem>
#include <string>

#include "textio/failure.h"

namespace orvane::cli {

// A file name as UTF-8 with control characters ("\n", "\x1b"), C1 controls
// and right-to-left marks ("\u202e") and bytes that are not UTF-8 ("\xff")
// escaped, so a name can never move the cursor, fake a line of output or
// turn a line around.
std::string ShowPath(const std::filesystem::path& path);

// Why a file failed, without its name: "cannot open: Permission denied".
std::string FailureText(const textio::Failure& failure);

}  // namespace orvane::cli
