// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace orvane::engine {

// What a user wants to know after a file was shifted.
struct ShiftStats {
    std::size_t shifted = 0;   // cues whose times were moved
    std::size_t dropped = 0;   // cues wholly inside the opening, or moved wholly below zero
    std::size_t trimmed = 0;   // cues across the cut (or zero), now starting (or ending) at it
    std::size_t kept = 0;      // cues outside the range to move or before the cut, as they were
    std::size_t untimed = 0;   // cues whose time line could not be read, left as they were
    double largestChange = 0;  // seconds: the most a moved time moved, either way
};

}  // namespace orvane::engine
