// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-align-eval accuracy [SEEDS [MINUTES]]: the aligner over the larger
// set of damaged pairs, as a Markdown table, and the refusals of unrelated
// references.
// orvane-align-eval corpus DIR: the same damages on the cue times of real
// files.
// orvane-align-eval pair DIR: writes ref.srt and file.srt, the benchmark's
// film pair, for timing the whole orvane-shift --sync-to process.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "align_pairs.h"
#include "engine/cue_intervals.h"
#include "engine/timecode.h"

namespace {

using namespace orvane;

void WriteSrt(const std::filesystem::path& path, const std::vector<engine::Interval>& cues) {
    std::ofstream file(path, std::ios::binary);
    for (std::size_t i = 0; i < cues.size(); ++i) {
        file << i + 1 << "\r\n"
             << engine::FormatSrtTime(cues[i].start) << " --> "
             << engine::FormatSrtTime(cues[i].end) << "\r\nLine " << i + 1 << "\r\n\r\n";
    }
}

int Accuracy(int seeds, double minutes) {
    std::printf(
        "| pair | cues | segments | scale right | confidence | median ms | p95 ms | "
        "max ms |\n|---|---|---|---|---|---|---|---|\n");
    std::vector<double> all;
    int refusedDamaged = 0;
    int wrongScale = 0;
    for (const align_pairs::PairSpec& recipe : align_pairs::DamagedPairs(seeds, minutes)) {
        const align_pairs::Pair pair = align_pairs::MakePair(recipe);
        const engine::AlignReport report = engine::Align(pair.file, pair.reference);
        const std::vector<double> errors = align_pairs::StartErrors(pair, report.map);
        all.insert(all.end(), errors.begin(), errors.end());
        const align_pairs::ErrorSummary summary = align_pairs::Summarize(errors);
        const bool scaleRight = std::abs(report.scale - pair.scale) < 1e-9;
        refusedDamaged += report.unsure ? 1 : 0;
        wrongScale += scaleRight ? 0 : 1;
        std::printf("| %s | %zu | %zu | %s | %.1f%s | %.0f | %.0f | %.0f |\n",
                    recipe.Name().c_str(), pair.file.size(), report.segments.size(),
                    scaleRight ? "yes" : "NO", report.confidence, report.unsure ? " unsure" : "",
                    summary.median * 1000, summary.p95 * 1000, summary.max * 1000);
    }
    const align_pairs::ErrorSummary summary = align_pairs::Summarize(all);
    std::printf(
        "\nAll cues: median %.1f ms, p95 %.1f ms, max %.1f ms; %d damaged pairs "
        "refused, %d wrong scales\n",
        summary.median * 1000, summary.p95 * 1000, summary.max * 1000, refusedDamaged, wrongScale);
    int refused = 0;
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        const align_pairs::Pair pair =
            align_pairs::MakePair({seed, minutes, align_pairs::Damage::Offset, 5.0});
        refused += engine::Align(pair.file, align_pairs::FilmCues(seed + 1000, minutes)).unsure;
    }
    std::printf("Unrelated references refused: %d of 20\n", refused);
    return 0;
}

// Each damage on the cue times of every subtitle file in `folder` with at
// least 300 cues.
int Corpus(const std::filesystem::path& folder) {
    std::printf(
        "| file | damage | cues | segments | scale right | confidence | median ms | "
        "p95 ms | max ms |\n|---|---|---|---|---|---|---|---|---|\n");
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const engine::CueIntervalsResult read = engine::ReadCueIntervals(entry.path());
        if (read.failure || read.cues.size() < 300) {
            continue;
        }
        for (const align_pairs::PairSpec& recipe : align_pairs::DamagedPairs(1, 0)) {
            const align_pairs::Pair pair = align_pairs::MakePairFrom(read.cues, recipe);
            const engine::AlignReport report = engine::Align(pair.file, pair.reference);
            const align_pairs::ErrorSummary summary =
                align_pairs::Summarize(align_pairs::StartErrors(pair, report.map));
            std::printf("| %s | %s | %zu | %zu | %s | %.1f%s | %.0f | %.0f | %.0f |\n",
                        entry.path().filename().string().c_str(), recipe.Name().c_str(),
                        pair.file.size(), report.segments.size(),
                        std::abs(report.scale - pair.scale) < 1e-9 ? "yes" : "NO",
                        report.confidence, report.unsure ? " unsure" : "", summary.median * 1000,
                        summary.p95 * 1000, summary.max * 1000);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "accuracy") {
        return Accuracy(argc > 2 ? std::atoi(argv[2]) : 5, argc > 3 ? std::atof(argv[3]) : 60);
    }
    if (command == "corpus" && argc == 3) {
        return Corpus(argv[2]);
    }
    if (command == "pair" && argc == 3) {
        const align_pairs::Pair pair =
            align_pairs::MakePair({1, 135, align_pairs::Damage::AdvertAndDrift, 25025.0 / 24000.0});
        std::filesystem::create_directories(argv[2]);
        WriteSrt(std::filesystem::path(argv[2]) / "ref.srt", pair.reference);
        WriteSrt(std::filesystem::path(argv[2]) / "file.srt", pair.file);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: orvane-align-eval accuracy [SEEDS [MINUTES]] | corpus DIR | pair DIR\n");
    return 2;
}
