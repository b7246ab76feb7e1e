// SPDX-License-Identifier: GPL-3.0-or-later
// The aligner on a feature film's worth of cues: about 1,500 in the file
// and 1,500 in the reference, with an advert and a frame-rate drift.
#include <benchmark/benchmark.h>

#include "align_pairs.h"
#include "engine/align.h"

namespace {

using orvane::align_pairs::Damage;

const orvane::align_pairs::Pair& FilmPair() {
    static const orvane::align_pairs::Pair pair =
        orvane::align_pairs::MakePair({1, 135, Damage::AdvertAndDrift, 25025.0 / 24000.0});
    return pair;
}

void BM_Align(benchmark::State& state) {
    const orvane::align_pairs::Pair& pair = FilmPair();
    orvane::engine::AlignSettings settings;
    settings.split = state.range(0) != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvane::engine::Align(pair.file, pair.reference, settings));
    }
    state.counters["file_cues"] = static_cast<double>(pair.file.size());
    state.counters["reference_cues"] = static_cast<double>(pair.reference.size());
}
BENCHMARK(BM_Align)->ArgName("split")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
