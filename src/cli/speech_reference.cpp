// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/speech_reference.h"

#include "cli/messages.h"
#include "media/audio.h"
#include "media/opening_search.h"
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

std::optional<OpeningSpan> FindOpeningInEpisode(const FindOpeningOptions& find,
                                                std::string& error) {
    const media::OpeningFound found =
        media::FindOpening({find.clip, find.episode, find.searchSeconds});
    if (found.unread != media::OpeningFound::Unread::kNone) {
        const bool clip = found.unread == media::OpeningFound::Unread::kClip;
        error = ShowPath(clip ? find.clip : find.episode) + ": " +
                media::AudioErrorText(found.audio, media::AudioOptions{});
        return std::nullopt;
    }
    const media::ClipMatch& match = found.match;
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
