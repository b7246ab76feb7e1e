// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/retime_values.h"

#include "cli/options.h"

namespace orvane::cli {

std::optional<FrameRateChange> ParseFrameRateChange(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<engine::FrameRate> from = engine::ParseFrameRate(text.substr(0, colon));
    const std::optional<engine::FrameRate> to = engine::ParseFrameRate(text.substr(colon + 1));
    if (!from || !to) {
        return std::nullopt;
    }
    std::string shown(text);
    shown.replace(colon, 1, " to ");
    return FrameRateChange{*from, *to, shown};
}

std::optional<SyncPoint> ParseSyncPoint(std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<double> now = ParseTimeArgument(text.substr(0, eq));
    const std::optional<double> right = ParseTimeArgument(text.substr(eq + 1));
    if (!now || !right) {
        return std::nullopt;
    }
    return SyncPoint{*now, *right};
}

std::string RetimingText(const engine::TimingMap& map, const std::string& what) {
    return engine::MapFormula(map) + " s (" + what + ")";
}

}  // namespace orvane::cli
