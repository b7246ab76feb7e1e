// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/speech_read.h"

namespace orvane::media {

SpeechRead ReadSpeech(const std::filesystem::path& path, const AudioOptions& options,
                      const AudioProgress& progress, const std::atomic<bool>* stop) {
    SpeechRead read;
    SpeechDetector detector(options.sampleRate);
    read.audio = DecodeAudio(
        path, options, [&](const AudioBlock& block) { detector.Add(block); }, progress, stop);
    if (read.audio.error == AudioError::kNone) {
        read.spans = detector.Finish();
    }
    return read;
}

}  // namespace orvane::media
