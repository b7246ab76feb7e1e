// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/media_duration.h"

#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "media/opening_clip.h"
#include "support/temp_dir.h"

namespace orvane::media {
namespace {
namespace fs = std::filesystem;

// What ffprobe says the container lasts, or -1.
double ProbeSeconds(const fs::path& file) {
    const std::string command =
        "ffprobe -v error -show_entries format=duration -of csv=p=0 " + file.string();
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    double seconds = -1;
    return pipe && std::fscanf(pipe.get(), "%lf", &seconds) == 1 ? seconds : -1;
}

constexpr const char* kStems[] = {"short", "limit", "over"};
constexpr const char* kContainers[] = {"mp4", "mkv", "avi", "flv", "wmv", "asf", "3gp"};

// 16x16 black clips of a few kB, made with one ffmpeg run per suite: 7.5 s
// (2 frames a second), 120.0 s and 120.04 s (25 frames a second) in every
// container, and a 7.5 s MPEG program stream.
class Clips : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (std::system("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") != 0) {
            return;
        }
        dir_ = new testing::TempDir;
        const std::string out = " -b:v 8k " + dir_->path().string() + "/";
        const char* lengths[][2] = {{"7.5", "2"}, {"120", "25"}, {"120.04", "25"}};
        std::string command = "ffmpeg -nostdin -loglevel error -y";
        for (const auto& [seconds, rate] : lengths) {
            command +=
                " -f lavfi -i color=c=black:s=16x16:r=" + std::string(rate) + ":d=" + seconds;
        }
        for (int i = 0; i < 3; ++i) {
            for (const std::string ext : kContainers) {
                const char* codec = ext == "flv"                   ? "flv"
                                    : ext == "wmv" || ext == "asf" ? "wmv2"
                                                                   : "mpeg4";
                command +=
                    " -map " + std::to_string(i) + " -c:v " + codec + out + kStems[i] + "." + ext;
            }
        }
        command += " -map 0 -r 25 -c:v mpeg1video" + out + "short.mpeg";
        ready_ = std::system(command.c_str()) == 0;
    }
    static void TearDownTestSuite() { delete dir_; }
    void SetUp() override {
        if (dir_ == nullptr) {
            GTEST_SKIP() << "ffmpeg or ffprobe is missing (scripts/install-deps installs them)";
        }
        ASSERT_TRUE(ready_) << "ffmpeg could not make the clips in " << dir_->path();
    }
    static fs::path Clip(const std::string& name) { return dir_->path() / name; }

    static inline testing::TempDir* dir_ = nullptr;
    static inline bool ready_ = false;
};

TEST_F(Clips, EveryContainerMeasuresAsFfprobeToTheMillisecond) {
    for (const char* stem : kStems) {
        for (const char* ext : kContainers) {
            const fs::path clip = Clip(std::string(stem) + "." + ext);
            const double expected = ProbeSeconds(clip);
            ASSERT_GT(expected, 0) << clip;
            EXPECT_NEAR(GetMediaDuration(clip), expected, 0.001) << clip;
        }
    }
    // A program stream carries no exact length; the library estimates one.
    const double estimate = GetMediaDuration(Clip("short.mpeg"));
    EXPECT_GT(estimate, 1.0);
    EXPECT_LE(estimate, 8.0);
}

// The rate the clips were made at, in each container that keeps one.
TEST_F(Clips, FrameRateIsReadWithTheLength) {
    for (const char* ext : {"mp4", "mkv", "avi"}) {
        EXPECT_EQ(ReadMediaFacts(Clip(std::string("limit.") + ext)).frameRate, "25") << ext;
        const MediaFacts facts = ReadMediaFacts(Clip(std::string("short.") + ext));
        EXPECT_EQ(facts.frameRate, "2") << ext;
        EXPECT_NEAR(facts.seconds, 7.5, 0.001) << ext;
    }
}

TEST_F(Clips, LimitIsAcceptedAndFortyMillisecondsMoreRefused) {
    struct Row {
        const char* clip;
        OpeningVerdict verdict;
        const char* text;
    };
    for (const Row& row : {Row{"short.mkv", OpeningVerdict::kAccepted, "7.5"},
                           Row{"limit.mp4", OpeningVerdict::kAccepted, "120"},
                           Row{"over.avi", OpeningVerdict::kTooLong, "120.04"}}) {
        const OpeningMeasure measure = MeasureOpening(Clip(row.clip));
        EXPECT_EQ(measure.verdict, row.verdict) << row.clip;
        EXPECT_EQ(measure.durationText, row.text) << row.clip;
    }
}

TEST_F(Clips, UnreadableFilesMeasureZero) {
    // An interrupted download: ffmpeg writes the index ("moov") after the frames.
    const std::string bytes = testing::ReadBytes(Clip("short.mp4"));
    const std::size_t index = bytes.find("moov");
    ASSERT_NE(index, std::string::npos);
    dir_->Write("cut_before_index.mp4", bytes.substr(0, index - 4));
    dir_->Write("cut_in_header.mp4", bytes.substr(0, 20));
    dir_->Write("text.mp4", "plain text, not a video\n");
    dir_->Write("subtitle.mp4", "1\n00:00:01,000 --> 00:00:02,000\nnot a video\n");
    dir_->Write("empty.mp4", "");
    ASSERT_EQ(::mkfifo(Clip("pipe.mp4").c_str(), 0600), 0);
    for (const char* name : {"missing.mp4", "cut_before_index.mp4", "cut_in_header.mp4", "text.mp4",
                             "subtitle.mp4", "empty.mp4", "pipe.mp4", ""}) {
        EXPECT_EQ(GetMediaDuration(Clip(name)), 0.0) << '"' << name << '"';
    }
    // A length of 0 is no length: refused rather than cutting nothing.
    const OpeningMeasure refused = MeasureOpening(Clip("text.mp4"));
    EXPECT_EQ(refused.verdict, OpeningVerdict::kUnreadable);
}

// The library turns wide names back into bytes through the C locale; names it
// cannot encode there must still be measured.
TEST_F(Clips, NamesOutsideTheLocaleAreMeasured) {
    const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    for (const char* locale : {"C", utf8 ? "C.UTF-8" : "C"}) {
        std::setlocale(LC_CTYPE, locale);
        for (const char* name : {"片头 广告.mp4", "bad\xff\xfe.mp4"}) {
            fs::copy_file(Clip("short.mp4"), Clip(name), fs::copy_options::overwrite_existing);
            EXPECT_EQ(GetMediaDuration(Clip(name)), 7.5) << name << " under " << locale;
        }
    }
    std::setlocale(LC_CTYPE, "C");
}

}  // namespace
}  // namespace orvane::media
