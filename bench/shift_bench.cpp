// SPDX-License-Identifier: GPL-3.0-or-later
// In-process shifting throughput: whole files (read, shift, atomic write) and
// the stages on their own (loading, shifting the loaded lines).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "engine/ass_shifter.h"
#include "engine/file_shift.h"
#include "engine/retime.h"
#include "engine/srt_shifter.h"
#include "engine/srt_text_shifter.h"
#include "textio/encoding.h"
#include "textio/icu_handles.h"
#include "textio/record_loader.h"
#include "workload.h"

namespace {
namespace fs = std::filesystem;
using orvane::engine::ShiftMode;
using orvane::engine::ShiftSettings;

// The workloads, generated once into a temporary folder removed at exit.
class Workloads {
public:
    static const Workloads& Get() {
        static const Workloads workloads;
        return workloads;
    }
    ~Workloads() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path root_;
    fs::path bigSrt;
    fs::path bigAss;
    std::vector<fs::path> folder;
    std::size_t folderBytes = 0;

private:
    Workloads() {
        root_ =
            fs::temp_directory_path() / ("orvane-bench-" + std::to_string(std::random_device{}()));
        orvane::bench::WriteStandardWorkloads(root_);
        bigSrt = root_ / "big.srt";
        bigAss = root_ / "big.ass";
        for (const auto& entry : fs::directory_iterator(root_ / "folder")) {
            folder.push_back(entry.path());
            folderBytes += entry.file_size();
        }
        fs::create_directories(root_ / "out");
    }
};

ShiftSettings Settings(ShiftMode mode) {
    ShiftSettings settings;
    settings.mode = mode;
    settings.shiftSeconds = mode == ShiftMode::Direct ? 12.0 : 0.0;
    settings.later = mode == ShiftMode::Direct;
    settings.cutSeconds = 12.0;
    settings.outputDir = Workloads::Get().root_ / "out";
    return settings;
}

void ShiftOneFile(benchmark::State& state, const fs::path& file, ShiftMode mode) {
    const ShiftSettings settings = Settings(mode);
    for (auto _ : state) {
        const auto result = orvane::engine::ShiftSubtitleFile(file, settings);
        if (result.failure) {
            state.SkipWithError("the file was not written");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
}

void BM_BigSrtFile(benchmark::State& state, ShiftMode mode) {
    ShiftOneFile(state, Workloads::Get().bigSrt, mode);
}

void BM_BigAssFile(benchmark::State& state, ShiftMode mode) {
    ShiftOneFile(state, Workloads::Get().bigAss, mode);
}

void BM_Folder300(benchmark::State& state, ShiftMode mode) {
    const Workloads& workloads = Workloads::Get();
    const ShiftSettings settings = Settings(mode);
    for (auto _ : state) {
        for (const fs::path& file : workloads.folder) {
            const auto result = orvane::engine::ShiftSubtitleFile(file, settings);
            if (result.failure) {
                state.SkipWithError("the file was not written");
                return;
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(workloads.folderBytes));
}

void BM_LoadBigSrt(benchmark::State& state) {
    const fs::path& file = Workloads::Get().bigSrt;
    for (auto _ : state) {
        auto loaded = orvane::textio::LoadSubRecords(file, orvane::textio::LoadLayout::Srt);
        benchmark::DoNotOptimize(loaded.lines.size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
}

// The output in pieces, as the file entry points take it, without the disk.
void DiscardChunk(std::string_view chunk) {
    benchmark::DoNotOptimize(chunk.data());
}

void BM_ShiftBigSrtLines(benchmark::State& state, ShiftMode mode) {
    const fs::path& file = Workloads::Get().bigSrt;
    const auto loaded = orvane::textio::LoadSubRecords(file, orvane::textio::LoadLayout::Srt);
    const ShiftSettings settings = Settings(mode);
    for (auto _ : state) {
        auto shifted = orvane::engine::ShiftSrtLines(loaded.lines, settings, {}, DiscardChunk);
        benchmark::DoNotOptimize(shifted.text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
}

// The SubRip text shifted as it is walked, from a copy already in memory.
void BM_ShiftBigSrtText(benchmark::State& state, ShiftMode mode) {
    const fs::path& file = Workloads::Get().bigSrt;
    const auto loaded = orvane::textio::LoadSubRecords(file, orvane::textio::LoadLayout::Srt);
    const std::string text(loaded.lines.Buffer());
    const ShiftSettings settings = Settings(mode);
    for (auto _ : state) {
        state.PauseTiming();
        orvane::textio::FileBytes bytes(text);
        state.ResumeTiming();
        auto shifted = orvane::engine::ShiftSrtText(std::move(bytes), settings, {}, DiscardChunk);
        benchmark::DoNotOptimize(shifted.text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
}

// A frame-rate change, 25 to 23.976 fps, over the same text: every time goes
// through the map. To be set beside ShiftBigSrtText/direct of the same run.
void BM_RetimeBigSrtText(benchmark::State& state) {
    const fs::path& file = Workloads::Get().bigSrt;
    const auto loaded = orvane::textio::LoadSubRecords(file, orvane::textio::LoadLayout::Srt);
    const std::string text(loaded.lines.Buffer());
    ShiftSettings settings = Settings(ShiftMode::Direct);
    settings.shiftSeconds = 0;
    settings.map = orvane::engine::FrameRateMap(*orvane::engine::ParseFrameRate("25"),
                                                *orvane::engine::ParseFrameRate("23.976"));
    for (auto _ : state) {
        state.PauseTiming();
        orvane::textio::FileBytes bytes(text);
        state.ResumeTiming();
        auto shifted = orvane::engine::ShiftSrtText(std::move(bytes), settings, {}, DiscardChunk);
        benchmark::DoNotOptimize(shifted.text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
}

void BM_ShiftBigAssLines(benchmark::State& state, ShiftMode mode) {
    const fs::path& file = Workloads::Get().bigAss;
    const auto loaded = orvane::textio::LoadSubRecords(file, orvane::textio::LoadLayout::Plain);
    const ShiftSettings settings = Settings(mode);
    for (auto _ : state) {
        auto shifted = orvane::engine::ShiftAssLines(loaded.lines, settings, {}, DiscardChunk);
        benchmark::DoNotOptimize(shifted.text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
}

// Decoding a 5 MB text: UTF-8 never reaches the detector; GBK is detected
// (libuchardet over 64 KB, a second look when it may be Big5) and converted.
void BM_Decode5MB(benchmark::State& state, const char* charset) {
    std::string utf8;
    while (utf8.size() < 5'000'000) {
        utf8 += orvane::bench::MakeSrt(2000, static_cast<std::uint32_t>(utf8.size()));
    }
    const std::string bytes = std::string_view(charset) == "UTF-8"
                                  ? utf8
                                  : orvane::textio::ConvertCharset(charset, "UTF-8", utf8);
    for (auto _ : state) {
        auto decoded = orvane::textio::DecodeText(bytes);
        benchmark::DoNotOptimize(decoded.utf8.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

BENCHMARK_CAPTURE(BM_Decode5MB, utf8, "UTF-8")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode5MB, gbk, "GBK")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BigSrtFile, direct, ShiftMode::Direct)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BigSrtFile, cut, ShiftMode::Cut)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BigAssFile, direct, ShiftMode::Direct)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BigAssFile, cut, ShiftMode::Cut)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Folder300, direct, ShiftMode::Direct)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Folder300, cut, ShiftMode::Cut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBigSrt)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShiftBigSrtLines, direct, ShiftMode::Direct)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShiftBigSrtLines, cut, ShiftMode::Cut)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShiftBigSrtText, direct, ShiftMode::Direct)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShiftBigSrtText, cut, ShiftMode::Cut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RetimeBigSrtText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShiftBigAssLines, direct, ShiftMode::Direct)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShiftBigAssLines, cut, ShiftMode::Cut)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
