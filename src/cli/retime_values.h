// SPDX-License-Identifier: GPL-3.0-or-later
// The values of orvane-shift's retiming options: --fps FROM:TO and
// --point NOW=RIGHT, and how a retiming is shown in the report.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/retime.h"
#include "engine/timing_map.h"

namespace orvane::cli {

// "25:23.976": the frame rate a file was made for, and the one it is for now.
struct FrameRateChange {
    engine::FrameRate from;
    engine::FrameRate to;
    std::string text;
};

std::optional<FrameRateChange> ParseFrameRateChange(std::string_view text);

// "T=U": a time in the file now, and where it belongs.
struct SyncPoint {
    double now = 0;
    double right = 0;
};

std::optional<SyncPoint> ParseSyncPoint(std::string_view text);

// "t × 1.04270833 + 0.000 s (frame rate 25 to 23.976)", for the report.
std::string RetimingText(const engine::TimingMap& map, const std::string& what);

}  // namespace orvane::cli
