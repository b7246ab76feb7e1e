// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/opening_clip.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace orvane::media {
namespace {
namespace fs = std::filesystem;

TEST(DurationText, ShortestFormWithoutBinaryNoise) {
    const std::pair<double, const char*> rows[] = {
        {12.345, "12.345"}, {12.0, "12"},     {0.0, "0"},         {-0.0, "0"},
        {120.04, "120.04"}, {0.001, "0.001"}, {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"}};
    for (const auto& [seconds, text] : rows) {
        EXPECT_EQ(FormatDurationText(seconds), text) << text;
    }
}

// One rule for the window and orvane-shift: the limit itself is allowed.
TEST(OpeningLength, UpToExactly120SecondsIsAccepted) {
    const std::pair<double, OpeningVerdict> rows[] = {{0.5, OpeningVerdict::kAccepted},
                                                      {120.0, OpeningVerdict::kAccepted},
                                                      {120.001, OpeningVerdict::kTooLong}};
    for (const auto& [seconds, verdict] : rows) {
        EXPECT_EQ(JudgeOpening(seconds).verdict, verdict) << seconds;
    }
}

TEST(VideoName, WholeExtensionWithoutCase) {
    const std::pair<const char*, bool> rows[] = {
        {"/v/clip.mp4", true}, {"/v/CLIP.MKV", true}, {"a.RmVb", true},
        {"a.rm", true},        {"notes.m", false},    {"a.mp4.txt", false},
        {"/v/mp4", false},     {"clip.", false},      {"/v.mp4/clip", false}};
    for (const auto& [path, video] : rows) {
        EXPECT_EQ(IsOpeningVideoName(path), video) << path;
    }
}

TEST(DroppedClip, FirstUsableVideoWins) {
    const testing::TempDir dir;
    for (const char* name : {"a.txt", "b.mp4", "c.mkv", ".hidden.mp4"}) {
        dir.Write(name, "x");
    }
    fs::create_directory(dir / "folder.avi");
    struct Row {
        const char* name;
        std::vector<const char*> dropped;
        const char* picked;
    };
    for (const Row& row :
         {Row{"text_then_video", {"a.txt", "b.mp4"}, "b.mp4"},
          Row{"two_videos", {"c.mkv", "b.mp4"}, "c.mkv"},
          Row{"missing_folder_hidden", {"gone.mp4", "folder.avi", ".hidden.mp4", "c.mkv"}, "c.mkv"},
          Row{"no_video", {"a.txt", "folder.avi"}, ""}}) {
        std::vector<fs::path> items;
        for (const char* name : row.dropped) {
            items.push_back(dir / name);
        }
        const auto picked = PickDroppedClip(items);
        EXPECT_EQ(picked ? picked->filename().string() : "", row.picked) << row.name;
    }
}

}  // namespace
}  // namespace orvane::media
