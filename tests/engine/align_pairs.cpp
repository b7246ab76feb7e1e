// SPDX-License-Identifier: GPL-3.0-or-later
#include "align_pairs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <utility>

namespace orvane::align_pairs {
namespace {

using engine::Interval;

// std::mt19937_64's sequence is fixed by the standard; the distributions
// are not, so they are made here.
class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    double Uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    double Between(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    bool Chance(double p) { return Uniform() < p; }

private:
    std::mt19937_64 engine_;
};

double Gap(Random& random) {
    const double kind = random.Uniform();
    if (kind < 0.65) {
        return random.Between(0.08, 0.9);  // within a line of dialogue
    }
    if (kind < 0.92) {
        return random.Between(1.0, 6.0);  // between speakers
    }
    if (kind < 0.99) {
        return random.Between(6.0, 26.0);  // a pause
    }
    return random.Between(40.0, 120.0);  // a scene without words
}

struct Cue {
    Interval times;
    double truth = 0;
};

// Deletes, splits and merges cues, then jitters every time.
std::vector<Cue> EditCues(const std::vector<Interval>& reference, Random& random) {
    std::vector<Interval> kept;
    for (const Interval& cue : reference) {
        if (!random.Chance(0.15)) {
            kept.push_back(cue);
        }
    }
    std::vector<Interval> edited;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const Interval& cue = kept[i];
        const double choice = random.Uniform();
        if (choice < 0.10 && cue.end - cue.start > 1.2) {
            const double middle = random.Between(cue.start + 0.5, cue.end - 0.5);
            edited.push_back({cue.start, middle - 0.04});
            edited.push_back({middle, cue.end});
        } else if (choice < 0.20 && i + 1 < kept.size() && kept[i + 1].start - cue.end < 1.0) {
            edited.push_back({cue.start, kept[i + 1].end});
            ++i;
        } else {
            edited.push_back(cue);
        }
    }
    std::vector<Cue> cues;
    for (const Interval& cue : edited) {
        const double start = std::max(0.0, cue.start + random.Between(-0.15, 0.15));
        const double end = std::max(start + 0.1, cue.end + random.Between(-0.15, 0.15));
        cues.push_back({{start, end}, start});
    }
    return cues;
}

}  // namespace

std::string PairSpec::Name() const {
    static const char* const kNames[] = {"offset", "advert", "drift", "advert+drift"};
    char text[80];
    std::snprintf(text, sizeof text, "%s %g, seed %llu", kNames[static_cast<int>(damage)], amount,
                  static_cast<unsigned long long>(seed));
    return text;
}

std::vector<Interval> FilmCues(std::uint64_t seed, double minutes) {
    Random random(seed);
    std::vector<Interval> cues;
    double t = random.Between(20.0, 90.0);
    while (t < minutes * 60.0) {
        const double length = 0.8 + 4.2 * std::pow(random.Uniform(), 1.7);
        cues.push_back({t, t + length});
        t += length + Gap(random);
    }
    return cues;
}

Pair MakePair(const PairSpec& recipe) {
    return MakePairFrom(FilmCues(recipe.seed, recipe.minutes), recipe);
}

Pair MakePairFrom(std::vector<Interval> reference, const PairSpec& recipe) {
    Random random(recipe.seed * 7919 + 17);
    Pair pair;
    pair.reference = std::move(reference);
    const bool advert = recipe.damage == Damage::Advert || recipe.damage == Damage::AdvertAndDrift;
    const bool drift = recipe.damage == Damage::Drift || recipe.damage == Damage::AdvertAndDrift;
    if (advert) {
        pair.breakAt = kAdvertAt;
    }
    if (drift) {
        pair.scale = 1.0 / recipe.amount;
    }
    for (const Cue& cue : EditCues(pair.reference, random)) {
        // The advert goes in before or after a cue, never into it.
        const double advertShift = advert && cue.times.start >= kAdvertAt ? kAdvertLength : 0.0;
        const auto damaged = [&](double t) {
            if (recipe.damage == Damage::Offset) {
                return t + recipe.amount;
            }
            return (t + advertShift) * (drift ? recipe.amount : 1.0);
        };
        const double start = damaged(cue.times.start);
        if (start < 0) {
            continue;  // moved before the video: a shifter would drop it
        }
        pair.file.push_back({start, damaged(cue.times.end)});
        pair.truth.push_back(cue.truth);
    }
    return pair;
}

std::vector<PairSpec> DamagedPairs(int seeds, double minutes) {
    const std::vector<std::pair<Damage, double>> damages = {
        {Damage::Offset, 0.3},           {Damage::Offset, -0.3},
        {Damage::Offset, 5.0},           {Damage::Offset, -5.0},
        {Damage::Offset, 45.0},          {Damage::Offset, -45.0},
        {Damage::Advert, 0.0},           {Damage::Drift, 25025.0 / 24000.0},
        {Damage::Drift, 1.001},          {Damage::AdvertAndDrift, 25025.0 / 24000.0},
        {Damage::AdvertAndDrift, 1.001},
    };
    std::vector<PairSpec> specs;
    for (int seed = 1; seed <= seeds; ++seed) {
        for (const auto& [damage, amount] : damages) {
            specs.push_back({static_cast<std::uint64_t>(seed), minutes, damage, amount});
        }
    }
    return specs;
}

std::vector<double> StartErrors(const Pair& pair, const engine::TimingMap& map) {
    std::vector<double> errors;
    for (std::size_t i = 0; i < pair.file.size(); ++i) {
        if (pair.breakAt >= 0 && std::abs(pair.truth[i] - pair.breakAt) < 10.0) {
            continue;
        }
        errors.push_back(std::abs(map.Apply(pair.file[i].start) - pair.truth[i]));
    }
    return errors;
}

ErrorSummary Summarize(std::vector<double> errors) {
    if (errors.empty()) {
        return {};
    }
    std::sort(errors.begin(), errors.end());
    const auto at = [&](double q) {
        return errors[static_cast<std::size_t>(q * static_cast<double>(errors.size() - 1))];
    };
    return {at(0.5), at(0.95), errors.back()};
}

}  // namespace orvane::align_pairs
