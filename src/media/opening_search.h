// SPDX-License-Identifier: GPL-3.0-or-later
// Where an episode's opening lies: the opening clip's sound looked for in
// the sound of the episode's first minutes. For the window and orvane-shift
// alike; each words its failures in its own language.
#pragma once

#include <atomic>
#include <filesystem>

#include "media/audio.h"
#include "media/clip_search.h"
#include "media/opening_clip.h"

namespace orvane::media {

struct OpeningSearch {
    std::filesystem::path clip;
    std::filesystem::path episode;
    double searchSeconds = 600;  // of the episode's start
};

struct OpeningFound {
    enum class Unread { kNone, kClip, kEpisode };
    Unread unread = Unread::kNone;  // whose sound could not be read
    AudioResult audio;              // that reading; kStopped when a stop was asked
    ClipMatch match;                // with both read: the best lag, believed or not

    bool Found() const { return unread == Unread::kNone && match.found; }
};

// Reads the clip's sound (no opening is longer than kMaxOpeningSeconds)
// and the episode's first `searchSeconds` at the default AudioOptions, and
// finds the one in the other. `progress` gets the share of the work done,
// 0 to 1; `stop` is checked while reading. Never throws.
OpeningFound FindOpening(const OpeningSearch& search, const AudioProgress& progress = {},
                         const std::atomic<bool>* stop = nullptr);

}  // namespace orvane::media
