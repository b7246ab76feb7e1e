// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-shift --sync-to VIDEO over a spoken film made at test time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/runner.h"
#include "cli/speech_reference.h"
#include "support/speech_fixture.h"
#include "support/temp_dir.h"

namespace orvane::cli {
namespace {
using orvane::testing::FixtureCue;
using orvane::testing::ReadBytes;
using orvane::testing::RunQuietly;
using orvane::testing::SrtText;
using orvane::testing::TempDir;

struct RunOutput {
    int status = -1;
    std::string out;
    std::string err;
};

RunOutput RunWithVideo(const std::vector<std::string>& args) {
    RunEnvironment environment;
    environment.readSpeech = ReadSpeechReference;
    environment.findOpening = FindOpeningInEpisode;
    std::ostringstream out;
    std::ostringstream err;
    RunOutput result;
    result.status = Run(args, out, err, environment);
    result.out = out.str();
    result.err = err.str();
    return result;
}

// The offsets of the printed map's segments.
std::vector<double> Offsets(const std::string& printed) {
    static const std::regex kSegment(R"(([+-][0-9]+\.[0-9]{3}) s  \()");
    std::vector<double> offsets;
    for (std::sregex_iterator it(printed.begin(), printed.end(), kSegment), end; it != end; ++it) {
        offsets.push_back(std::stod((*it)[1].str()));
    }
    return offsets;
}

// The start and end of every cue of an SRT text, in order.
std::vector<double> Times(const std::string& srt) {
    static const std::regex kTime(R"((\d\d):(\d\d):(\d\d),(\d\d\d))");
    std::vector<double> times;
    for (std::sregex_iterator it(srt.begin(), srt.end(), kTime), end; it != end; ++it) {
        times.push_back(std::stod((*it)[1]) * 3600 + std::stod((*it)[2]) * 60 +
                        std::stod((*it)[3]) + std::stod((*it)[4]) / 1000);
    }
    return times;
}

// Music-like tones: two voices stepping through notes, for aevalsrc.
const std::string kTones =
    "aevalsrc=exprs='0.25*sin(2*PI*(220+55*mod(floor(2*t)\\,6))*t)"
    "+0.2*sin(2*PI*(330+82.5*mod(floor(3*t)\\,4))*t)':s=48000";

// A copy of `media` named `name`, damaged: cut off after two fifths of its
// bytes, or with its middle third overwritten by noise.
std::filesystem::path Damaged(const std::filesystem::path& media, const std::string& name,
                              bool holed) {
    std::string bytes = ReadBytes(media);
    if (holed) {
        std::uint32_t state = 1;
        for (std::size_t i = bytes.size() / 3; i < 2 * bytes.size() / 3; ++i) {
            state = state * 1664525U + 1013904223U;
            bytes[i] = static_cast<char>(state >> 24);
        }
    } else {
        bytes.resize(2 * bytes.size() / 5);
    }
    std::filesystem::path damaged = media.parent_path() / name;
    std::ofstream(damaged, std::ios::binary) << bytes;
    return damaged;
}

TEST(SyncToVideo, FindsTheOffsetOfTheSpeechOrRefuses) {
    if (!orvane::testing::CanSpeak()) {
        GTEST_SKIP() << "espeak-ng, ffmpeg or python3 is not installed";
    }
    const TempDir dir;
    const std::vector<FixtureCue> cues = orvane::testing::FixtureCues();
    const std::filesystem::path truth = dir.Write("truth.srt", SrtText(cues, 0));
    const std::filesystem::path film = dir / "film.mkv";
    ASSERT_TRUE(orvane::testing::MakeSpokenFilm(truth, film, "-c:a libopus -b:a 32k"));

    struct Case {
        const char* name;
        double shift;  // of the subtitle against the film; the fix is -shift
    };
    const Case cases[] = {{"five seconds early", -5.0}, {"0.3 s late", 0.3}, {"45 s late", 45.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path subtitle = dir.Write("moved.srt", SrtText(cues, c.shift));
        const RunOutput run = RunWithVideo(
            {"--sync-to", film.string(), "--dry-run", "--no-fps-guess", subtitle.string()});
        EXPECT_EQ(run.status, kExitOk) << run.err;
        const std::vector<double> offsets = Offsets(run.out);
        ASSERT_EQ(offsets.size(), 1U) << run.out;
        EXPECT_NEAR(offsets[0], -c.shift, 0.08) << run.out;
    }

    const std::string unrelated = orvane::testing::UnrelatedSrt();
    const std::filesystem::path other = dir.Write("other.srt", unrelated);
    const std::filesystem::path outDir = dir / "out";
    const RunOutput refused =
        RunWithVideo({"--sync-to", film.string(), "-o", outDir.string(), other.string()});
    EXPECT_EQ(refused.status, kExitSomeFailed) << refused.out;
    EXPECT_NE(refused.err.find("unsure alignment"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(outDir / "other.srt"));
    EXPECT_EQ(orvane::testing::ReadBytes(other), unrelated);
}

TEST(SyncToVideo, SaysWhenTheVideoHasNoUsableSound) {
    if (!orvane::testing::HaveProgram("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const TempDir dir;
    const std::filesystem::path picture = dir / "picture.mp4";
    ASSERT_TRUE(
        orvane::testing::RunQuietly("ffmpeg -nostdin -y -f lavfi -i color=c=black:s=64x64:d=1 "
                                    "-c:v mpeg4 \"" +
                                    picture.string() + "\""));
    const std::filesystem::path quiet = dir / "quiet.mkv";
    ASSERT_TRUE(
        orvane::testing::RunQuietly("ffmpeg -nostdin -y -f lavfi -i anullsrc=r=48000:d=3 "
                                    "-c:a libopus \"" +
                                    quiet.string() + "\""));
    const std::filesystem::path music = dir / "music.mkv";
    ASSERT_TRUE(RunQuietly("ffmpeg -nostdin -y -f lavfi -i \"" + kTones +
                           ":d=60\" -c:a libopus -b:a 48k \"" + music.string() + "\""));
    const std::filesystem::path cutShort = Damaged(music, "cut-short.mkv", false);
    const std::filesystem::path holed = Damaged(music, "holed.mkv", true);
    const std::string subtitleText = SrtText(orvane::testing::FixtureCues(), 0);
    const std::filesystem::path subtitle = dir.Write("a.srt", subtitleText);
    struct Case {
        const char* name;
        std::vector<std::string> extra;
        std::filesystem::path video;
        const char* message;
    };
    const Case cases[] = {
        {"no audio stream", {}, picture, "has no audio stream; nothing written"},
        {"a missing stream",
         {"--audio-stream", "2"},
         quiet,
         "has no audio stream 2 (it has 1, counted from 0); nothing written"},
        {"only silence", {}, quiet, "no speech found in its sound; nothing written"},
        {"only music", {}, music, "no speech found in its sound; nothing written"},
        {"a file cut short", {}, cutShort, "its audio stream is damaged (it breaks off at "},
        {"a third of the file overwritten", {}, holed, "s of sound missing); nothing written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"--sync-to", c.video.string(), "--overwrite"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        args.push_back(subtitle.string());
        const RunOutput run = RunWithVideo(args);
        EXPECT_EQ(run.status, kExitSomeFailed);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(ReadBytes(subtitle), subtitleText);
    }

    // The opening is not looked for in an episode without usable sound, nor
    // with a clip without it; nothing is cut.
    const struct {
        const char* name;
        std::filesystem::path clip;
        std::filesystem::path episode;
        const char* message;
    } finds[] = {
        {"an episode without sound", music, picture,
         "picture.mp4: has no audio stream; nothing written"},
        {"an episode cut short", music, cutShort,
         "cut-short.mkv: its audio stream is damaged (it breaks off at "},
        {"a damaged clip", holed, music, "holed.mkv: its audio stream is damaged ("},
        {"a clip without sound", picture, music,
         "picture.mp4: has no audio stream; nothing written"},
    };
    for (const auto& c : finds) {
        SCOPED_TRACE(c.name);
        const RunOutput run = RunWithVideo({"--find-opening", c.clip.string(), "--in",
                                            c.episode.string(), "--overwrite", subtitle.string()});
        EXPECT_EQ(run.status, kExitSomeFailed);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(ReadBytes(subtitle), subtitleText);
    }
}

TEST(FindOpening, PrintsWhereTheClipsSoundIsInTheEpisode) {
    if (!orvane::testing::HaveProgram("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const TempDir dir;
    const std::string clip = (dir / "clip.wav").string();
    ASSERT_TRUE(orvane::testing::RunQuietly(
        "ffmpeg -nostdin -y -f lavfi -i anoisesrc=d=5:c=pink:r=48000:a=0.5:seed=1 \"" + clip +
        "\""));
    struct Case {
        const char* name;
        const char* file;
        const char* encode;
        int pastedAtMs;
        const char* printed;
    };
    const Case cases[] = {
        {"at the start, PCM in WAV", "first.wav", "-c:a pcm_s16le", 0,
         ": 00:00:00,000 - 00:00:05,000 (match"},
        // Noise survives a lossy codec only at a high rate (AAC replaces noise bands).
        {"at 95 s, Opus in Matroska", "later.mkv", "-c:a libopus -b:a 128k", 95000,
         ": 00:01:35,000 - 00:01:40,000 (match"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string episode = (dir / c.file).string();
        std::string paste =
            "ffmpeg -nostdin -y -f lavfi -i anoisesrc=d=120:c=pink:r=48000:a=0.1:seed=2 -i \"";
        paste += clip + "\" -filter_complex \"[1]adelay=" + std::to_string(c.pastedAtMs);
        paste += ":all=1[d];[0][d]amix=inputs=2:duration=first:normalize=0\" ";
        paste += std::string(c.encode) + " \"" + episode + "\"";
        ASSERT_TRUE(orvane::testing::RunQuietly(paste));
        const RunOutput run = RunWithVideo({"--find-opening", clip, "--in", episode});
        EXPECT_EQ(run.status, kExitOk) << run.err;
        EXPECT_NE(run.out.find(c.printed), std::string::npos) << run.out;

        // Given a subtitle, the span is cut from it: a cue across its start,
        // one inside, one across its end, one after.
        const double p = c.pastedAtMs / 1000.0;
        std::vector<FixtureCue> cues = {{p + 2, p + 3, "Inside."},
                                        {p + 4, p + 7, "Across the end."},
                                        {p + 15, p + 17, "After."}};
        std::vector<double> expected = {p, p + 2, p + 10, p + 12};
        if (p >= 3) {
            cues.insert(cues.begin(), {p - 3, p + 1, "Across the start."});
            expected.insert(expected.begin(), {p - 3, p});
        }
        const std::string name = std::string(c.file) + ".srt";
        const std::filesystem::path subtitle = dir.Write(name, SrtText(cues, 0));
        const std::filesystem::path outDir = dir / "out";
        const RunOutput cut = RunWithVideo(
            {"--find-opening", clip, "--in", episode, "-o", outDir.string(), subtitle.string()});
        EXPECT_EQ(cut.status, kExitOk) << cut.err;
        const std::vector<double> times = Times(ReadBytes(outDir / name));
        ASSERT_EQ(times.size(), expected.size()) << ReadBytes(outDir / name);
        for (std::size_t i = 0; i < times.size(); ++i) {
            EXPECT_NEAR(times[i], expected[i], 0.010) << i;
        }
    }

    const RunOutput missing = RunWithVideo(
        {"--find-opening", clip, "--in", (dir / "first.wav").string(), "--search", "3"});
    EXPECT_EQ(missing.status, kExitSomeFailed);
    EXPECT_NE(missing.err.find("its sound is not in the first 3 s of"), std::string::npos)
        << missing.err;
}

}  // namespace
}  // namespace orvane::cli
