// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-shift --sync-to VIDEO against known truth: every cue's start as
// written, against where its words are spoken in the film. One spoken track
// (and a copy with pink noise 10 dB under it) is made for the whole binary;
// each film is cut and encoded from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
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
using orvane::testing::RunQuietly;
using orvane::testing::SrtText;
using orvane::testing::TempDir;

// Music-like tones: two voices stepping through notes, over a drone.
std::string Tones(double seconds) {
    return "aevalsrc=exprs='0.25*sin(2*PI*(220+55*mod(floor(2*t)\\,6))*t)"
           "+0.2*sin(2*PI*(330+82.5*mod(floor(3*t)\\,4))*t)+0.1*sin(2*PI*660*t)'"
           ":s=22050:d=" +
           std::to_string(seconds);
}

class SyncAccuracy : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!orvane::testing::CanSpeak()) {
            return;
        }
        dir_ = std::make_unique<TempDir>();
        const std::filesystem::path truth = dir_->Write("truth.srt", SrtText(Cues(), 0));
        spoken_ = RunQuietly(std::string("python3 \"") + ORVANE_SPEAK_CUES + "\" \"" +
                             truth.string() + "\" \"" + Speech().string() + "\" --noisy 10 \"" +
                             NoisySpeech().string() + "\"");
    }
    static void TearDownTestSuite() { dir_.reset(); }

    void SetUp() override {
        if (!dir_) {
            GTEST_SKIP() << "espeak-ng, ffmpeg or python3 is not installed";
        }
        ASSERT_TRUE(spoken_) << "the spoken track could not be made";
    }

    static const std::vector<FixtureCue>& Cues() {
        static const std::vector<FixtureCue> cues = orvane::testing::FixtureCues();
        return cues;
    }
    static std::filesystem::path Speech() { return *dir_ / "speech.wav"; }
    static std::filesystem::path NoisySpeech() { return *dir_ / "noisy.wav"; }

    // Encodes `filter` (a filter graph over the speech as [0] and tones of
    // `toneSeconds` as [t], ending in [out]) into `name`; with no filter,
    // the speech alone.
    static std::filesystem::path Film(const std::string& name, const std::string& filter,
                                      double toneSeconds, const std::string& encode) {
        const std::filesystem::path film = *dir_ / name;
        std::string command = "ffmpeg -nostdin -y -i \"" + Speech().string() + "\" ";
        if (!filter.empty()) {
            command += "-f lavfi -i \"" + Tones(toneSeconds) +
                       "\" -filter_complex \"[1]aformat=sample_fmts=s16:channel_layouts=mono[t];" +
                       filter + R"(" -map "[out]" )";
        }
        return RunQuietly(command + encode + " \"" + film.string() + "\"")
                   ? film
                   : std::filesystem::path();
    }

    static std::unique_ptr<TempDir> dir_;
    static bool spoken_;
};

std::unique_ptr<TempDir> SyncAccuracy::dir_;
bool SyncAccuracy::spoken_ = false;

// The cue starts of an SRT text, in order.
std::vector<double> Starts(const std::string& srt) {
    static const std::regex kStart(R"((\d\d):(\d\d):(\d\d),(\d\d\d) -->)");
    std::vector<double> starts;
    for (std::sregex_iterator it(srt.begin(), srt.end(), kStart), end; it != end; ++it) {
        starts.push_back(std::stod((*it)[1]) * 3600 + std::stod((*it)[2]) * 60 +
                         std::stod((*it)[3]) + std::stod((*it)[4]) / 1000);
    }
    return starts;
}

// How far, in milliseconds, written cue starts may lie from where they belong.
struct Bounds {
    double median;
    double p95;
    double max;
};
constexpr Bounds kClean{30, 80, 120};
// Under noise only the 95th percentile is held to a bound.
constexpr Bounds kNoisy{1e9, 150, 1e9};

// Each written start against where it belongs, in milliseconds, over the
// cues `counted` keeps.
void ExpectAccurate(const std::vector<double>& written, const std::vector<double>& truth,
                    const std::function<bool(std::size_t)>& counted,
                    const Bounds& bounds = kClean) {
    ASSERT_EQ(written.size(), truth.size());
    std::vector<double> errors;
    for (std::size_t i = 0; i < truth.size(); ++i) {
        if (counted(i)) {
            errors.push_back(std::abs(written[i] - truth[i]) * 1000);
        }
    }
    ASSERT_GT(errors.size(), truth.size() / 2);
    std::sort(errors.begin(), errors.end());
    const double median = errors[errors.size() / 2];
    const double p95 =
        errors[static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(errors.size()))) - 1];
    ::testing::Test::RecordProperty("median_ms", std::to_string(median));
    ::testing::Test::RecordProperty("p95_ms", std::to_string(p95));
    ::testing::Test::RecordProperty("max_ms", std::to_string(errors.back()));
    EXPECT_LE(median, bounds.median);
    EXPECT_LE(p95, bounds.p95);
    EXPECT_LE(errors.back(), bounds.max);
}

struct Synced {
    int status = -1;
    std::string out;
    std::string err;
    std::string written;
};

