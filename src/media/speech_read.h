// SPDX-License-Identifier: GPL-3.0-or-later
// Where people speak in a video or a sound: its audio decoded and judged
// frame by frame, as the spans of speech an alignment lays the cues over.
// For the window and orvane-shift alike.
#pragma once

#include <atomic>
#include <filesystem>
#include <vector>

#include "media/audio.h"
#include "media/speech.h"

namespace orvane::media {

struct SpeechRead {
    AudioResult audio;              // how the decoding went
    std::vector<SpeechSpan> spans;  // in order; none with the audio read: no speech in it
    bool NoSpeech() const { return audio.error == AudioError::kNone && spans.empty(); }
};

// The speech of `path`'s chosen audio stream from `options.startAt` on.
// `progress` and `stop` as DecodeAudio takes them. Never throws.
SpeechRead ReadSpeech(const std::filesystem::path& path, const AudioOptions& options,
                      const AudioProgress& progress = {}, const std::atomic<bool>* stop = nullptr);

}  // namespace orvane::media
