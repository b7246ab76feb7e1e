// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "engine/shift_stats.h"

namespace orvane::engine {

// What a shifter makes of a file's lines: the output text (CR LF line ends),
// or the reason the file cannot be shifted.
struct ShiftOutput {
    bool ok = false;
    std::string error;  // for the user, when !ok
    std::string text;
    ShiftStats stats;
};

}  // namespace orvane::engine
