// SPDX-License-Identifier: GPL-3.0-or-later
// The sound of a media file, decoded by FFmpeg's libraries into mono samples
// at a low rate and handed over block by block, so a two-hour film is never
// held whole. Times are those the file plays at: a sound one second into the
// playback reads as 1.000, encoder priming and pre-skip taken off.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

namespace orvane::media {

struct AudioOptions {
    int audioStream = 0;    // the N-th audio stream of the file, from 0
    int sampleRate = 8000;  // of the samples handed over: 8000 or 16000
    double startAt = 0;     // seconds; the sound before it is not handed over
};

// A run of samples in [-1, 1]; `start` is the playing time of the first.
struct AudioBlock {
    double start = 0;
    std::span<const float> samples;
};

using AudioSink = std::function<void(const AudioBlock& block)>;
// Called now and then with the share of the file read so far, 0 to 1.
using AudioProgress = std::function<void(double fraction)>;

enum class AudioError {
    kNone,
    kUnreadable,    // missing, not a file, or no container FFmpeg knows
    kNoAudio,       // no audio stream at all
    kNoSuchStream,  // fewer audio streams than the number asked for
    kNoDecoder,     // a codec this FFmpeg cannot decode
    kDamaged,       // the stream breaks off or cannot be decoded
    kStopped,       // the stop request was seen
    kNoLibrary,     // FFmpeg's libraries are missing (detail: which)
};

struct AudioResult {
    AudioError error = AudioError::kNone;
    std::string detail;  // FFmpeg's own words, when it gave any
    double seconds = 0;  // playing time of the samples handed over, to their end
};

// Decodes the chosen audio stream of `path`, handing its samples to `sink`
// in order and without gaps (a gap in the stream is handed over as silence).
// `stop`, when given, is checked between packets. Never throws.
AudioResult DecodeAudio(const std::filesystem::path& path, const AudioOptions& options,
                        const AudioSink& sink, const AudioProgress& progress = {},
                        const std::atomic<bool>* stop = nullptr);

// The failure in English words, without the file name: "has no audio stream".
std::string AudioErrorText(const AudioResult& result, const AudioOptions& options);

}  // namespace orvane::media
