// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-shift --sync-to: each file aligned to a well-timed reference file.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "cli/options.h"
#include "cli/runner.h"
#include "engine/align.h"

namespace orvane::cli {

// Runs the usual shift over the files of `options`; returns its exit status.
using ShiftRun = std::function<int(CliOptions options)>;

// Aligns every file of `options` to the reference (a subtitle file, or any
// other file through `readSpeech`) and prints each map. A map that is one
// plain offset is written through `shift`, as a direct shift; an unsure one
// is refused unless forced. Returns the exit status.
int RunSync(const CliOptions& options, std::ostream& out, std::ostream& err, const ShiftRun& shift,
            const SpeechReader& readSpeech = {});

// The map as orvane-shift prints it: the scale and confidence, then each
// segment's time range in the file, its offset and its cues.
std::string DescribeAlignment(const engine::AlignReport& report);

}  // namespace orvane::cli
