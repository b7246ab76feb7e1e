// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/timing_beside.h"

#include <utility>

namespace orvane::cli {

std::optional<std::string> FirstTimingOption(const TimingGiven& given) {
    const std::pair<bool, const char*> options[] = {
        {given.cut, "--cut"},     {given.advance, "--advance"}, {given.direct, "--direct"},
        {given.later, "--later"}, {given.opening, "--opening"}, {given.range, "--from and --until"},
        {given.fps, "--fps"},     {given.point, "--point"},
    };
    for (const auto& [present, name] : options) {
        if (present) {
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace orvane::cli