Synced Sync(const std::filesystem::path& film, const std::filesystem::path& subtitle,
            const std::vector<std::string>& extra = {}) {
    RunEnvironment environment;
    environment.readSpeech = ReadSpeechReference;
    const std::filesystem::path outDir = subtitle.parent_path() / "synced";
    std::vector<std::string> args = {"--sync-to", film.string(), "-o", outDir.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(subtitle.string());
    std::ostringstream out;
    std::ostringstream err;
    Synced synced;
    synced.status = Run(args, out, err, environment);
    synced.out = out.str();
    synced.err = err.str();
    const std::filesystem::path written = outDir / subtitle.filename();
    if (std::filesystem::exists(written)) {
        synced.written = orvane::testing::ReadBytes(written);
    }
    return synced;
}

std::vector<double> CueStarts(const std::vector<FixtureCue>& cues, double scale = 1,
                              double offset = 0) {
    std::vector<double> starts;
    starts.reserve(cues.size());
    for (const FixtureCue& cue : cues) {
        starts.push_back(cue.start * scale + offset);
    }
    return starts;
}

TEST_F(SyncAccuracy, SplitsAtAnAdvertInsertedAtOneMinute) {
    // The break falls in the first pause after one minute.
    const std::vector<FixtureCue>& cues = Cues();
    double at = 60;
    for (std::size_t i = 0; i + 1 < cues.size(); ++i) {
        if (cues[i].end > 60) {
            at = (cues[i].end + cues[i + 1].start) / 2;
            break;
        }
    }
    const std::string cut = std::to_string(at);
    const std::filesystem::path film =
        Film("advert.mp4",
             "[0]asplit[a][b];[a]atrim=0:" + cut + "[x];[b]atrim=" + cut +
                 ",asetpts=PTS-STARTPTS[y];[x][t][y]concat=n=3:v=0:a=1[out]",
             30, "-c:a aac -b:a 64k");
    ASSERT_FALSE(film.empty());
    const TempDir work;
    const Synced synced = Sync(film, work.Write("film.srt", SrtText(cues, 0)));
    ASSERT_EQ(synced.status, kExitOk) << synced.err << synced.out;
    EXPECT_NE(synced.out.find("scale 1,"), std::string::npos) << synced.out;
    std::vector<double> truth = CueStarts(cues);
    for (double& start : truth) {
        start += start > at ? 30 : 0;
    }
    ExpectAccurate(Starts(synced.written), truth,
                   [&](std::size_t i) { return std::abs(cues[i].start - at) > 10; });
}

TEST_F(SyncAccuracy, FindsTheFrameRateOfADriftingFile) {
    const std::filesystem::path film = Film("film.mkv", "", 0, "-c:a libopus -b:a 32k");
    ASSERT_FALSE(film.empty());
    // Made for the 25 fps release; the film is the 23.976 one.
    std::vector<FixtureCue> drifting = Cues();
    for (FixtureCue& cue : drifting) {
        cue.start *= 24000.0 / 25025.0;
        cue.end *= 24000.0 / 25025.0;
    }
    const TempDir work;
    const Synced synced = Sync(film, work.Write("film.srt", SrtText(drifting, 0)));
    ASSERT_EQ(synced.status, kExitOk) << synced.err << synced.out;
    EXPECT_NE(synced.out.find("scale 1.042708 (25/23.976)"), std::string::npos) << synced.out;
    ExpectAccurate(Starts(synced.written), CueStarts(Cues()), [](std::size_t) { return true; });
}

TEST_F(SyncAccuracy, FindsTheSpeechUnderNoiseAndStillRefusesAStranger) {
    const std::filesystem::path film = *dir_ / "noisy.mp4";
    ASSERT_TRUE(RunQuietly("ffmpeg -nostdin -y -i \"" + NoisySpeech().string() +
                           "\" -c:a aac -b:a 64k \"" + film.string() + "\""));
    const TempDir work;
    // Five seconds late against the film.
    const Synced synced = Sync(film, work.Write("film.srt", SrtText(Cues(), 5)));
    ASSERT_EQ(synced.status, kExitOk) << synced.err << synced.out;
    EXPECT_NE(synced.out.find("scale 1,"), std::string::npos) << synced.out;
    ExpectAccurate(
        Starts(synced.written), CueStarts(Cues()), [](std::size_t) { return true; }, kNoisy);

    const std::string unrelated = orvane::testing::UnrelatedSrt();
    const std::filesystem::path other = work.Write("other.srt", unrelated);
    const Synced refused = Sync(film, other);
    EXPECT_EQ(refused.status, kExitSomeFailed) << refused.out;
    EXPECT_NE(refused.err.find("unsure alignment"), std::string::npos) << refused.err;
    EXPECT_TRUE(refused.written.empty());
    EXPECT_EQ(orvane::testing::ReadBytes(other), unrelated);
}

TEST_F(SyncAccuracy, SkipsAMusicOpeningFromTheStartAt) {
    const std::filesystem::path film =
        Film("opening.mkv", "[t][0]concat=n=2:v=0:a=1[out]", 60, "-c:a libopus -b:a 32k");
    ASSERT_FALSE(film.empty());
    const TempDir work;
    // The subtitle of the film without its opening.
    const Synced synced =
        Sync(film, work.Write("film.srt", SrtText(Cues(), 0)), {"--start-at", "60"});
    ASSERT_EQ(synced.status, kExitOk) << synced.err << synced.out;
    EXPECT_NE(synced.out.find("scale 1,"), std::string::npos) << synced.out;
    ExpectAccurate(Starts(synced.written), CueStarts(Cues(), 1, 60),
                   [](std::size_t) { return true; });
}

}  // namespace
}  // namespace orvane::cli
