// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/align.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "align_pairs.h"

namespace orvane::engine {
namespace {

using overlap::Span;

struct CurveCase {
    const char* name;
    std::int64_t lo;
    std::int64_t hi;
    std::int64_t step;
    std::vector<double> expected;
};

// One cue [0, 2 s] against one reference cue [1 s, 4 s].
TEST(AlignOverlapCurve, IsExactAtEveryPointOfItsGrid) {
    const overlap::Reference reference = overlap::MakeReference({{1000, 4000}});
    const CurveCase cases[] = {
        {"whole seconds", -2000, 4000, 1000, {0, 0, 1000, 2000, 2000, 1000, 0}},
        {"points between the kinks", -500, 3700, 700, {500, 1200, 1900, 2000, 1700, 1000, 300}},
        {"one point", 1500, 1500, 10, {2000}},
    };
    for (const CurveCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(overlap::OverlapCurve({{0, 2000}}, reference, c.lo, c.hi, c.step), c.expected);
    }
}

TEST(AlignCueOverlap, SumsEveryReferenceCueItMeets) {
    const overlap::Reference reference =
        overlap::MakeReference({{5000, 6000}, {0, 1000}, {1500, 2500}});
    EXPECT_EQ(overlap::CueOverlap({0, 2000}, reference, 0), 1500);
    EXPECT_EQ(overlap::CueOverlap({0, 2000}, reference, 4500), 1000);
    EXPECT_EQ(overlap::CueOverlap({0, 2000}, reference, 9000), 0);
    // Two languages shown together count once.
    const overlap::Reference twice = overlap::MakeReference({{0, 1000}, {0, 1000}, {500, 1500}});
    EXPECT_EQ(overlap::CueOverlap({0, 2000}, twice, 0), 1500);
}

// Three cues that fit at offset 0, three that fit at 10 s.
TEST(AlignChooseOffsets, SplitsOnlyWhenTheGainPaysThePenalty) {
    const std::vector<Span> cues = {{0, 1000},      {2000, 3000},   {4000, 5000},
                                    {20000, 21000}, {22000, 23000}, {24000, 25000}};
    const overlap::Reference reference = overlap::MakeReference(
        {{0, 1000}, {2000, 3000}, {4000, 5000}, {30000, 31000}, {32000, 33000}, {34000, 35000}});
    const std::vector<std::int64_t> candidates = {0, 10000};
    EXPECT_EQ(align_detail::ChooseOffsets(cues, reference, candidates, 500.0),
              (std::vector<std::size_t>{0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(align_detail::ChooseOffsets(cues, reference, candidates, 5000.0),
              (std::vector<std::size_t>{0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(align_detail::ChooseOffsets({}, reference, candidates, 0).empty());
}

void ExpectSegments(const AlignReport& report, const std::vector<TimingSegment>& expected) {
    ASSERT_EQ(report.map.Segments().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(report.map.Segments()[i].from, expected[i].from);
        EXPECT_DOUBLE_EQ(report.map.Segments()[i].scale, expected[i].scale);
        EXPECT_NEAR(report.map.Segments()[i].offset, expected[i].offset, 1e-9);
    }
}

constexpr double kStart = -std::numeric_limits<double>::infinity();

TEST(Align, TwoCuesGiveTheirOffsetToTheMillisecond) {
    const AlignReport report =
        Align({{1.0, 2.0}, {4.0, 6.5}}, {{11.257, 12.257}, {14.257, 16.757}});
    ExpectSegments(report, {{kStart, 1.0, 10.257}});
    EXPECT_FALSE(report.unsure);
}

// Two cues, a gap of 90 s, two cues: the second pair sits 30 s later in the
// reference than the first.
TEST(Align, SplitsInTheOnlyGap) {
    const std::vector<Interval> file = {{1.0, 2.0}, {3.0, 5.0}, {95.0, 98.0}, {99.5, 100.0}};
    const std::vector<Interval> reference = {
        {11.0, 12.0}, {13.0, 15.0}, {135.0, 138.0}, {139.5, 140.0}};
    AlignSettings settings;
    settings.splitPenalty = 0.5;
    const AlignReport report = Align(file, reference, settings);
    ExpectSegments(report, {{kStart, 1.0, 10.0}, {50.0, 1.0, 40.0}});
    ASSERT_EQ(report.segments.size(), 2u);
    EXPECT_EQ(report.segments[1].firstStart, 95.0);
    EXPECT_EQ(report.segments[1].lastEnd, 100.0);
    EXPECT_EQ(report.segments[1].cueCount, 2u);

    settings.split = false;
    EXPECT_EQ(Align(file, reference, settings).map.Segments().size(), 1u);
}

TEST(Align, EqualScoresAreUnsure) {
    // The one cue fits either reference cue as well.
    const AlignReport report = Align({{1.0, 2.0}}, {{11.0, 12.0}, {51.0, 52.0}});
    EXPECT_TRUE(report.unsure);
    EXPECT_EQ(report.confidence, 0.0);
}

TEST(Align, NothingToAlignIsUnsure) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double huge = std::numeric_limits<double>::max();
    const std::vector<Interval> unusable = {{nan, 1.0}, {5.0, 4.0}, {huge, huge}};
    const std::vector<Interval> some = {{1.0, 2.0}};
    for (const auto& [file, reference] : {std::pair{unusable, some}, std::pair{some, unusable},
                                          std::pair{std::vector<Interval>{}, some}}) {
        const AlignReport report = Align(file, reference);
        EXPECT_TRUE(report.unsure);
        ExpectSegments(report, {{kStart, 1.0, 0.0}});
    }
}

TEST(Align, ScansTheWidestRangeInLongerSteps) {
    AlignSettings settings;
    settings.maxOffset = 360000.0;
    settings.guessFrameRate = false;  // three cues cannot tell a frame rate
    const AlignReport report =
        Align({{1.0, 2.0}, {4.0, 6.5}, {9.0, 9.5}},
              {{70001.0, 70002.0}, {70004.0, 70006.5}, {70009.0, 70009.5}}, settings);
    ExpectSegments(report, {{kStart, 1.0, 70000.0}});
}

TEST(Align, KeepsToTheLargestOffsetAllowed) {
    AlignSettings settings;
    settings.maxOffset = 5.0;
    const AlignReport report =
        Align({{1.0, 2.0}, {4.0, 6.5}}, {{21.0, 22.0}, {24.0, 26.5}}, settings);
    EXPECT_LE(std::abs(report.map.Segments()[0].offset), 5.0);
    EXPECT_TRUE(report.unsure);
}

// The damaged pairs: every one aligned, and aligned well.
TEST(AlignPairs, UndoesEveryDamage) {
    std::vector<double> errors;
    for (const align_pairs::PairSpec& recipe : align_pairs::DamagedPairs(2, 26)) {
        SCOPED_TRACE(recipe.Name());
        const align_pairs::Pair pair = align_pairs::MakePair(recipe);
        const AlignReport report = Align(pair.file, pair.reference);
        EXPECT_FALSE(report.unsure) << "confidence " << report.confidence;
        EXPECT_NEAR(report.scale, pair.scale, 1e-9);
        EXPECT_EQ(report.segments.size(), pair.breakAt >= 0 ? 2u : 1u);
        const std::vector<double> own = align_pairs::StartErrors(pair, report.map);
        errors.insert(errors.end(), own.begin(), own.end());
    }
    const align_pairs::ErrorSummary summary = align_pairs::Summarize(errors);
    EXPECT_LE(summary.median, 0.020);
    EXPECT_LE(summary.p95, 0.100);
    EXPECT_LE(summary.max, 0.300);
}

TEST(AlignPairs, RefusesAnotherFilmsCues) {
    int refused = 0;
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        const align_pairs::Pair pair =
            align_pairs::MakePair({seed, 26, align_pairs::Damage::Offset, 5.0});
        refused += Align(pair.file, align_pairs::FilmCues(seed + 1000, 26)).unsure ? 1 : 0;
    }
    EXPECT_GE(refused, 19);
}

}  // namespace
}  // namespace orvane::engine
