// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of orvane-shift, read into shift settings and a file list.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/align.h"
#include "engine/shift_settings.h"

namespace orvane::cli {

inline constexpr std::string_view kProgramName = "orvane-shift";

// The largest amount accepted: beyond it every time would leave the range a
// subtitle file can hold (99:59:59,999).
inline constexpr double kMaxAmountSeconds = 360000.0;

// --sync-to: each file is aligned to a well-timed reference file.
struct SyncOptions {
    std::filesystem::path reference;
    engine::AlignSettings align;
    bool dryRun = false;  // print the map, write nothing
    bool force = false;   // write an unsure alignment too
    // When the reference is a video: which audio stream, and from when.
    int audioStream = 0;
    double startAt = 0;
    // --cut: this much of the opening is cut away first, as cut mode cuts
    // it, and what is left is aligned; nothing is cut without it.
    std::optional<double> cutSeconds;
};

// --find-opening CLIP --in EPISODE: where the clip's sound lies in the episode.
struct FindOpeningOptions {
    std::filesystem::path clip;
    std::filesystem::path episode;
    double searchSeconds = 600;  // of the episode's start
};

struct CliOptions {
    engine::ShiftSettings settings;
    std::vector<std::filesystem::path> inputs;  // files or folders, in the order given
    std::optional<std::filesystem::path> openingVideo;
    std::optional<SyncOptions> sync;
    std::optional<FindOpeningOptions> findOpening;
    bool quiet = false;
    bool verbose = false;  // name the encoding each file was read in
    std::string retiming;  // how --fps or --point maps times, for the report; empty: no map
};

struct ParseResult {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::UsageError;
    CliOptions options;   // when Run
    std::string message;  // when UsageError: what is wrong, one line
};

// Reads a plain decimal amount of seconds: digits with at most one "." and at
// least one digit, no sign, exponent, "inf" or "nan", at most kMaxAmountSeconds.
std::optional<double> ParseAmount(std::string_view text);

// Reads --from and --until: plain seconds, or one SubRip or ASS time code.
std::optional<double> ParseTimeArgument(std::string_view text);

// Reads the arguments after the program name.
ParseResult ParseArguments(const std::vector<std::string>& args);

// The --help text (English and Chinese).
std::string HelpText();

}  // namespace orvane::cli
