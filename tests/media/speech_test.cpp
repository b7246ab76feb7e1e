// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/speech.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "media/audio.h"
#include "support/speech_fixture.h"
#include "support/temp_dir.h"

namespace orvane::media {
namespace {
using orvane::testing::FixtureCue;
using orvane::testing::TempDir;

TEST(TidySpans, BridgesShortPausesThenDropsShortSpans) {
    struct Case {
        const char* name;
        std::vector<SpeechSpan> spans;
        std::vector<SpeechSpan> tidy;
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        {"a pause of 0.1 s is bridged", {{1.0, 1.2}, {1.3, 1.5}}, {{1.0, 1.5}}},
        {"a pause of 0.5 s is kept", {{1.0, 1.4}, {1.9, 2.3}}, {{1.0, 1.4}, {1.9, 2.3}}},
        {"a 0.2 s span alone is dropped", {{1.0, 1.2}, {3.0, 4.0}}, {{3.0, 4.0}}},
        {"short spans that bridge into a long one stay", {{1.0, 1.15}, {1.25, 1.4}}, {{1.0, 1.4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<SpeechSpan> tidy = TidySpans(c.spans, {});
        ASSERT_EQ(tidy.size(), c.tidy.size());
        for (std::size_t i = 0; i < tidy.size(); ++i) {
            EXPECT_DOUBLE_EQ(tidy[i].start, c.tidy[i].start);
            EXPECT_DOUBLE_EQ(tidy[i].end, c.tidy[i].end);
        }
    }
}

// A voice-like sound: a 150 Hz buzz with its harmonics, rising and falling
// four times a second as syllables do.
std::vector<float> Buzz(int rate, double seconds) {
    std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        double value = 0;
        for (int harmonic = 1; harmonic <= 8; ++harmonic) {
            value +=
                std::sin(2 * std::numbers::pi * 150 * harmonic * static_cast<double>(i) / rate) /
                harmonic;
        }
        const double syllables =
            0.15 + 0.85 * std::abs(std::sin(4 * std::numbers::pi * static_cast<double>(i) / rate));
        samples[i] = static_cast<float>(0.2 * syllables * value);
    }
    return samples;
}

TEST(SpeechDetector, FindsLoudVoicedStretchesOverSilence) {
    const int rate = 8000;
    SpeechDetector detector(rate);
    const std::vector<float> silence(static_cast<std::size_t>(rate), 0.0F);
    const std::vector<float> long_buzz = Buzz(rate, 1.5);
    const std::vector<float> short_buzz = Buzz(rate, 0.15);
    // 0-1 s silence, 1-2.5 buzz, 2.5-3.5 silence, 3.5-3.65 buzz, then silence.
    double at = 0;
    for (const std::vector<float>* part : {&silence, &long_buzz, &silence, &short_buzz, &silence}) {
        detector.Add({at, *part});
        at += static_cast<double>(part->size()) / rate;
    }
    const std::vector<SpeechSpan> spans = detector.Finish();
    ASSERT_EQ(spans.size(), 1U) << "the 0.15 s buzz is too short for speech";
    EXPECT_NEAR(spans[0].start, 1.0, 0.011);
    EXPECT_NEAR(spans[0].end, 2.5, 0.011);
}

// Music-like tones: two held notes at a time, changing every half second,
// as loud as the buzz.
TEST(SpeechDetector, HeldTonesAreNotSpeech) {
    const int rate = 8000;
    SpeechDetector detector(rate);
    const std::vector<float> silence(static_cast<std::size_t>(rate), 0.0F);
    detector.Add({0, silence});
    std::vector<float> tones(static_cast<std::size_t>(20 * rate));
    for (std::size_t i = 0; i < tones.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double step = std::floor(2 * t);
        tones[i] = static_cast<float>(
            0.25 * std::sin(2 * std::numbers::pi * (220 + 55 * std::fmod(step, 6)) * t) +
            0.2 * std::sin(2 * std::numbers::pi * (330 + 82.5 * std::fmod(step, 4)) * t));
    }
    detector.Add({1, tones});
    double heard = 0;
    for (const SpeechSpan& span : detector.Finish()) {
        heard += span.end - span.start;
    }
    // At most their first second, while the silence before is still in mind.
    EXPECT_LT(heard, 1.1);
}

// How much of [start, end) the spans cover.
double Covered(const std::vector<SpeechSpan>& spans, double start, double end) {
    double covered = 0;
    for (const SpeechSpan& span : spans) {
        covered += std::max(0.0, std::min(end, span.end) - std::max(start, span.start));
    }
    return covered;
}

TEST(SpeechDetector, FindsTheSpokenCuesOfAFilm) {
    if (!orvane::testing::CanSpeak()) {
        GTEST_SKIP() << "espeak-ng, ffmpeg or python3 is not installed";
    }
    const TempDir dir;
    std::vector<FixtureCue> cues = orvane::testing::FixtureCues();
    cues.resize(12);  // the first minute is enough here
    const std::filesystem::path srt = dir.Write("cues.srt", orvane::testing::SrtText(cues, 0));
    struct Case {
        const char* name;
        const char* file;
        const char* encode;
        const char* noise;
        double falseShare;  // of the speech found, at most this much lies outside the cues
    };
    const Case cases[] = {
        {"over silence, Opus in Matroska", "film.mkv", "-c:a libopus -b:a 48k", "", 0.1},
        {"over noise 10 dB down, AAC in MP4", "noisy.mp4", "-c:a aac -b:a 64k", "10", 0.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path film = dir / c.file;
        ASSERT_TRUE(orvane::testing::MakeSpokenFilm(srt, film, c.encode, c.noise));
        SpeechDetector detector(8000);
        const AudioResult result =
            DecodeAudio(film, {}, [&](const AudioBlock& block) { detector.Add(block); });
        ASSERT_EQ(result.error, AudioError::kNone);
        const std::vector<SpeechSpan> spans = detector.Finish();
        double speech = 0;
        for (const SpeechSpan& span : spans) {
            speech += span.end - span.start;
        }
        double spoken = 0;
        for (const FixtureCue& cue : cues) {
            SCOPED_TRACE(cue.text);
            // Most of every cue is heard, and its first words on time.
            EXPECT_GT(Covered(spans, cue.start, cue.end), 0.6 * (cue.end - cue.start));
            EXPECT_GT(Covered(spans, cue.start, cue.start + 0.3), 0.1);
            spoken += Covered(spans, cue.start, cue.end);
        }
        // Little speech is found where nobody speaks.
        EXPECT_LT(speech - spoken, c.falseShare * speech);
    }
}

}  // namespace
}  // namespace orvane::media
