// SPDX-License-Identifier: GPL-3.0-or-later
// Seeded pairs for the aligner: a reference of plausible cue timings, and a
// file made from it with known damage. Its own random numbers, so a seed
// gives the same pair on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/align.h"

namespace orvane::align_pairs {

enum class Damage {
    Offset,          // every time moved by `amount` seconds
    Advert,          // 30 s inserted at 20:00
    Drift,           // every time multiplied by `amount`
    AdvertAndDrift,  // the advert, then the drift
};

struct PairSpec {
    std::uint64_t seed = 1;
    double minutes = 30;  // the reference's length
    Damage damage = Damage::Offset;
    double amount = 0;
    std::string Name() const;
};

inline constexpr double kAdvertAt = 1200.0;
inline constexpr double kAdvertLength = 30.0;

struct Pair {
    std::vector<engine::Interval> reference;
    std::vector<engine::Interval> file;
    // Where each of the file's cues started before the offset, advert or
    // drift: the deletions, splits, merges and jitter stay.
    std::vector<double> truth;
    double breakAt = -1;  // in the truth's time; below zero: none
    double scale = 1.0;   // the map's scale that undoes the drift
};

// Cue timings of a film of `minutes`: speech in runs with short gaps,
// pauses, now and then a long silence.
std::vector<engine::Interval> FilmCues(std::uint64_t seed, double minutes);

// The reference and the damaged file: besides the damage of `recipe`, 15 % of
// the cues are deleted, 10 % split, 10 % merged with the next, and every
// time moves by up to 150 ms.
Pair MakePair(const PairSpec& recipe);
// The same damage to another reference, such as a real file's cues
// (`recipe.minutes` is not used).
Pair MakePairFrom(std::vector<engine::Interval> reference, const PairSpec& recipe);

// The damages the aligner must undo, each on `seeds` films.
std::vector<PairSpec> DamagedPairs(int seeds, double minutes);

// The file's errors in seconds after alignment, leaving out cues within 10 s
// of a break.
std::vector<double> StartErrors(const Pair& pair, const engine::TimingMap& map);

struct ErrorSummary {
    double median = 0;
    double p95 = 0;
    double max = 0;
};
ErrorSummary Summarize(std::vector<double> errors);

}  // namespace orvane::align_pairs
