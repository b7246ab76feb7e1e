// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-shift's run: parse the command line, shift every file, report.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "engine/align.h"

namespace orvane::textio {
class WriteSeam;
}

namespace orvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

// Measures the playing time of an opening video in seconds; on failure
// returns nothing and sets `error` to a reason for the user.
using OpeningMeasurer =
    std::function<std::optional<double>(const std::filesystem::path& video, std::string& error)>;

struct SyncOptions;
struct FindOpeningOptions;
// Where the opening clip lies in the episode, in seconds.
struct OpeningSpan {
    double start = 0;
    double end = 0;
    double score = 0;
};
// Finds the clip in the episode; on failure returns nothing and sets `error`.
using OpeningFinder =
    std::function<std::optional<OpeningSpan>(const FindOpeningOptions& find, std::string& error)>;
// Where people speak in the sound of the --sync-to video; on failure returns
// nothing and sets `error` to a reason for the user.
using SpeechReader = std::function<std::optional<std::vector<engine::Interval>>(
    const SyncOptions& sync, std::string& error)>;

struct RunEnvironment {
    // Draw a progress line on `err` (only when it is a terminal).
    bool progressLine = false;
    // The line appears once a run has lasted this long, and is redrawn at most
    // once per interval.
    std::chrono::milliseconds progressDelay{400};
    std::chrono::milliseconds progressInterval{100};
    // Empty when this build cannot read videos: --opening is then refused.
    OpeningMeasurer measureOpening;
    // Empty when this build cannot read videos: --sync-to VIDEO is then refused.
    SpeechReader readSpeech;
    // Empty when this build cannot read videos: --find-opening is then refused.
    OpeningFinder findOpening;
    // Read between files; once true no further file starts (the run exits 1).
    const std::atomic<bool>* stopRequested = nullptr;
    // How output reaches the disk; nothing: the real disk. For tests.
    textio::WriteSeam* seam = nullptr;
};

// Runs orvane-shift with the arguments after the program name. Returns the
// exit status: 0 every file written, 1 some file failed, 2 usage error.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const RunEnvironment& environment = {});

// Whether standard error is a terminal.
bool StderrIsTerminal();

// Width of UTF-8 text on a terminal: East Asian wide characters take two
// columns. Used to erase a progress line exactly.
std::size_t DisplayWidth(std::string_view utf8);

}  // namespace orvane::cli
