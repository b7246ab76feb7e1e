// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/speech_reference.h"

#include <atomic>

#include "cli/messages.h"
#include "media/audio.h"
#include "media/clip_search.h"
#include "media/speech.h"
#include "media/speech_read.h"

namespace orvane::cli {

std::optional<std::vector<engine::Interval>> ReadSpeechReference(const SyncOptions& sync,
                                                                 std::string& error) {
    media::AudioOptions audio;
    audio.audioStream = sync.audioStream;
    audio.startAt = sync.startAt;
    const media::SpeechRead read = media::ReadSpeech(sync.reference, audio);
    if (read.audio.error != media::AudioError::kNone) {
        error = media::AudioErrorText(read.audio, audio);
        return std::nullopt;
    }
    if (read.NoSpeech()) {
        error = "no speech found in its sound";
        return std::nullopt;
    }
    std::vector<engine::Interval> speech;
    speech.reserve(read.spans.size());
    for (const media::SpeechSpan& span : read.spans) {
        speech.push_back({span.start, span.end});
    }
    return speech;
}

namespace {

// The whole sound of `path` up to `limit` seconds, or nothing with `error` set.
std::optional<std::vector<float>> ReadSound(const std::filesystem::path& path, double limit,
                                            std::string& error) {
    const media::AudioOptions audio;
    std::vector<float> samples;
    const auto wanted = static_cast<std::size_t>(limit * audio.sampleRate);
    std::atomic<bool> enough{false};
    const media::AudioResult result = media::DecodeAudio(
        path, audio,
        [&](const media::AudioBlock& block) {
            const std::size_t room = wanted - samples.size();
            const std::size_t take = std::min(room, block.samples.size());
            samples.insert(samples.end(), block.samples.begin(),
                           block.samples.begin() + static_cast<std::ptrdiff_t>(take));
            enough = samples.size() >= wanted;
        },
        {}, &enough);
    if (result.error != media::AudioError::kNone && result.error != media::AudioError::kStopped) {
        error = ShowPath(path) + ": " + media::AudioErrorText(result, audio);
        return std::nullopt;
    }
    return samples;
}

}  // namespace

std::optional<OpeningSpan> FindOpeningInEpisode(const FindOpeningOptions& find,
                                                std::string& error) {
    // An opening is never longer than the window's limit of two minutes.
    const std::optional<std::vector<float>> clip = ReadSound(find.clip, 120.0, error);
    if (!clip) {
        return std::nullopt;
    }
    const std::optional<std::vector<float>> episode =
        ReadSound(find.episode, find.searchSeconds, error);
    if (!episode) {
        return std::nullopt;
    }
    const media::ClipMatch match =
        media::FindClip(*clip, *episode, media::AudioOptions{}.sampleRate);
    if (!match.found) {
        error = ShowPath(find.clip) + ": its sound is not in the first " +
                std::to_string(static_cast<long>(find.searchSeconds)) + " s of " +
                ShowPath(find.episode) + " (best match " +
                std::to_string(match.score).substr(0, 4) + " at " + std::to_string(match.start) +
                " s; --search T looks further)";
        return std::nullopt;
    }
    return OpeningSpan{match.start, match.end, match.score};
}

}  // namespace orvane::cli
