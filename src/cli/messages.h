// SPDX-License-Identifier: GPL-3.0-or-later
// What orvane-shift prints about files and failures, in its own words.
#pragma once

#include <filesystem>
#include <string>

#include "textio/failure.h"

namespace orvane::cli {

// A file name as UTF-8 with control characters escaped ("\n", "\x1b"), so a
// name can never move the cursor or fake a line of output.
std::string ShowPath(const std::filesystem::path& path);

// Why a file failed, without its name: "cannot open: Permission denied".
std::string FailureText(const textio::Failure& failure);

}  // namespace orvane::cli
