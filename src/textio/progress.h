// SPDX-License-Identifier: GPL-3.0-or-later
// Progress reports from long loops; each front end words them itself.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace orvane::textio {

enum class ProgressStage {
    Reading,   // lines read from the file
    Shifting,  // lines shifted
};

struct Progress {
    ProgressStage stage = ProgressStage::Reading;
    std::size_t current = 0;  // index of the line in hand
    std::size_t last = 0;     // last index of the list
    bool forShifter = false;  // reading for a shifter, which may name the file in `suffix`
    std::string_view suffix;
};

// Called once per line; cheap, so callers decide how often to repaint.
using ProgressFn = std::function<void(const Progress&)>;

}  // namespace orvane::textio
