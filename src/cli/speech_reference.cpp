// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/speech_reference.h"

#include "media/audio.h"
#include "media/speech.h"

namespace orvane::cli {

std::optional<std::vector<engine::Interval>> ReadSpeechReference(const SyncOptions& sync,
                                                                 std::string& error) {
    media::AudioOptions audio;
    audio.audioStream = sync.audioStream;
    audio.startAt = sync.startAt;
    media::SpeechDetector detector(audio.sampleRate);
    const media::AudioResult result = media::DecodeAudio(
        sync.reference, audio, [&](const media::AudioBlock& block) { detector.Add(block); });
    if (result.error != media::AudioError::kNone) {
        error = media::AudioErrorText(result, audio);
        return std::nullopt;
    }
    std::vector<engine::Interval> speech;
    for (const media::SpeechSpan& span : detector.Finish()) {
        speech.push_back({span.start, span.end});
    }
    if (speech.empty()) {
        error = "no speech found in its sound";
        return std::nullopt;
    }
    return speech;
}

}  // namespace orvane::cli
