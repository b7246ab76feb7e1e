// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/audio.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <vector>

#include "support/speech_fixture.h"
#include "support/temp_dir.h"

namespace orvane::media {
namespace {
using orvane::testing::HaveProgram;
using orvane::testing::RunQuietly;
using orvane::testing::TempDir;

// Half a second of a 440 Hz tone at half of full scale, starting at 1.000 s,
// then a second of silence.
const char* const kToneAtOneSecond =
    "-f lavfi -i \"sine=frequency=440:duration=0.5,volume=4,adelay=1000:all=1,apad=pad_dur=1\"";

std::filesystem::path MakeMedia(const TempDir& dir, const std::string& name,
                                const std::string& input, const std::string& encode) {
    const std::filesystem::path path = dir / name;
    if (!RunQuietly("ffmpeg -nostdin -y " + input + " " + encode + " \"" + path.string() + "\"")) {
        return {};
    }
    return path;
}

// The playing time of the first sample at least half as loud as the tone.
double Onset(const std::filesystem::path& path, const AudioOptions& options, AudioResult* result) {
    double onset = -1;
    *result = DecodeAudio(path, options, [&](const AudioBlock& block) {
        for (std::size_t i = 0; i < block.samples.size() && onset < 0; ++i) {
            if (std::abs(block.samples[i]) >= 0.25F) {
                onset = block.start + static_cast<double>(i) / options.sampleRate;
            }
        }
    });
    return onset;
}

struct ToneCase {
    const char* name;
    const char* file;
    const char* encode;
    int sampleRate;
};

TEST(DecodeAudio, ReadsTheToneAtItsPlayingTime) {
    if (!HaveProgram("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const ToneCase cases[] = {
        {"AAC in MP4", "tone.mp4", "-ar 44100 -c:a aac -b:a 96k", 8000},
        {"Opus in Matroska", "tone.mkv", "-ar 48000 -c:a libopus -b:a 64k", 8000},
        {"Opus in Matroska at 16 kHz", "tone.mkv", "-ar 48000 -c:a libopus -b:a 64k", 16000},
        {"stereo PCM in WAV", "tone.wav", "-ac 2 -ar 22050", 8000},
    };
    const TempDir dir;
    for (const ToneCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path path = MakeMedia(dir, c.file, kToneAtOneSecond, c.encode);
        ASSERT_FALSE(path.empty());
        AudioOptions options;
        options.sampleRate = c.sampleRate;
        AudioResult result;
        const double onset = Onset(path, options, &result);
        ASSERT_EQ(result.error, AudioError::kNone) << result.detail;
        EXPECT_NEAR(onset, 1.000, 0.010);
        EXPECT_NEAR(result.seconds, 2.5, 0.05);
    }
}

// PCM without named channels once made a new resampler for every frame, each
// losing a little sound: 14 ms by 95 s.
TEST(DecodeAudio, StaysOnTimeThroughALongStream) {
    if (!HaveProgram("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const char* const kToneAt95 =
        "-f lavfi -i "
        "\"sine=frequency=440:duration=0.5,volume=4,adelay=95000:all=1,apad=pad_dur=1\"";
    const ToneCase cases[] = {
        {"PCM in WAV", "late.wav", "-c:a pcm_s16le", 8000},
        {"PCM in Matroska", "late.mkv", "-c:a pcm_s16le", 8000},
        {"AAC in MP4", "late.mp4", "-c:a aac", 8000},
    };
    const TempDir dir;
    for (const ToneCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path path = MakeMedia(dir, c.file, kToneAt95, c.encode);
        ASSERT_FALSE(path.empty());
        AudioResult result;
        EXPECT_NEAR(Onset(path, {}, &result), 95.000, 0.010);
        EXPECT_NEAR(result.seconds, 96.5, 0.01);
    }
}

TEST(DecodeAudio, StartsAtTheAskedTimeAndPicksTheAskedStream) {
    if (!HaveProgram("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const TempDir dir;
    // Stream 0 is silence, stream 1 the tone.
    const std::filesystem::path path =
        MakeMedia(dir, "two.mkv",
                  "-f lavfi -i \"anullsrc=r=48000:cl=mono:d=2.5\" " + std::string(kToneAtOneSecond),
                  "-map 0:a -map 1:a -c:a libopus");
    ASSERT_FALSE(path.empty());
    AudioOptions options;
    options.audioStream = 1;
    options.startAt = 0.5;
    double firstBlock = -1;
    AudioResult result = DecodeAudio(path, options, [&](const AudioBlock& block) {
        if (firstBlock < 0) {
            firstBlock = block.start;
        }
    });
    ASSERT_EQ(result.error, AudioError::kNone) << result.detail;
    EXPECT_DOUBLE_EQ(firstBlock, 0.5);
    EXPECT_NEAR(Onset(path, options, &result), 1.000, 0.010);

    options.audioStream = 0;
    EXPECT_LT(Onset(path, options, &result), 0) << "stream 0 is silent";
}

TEST(DecodeAudio, SaysWhatIsWrong) {
    if (!HaveProgram("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const TempDir dir;
    const std::filesystem::path silentFilm =
        MakeMedia(dir, "picture.mp4", "-f lavfi -i \"color=c=black:s=64x64:d=1\"", "-c:v mpeg4");
    ASSERT_FALSE(silentFilm.empty());
    const std::filesystem::path tone = MakeMedia(dir, "tone.mkv", kToneAtOneSecond, "-c:a libopus");
    ASSERT_FALSE(tone.empty());
    // FFmpeg reads a subtitle file as a container without sound.
    const std::filesystem::path subtitle =
        dir.Write("cues.srt", "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    const std::filesystem::path garbage = dir.Write("noise.mkv", std::string(64, '\x07'));

    struct Case {
        const char* name;
        std::filesystem::path path;
        int stream;
        AudioError error;
        const char* message;
    };
    const Case cases[] = {
        {"a picture without sound", silentFilm, 0, AudioError::kNoAudio, "has no audio stream"},
        {"a stream the file lacks", tone, 1, AudioError::kNoSuchStream,
         "has no audio stream 1 (it has 1, counted from 0)"},
        {"a subtitle file", subtitle, 0, AudioError::kNoAudio, "has no audio stream"},
        {"bytes of no known kind", garbage, 0, AudioError::kUnreadable, nullptr},
        {"no file at all", dir / "missing.mkv", 0, AudioError::kUnreadable,
         "cannot be read as a media file (not an ordinary file)"},
        {"a folder", dir.path(), 0, AudioError::kUnreadable,
         "cannot be read as a media file (not an ordinary file)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AudioOptions options;
        options.audioStream = c.stream;
        int blocks = 0;
        const AudioResult result =
            DecodeAudio(c.path, options, [&](const AudioBlock&) { ++blocks; });
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(blocks, 0);
        if (c.message != nullptr) {
            EXPECT_EQ(AudioErrorText(result, options), c.message);
        }
    }
}

TEST(DecodeAudio, ReportsProgressAndStopsWhenAsked) {
    if (!HaveProgram("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const TempDir dir;
    const std::filesystem::path path = MakeMedia(dir, "tone.mp4", kToneAtOneSecond, "-c:a aac");
    ASSERT_FALSE(path.empty());
    std::vector<double> fractions;
    AudioResult result = DecodeAudio(
        path, {}, [](const AudioBlock&) {},
        [&](double fraction) { fractions.push_back(fraction); });
    ASSERT_EQ(result.error, AudioError::kNone);
    ASSERT_FALSE(fractions.empty());
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_EQ(fractions.back(), 1.0);

    std::atomic<bool> stop{false};
    int blocks = 0;
    result = DecodeAudio(
        path, {}, [&](const AudioBlock&) { stop = ++blocks >= 3; }, {}, &stop);
    EXPECT_EQ(result.error, AudioError::kStopped);
    EXPECT_EQ(AudioErrorText(result, {}), "stopped");
}

}  // namespace
}  // namespace orvane::media
