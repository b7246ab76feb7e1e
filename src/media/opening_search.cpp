// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/opening_search.h"

#include <algorithm>
#include <vector>

namespace orvane::media {
namespace {

// The whole sound of `path` up to `limit` seconds into `samples`; the share
// read so far, of `limit`, goes to `progress`.
AudioResult ReadSound(const std::filesystem::path& path, double limit,
                      const AudioProgress& progress, const std::atomic<bool>* stop,
                      std::vector<float>& samples) {
    const AudioOptions audio;
    const auto wanted = static_cast<std::size_t>(limit * audio.sampleRate);
    std::atomic<bool> enough{false};
    AudioResult result = DecodeAudio(
        path, audio,
        [&](const AudioBlock& block) {
            const std::size_t room = wanted - samples.size();
            const std::size_t take = std::min(room, block.samples.size());
            samples.insert(samples.end(), block.samples.begin(),
                           block.samples.begin() + static_cast<std::ptrdiff_t>(take));
            enough = samples.size() >= wanted || (stop != nullptr && stop->load());
            if (progress && wanted > 0) {
                progress(static_cast<double>(samples.size()) / static_cast<double>(wanted));
            }
        },
        {}, &enough);
    if (stop != nullptr && stop->load()) {
        result.error = AudioError::kStopped;
    } else if (result.error == AudioError::kStopped) {
        result.error = AudioError::kNone;  // read as far as wanted
    }
    return result;
}

}  // namespace

OpeningFound FindOpening(const OpeningSearch& search, const AudioProgress& progress,
                         const std::atomic<bool>* stop) {
    OpeningFound found;
    std::vector<float> clip;
    found.audio = ReadSound(search.clip, kMaxOpeningSeconds, {}, stop, clip);
    if (found.audio.error != AudioError::kNone) {
        found.unread = OpeningFound::Unread::kClip;
        return found;
    }
    std::vector<float> episode;
    found.audio = ReadSound(
        search.episode, search.searchSeconds,
        [&](double fraction) {
            if (progress) {
                progress(0.9 * fraction);
            }
        },
        stop, episode);
    if (found.audio.error != AudioError::kNone) {
        found.unread = OpeningFound::Unread::kEpisode;
        return found;
    }
    found.match = FindClip(clip, episode, AudioOptions{}.sampleRate);
    if (progress) {
        progress(1.0);
    }
    return found;
}

}  // namespace orvane::media
