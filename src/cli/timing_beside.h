// SPDX-License-Identifier: GPL-3.0-or-later
// Runs that find their own amounts (--sync-to, --find-opening with files)
// leave no room for an amount given by hand.
#pragma once

#include <optional>
#include <string>

namespace orvane::cli {

// The timing options given on a command line.
struct TimingGiven {
    bool cut = false;
    bool advance = false;
    bool direct = false;
    bool later = false;
    bool opening = false;
    bool range = false;  // --from or --until
    bool fps = false;
    bool point = false;
};

// The first of them given, as the user would write it; nothing when none is.
std::optional<std::string> FirstTimingOption(const TimingGiven& given);

}  // namespace orvane::cli
