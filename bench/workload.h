// SPDX-License-Identifier: GPL-3.0-or-later
// Generated subtitle workloads for the benchmarks: bilingual Chinese/English
// text, deterministic for a given seed, nothing shipped on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace orvane::bench {

// An SRT file of `cues` cues (UTF-8 with a mark, CR LF), mixing one-line
// English, one-line Chinese, and two-line cues in both orders. The first
// cues start before 12 s, so a cut of 12 s drops and trims some.
std::string MakeSrt(std::size_t cues, std::uint32_t seed);

// An ASS file with `dialogues` Dialogue lines (plus a few Comment lines),
// Chinese-only, English-only and bilingual "中文\N{\fs14}English" text.
std::string MakeAss(std::size_t dialogues, std::uint32_t seed);

// An SRT file whose first cue is one line of about `lineBytes` bytes, the
// worst case for memory: nothing in it ends a piece of output early.
std::string MakeHugeLineSrt(std::size_t lineBytes);

// The standard set under `dir`: big.srt (50,000 cues), big.ass (30,000
// dialogue lines), folder/ep001.srt..ep300.srt (1,500 cues each), tiny.srt
// (one cue, for the memory of an almost empty run) and huge-line.srt (a cue
// of one 200 MB line).
void WriteStandardWorkloads(const std::filesystem::path& dir);

inline constexpr std::size_t kBigSrtCues = 50000;
inline constexpr std::size_t kBigAssDialogues = 30000;
inline constexpr std::size_t kFolderFiles = 300;
inline constexpr std::size_t kFolderCues = 1500;
inline constexpr std::size_t kHugeLineBytes = std::size_t{200} * 1000 * 1000;

}  // namespace orvane::bench
