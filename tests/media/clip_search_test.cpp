// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/clip_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace orvane::media {
namespace {

constexpr int kRate = 8000;

// Deterministic noise-like sound, different for each seed.
std::vector<float> Noise(double seconds, std::uint32_t seed) {
    std::vector<float> samples(static_cast<std::size_t>(seconds * kRate));
    for (float& sample : samples) {
        seed = seed * 1664525U + 1013904223U;
        sample = static_cast<float>(seed >> 8) / static_cast<float>(1U << 24) - 0.5F;
    }
    return samples;
}

TEST(FindClip, FindsTheClipWhereItWasPasted) {
    const std::vector<float> clip = Noise(5.0, 1);
    struct Case {
        const char* name;
        double pastedAt;
    };
    const Case cases[] = {
        {"at the very start", 0.0}, {"at 95 s", 95.0}, {"at the very end", 115.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> episode = Noise(120.0, 2);
        const auto at = static_cast<std::size_t>(c.pastedAt * kRate);
        for (std::size_t i = 0; i < clip.size(); ++i) {
            // Pasted over quieter background sound, as a mix would be.
            episode[at + i] = clip[i] + 0.2F * episode[at + i];
        }
        const ClipMatch match = FindClip(clip, episode, kRate);
        EXPECT_TRUE(match.found);
        EXPECT_NEAR(match.start, c.pastedAt, 0.010);
        EXPECT_NEAR(match.end, c.pastedAt + 5.0, 0.010);
        EXPECT_GT(match.score, 0.9);
    }
}

TEST(FindClip, DoesNotFindWhatIsNotThere) {
    const std::vector<float> episode = Noise(60.0, 2);
    const std::vector<float> silence(static_cast<std::size_t>(kRate), 0.0F);
    struct Case {
        const char* name;
        std::vector<float> clip;
    };
    const Case cases[] = {
        {"another sound", Noise(5.0, 3)},
        {"silence", silence},
        {"nothing", {}},
        {"longer than the episode", Noise(61.0, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(FindClip(c.clip, episode, kRate).found);
    }
}

}  // namespace
}  // namespace orvane::media
