// SPDX-License-Identifier: GPL-3.0-or-later
// --sync-to VIDEO: where people speak in the video's sound, as the intervals
// the aligner lays the cues over. Built only with the media area.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "engine/align.h"

namespace orvane::cli {

// The speech spans of the reference's chosen audio stream from its start
// time on; nothing, with `error` set, when its sound cannot be read or holds
// no speech.
std::optional<std::vector<engine::Interval>> ReadSpeechReference(const SyncOptions& sync,
                                                                 std::string& error);

}  // namespace orvane::cli
