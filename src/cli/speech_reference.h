// SPDX-License-Identifier: GPL-3.0-or-later
// What orvane-shift reads from a video's sound: --sync-to VIDEO, where people
// speak, as the intervals the aligner lays the cues over; --find-opening,
// where the opening clip lies in an episode. Built only with the media area.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/runner.h"
#include "engine/align.h"

namespace orvane::cli {

// The speech spans of the reference's chosen audio stream from its start
// time on; nothing, with `error` set, when its sound cannot be read or holds
// no speech.
std::optional<std::vector<engine::Interval>> ReadSpeechReference(const SyncOptions& sync,
                                                                 std::string& error);

// The span of the episode's first `searchSeconds` whose sound matches the
// clip's; nothing, with `error` set, when either cannot be read or the clip
// is not there.
std::optional<OpeningSpan> FindOpeningInEpisode(const FindOpeningOptions& find, std::string& error);

}  // namespace orvane::cli
