// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/sync_run.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>

#include "cli/messages.h"
#include "cli/runner.h"
#include "engine/batch.h"
#include "engine/cue_intervals.h"
#include "engine/timecode.h"

namespace orvane::cli {
namespace {

std::string Number(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "1", or the conversion a frame-rate scale stands for: "23.976/25".
std::string ScaleText(double scale) {
    const char* const kNames[] = {"25/24",     "24/25",     "25/23.976",
                                  "23.976/25", "24/23.976", "23.976/24"};
    const std::vector<double> scales = engine::FrameRateScales();
    for (std::size_t i = 0; i < scales.size(); ++i) {
        if (std::abs(scale - scales[i]) < 1e-12) {
            return Number("%.6f", scale) + " (" + kNames[i] + ")";
        }
    }
    return Number("%g", scale);
}

void PrintFailure(std::ostream& err, const textio::Failure& failure) {
    err << kProgramName << ": " << ShowPath(failure.path) << ": " << FailureText(failure) << "\n";
}

// Aligns and writes one file; returns whether it succeeded.
bool SyncFile(const CliOptions& options, const std::filesystem::path& file,
              const std::vector<engine::Interval>& reference, std::ostream& out, std::ostream& err,
              const ShiftRun& shift) {
    const SyncOptions& sync = *options.sync;
    const engine::CueIntervalsResult cues =
        engine::ReadCueIntervals(file, options.settings.encoding);
    if (cues.failure) {
        PrintFailure(err, *cues.failure);
        return false;
    }
    const engine::AlignReport report = engine::Align(cues.cues, reference, sync.align);
    if (!options.quiet || sync.dryRun) {
        out << ShowPath(file) << ": aligned to " << ShowPath(sync.reference) << ", "
            << DescribeAlignment(report);
    }
    if (report.unsure && !sync.force) {
        err << kProgramName << ": " << ShowPath(file) << ": unsure alignment (confidence "
            << Number("%.1f", report.confidence) << ", at least "
            << Number("%.1f", sync.align.unsureBelow)
            << " needed); nothing written (--force writes it)\n";
        return false;
    }
    if (sync.dryRun) {
        return true;
    }
    // Written through the retiming of a direct run: every cue follows the
    // segment that holds its start, and nothing more is added.
    CliOptions direct = options;
    direct.sync.reset();
    direct.inputs = {file};
    direct.settings.mode = engine::ShiftMode::Direct;
    direct.settings.shiftSeconds = 0;
    direct.settings.later = false;
    direct.settings.map = report.map;
    return shift(direct) == kExitOk;
}

// A reference that is not a subtitle file is taken for a video or a sound.
bool IsSubtitleName(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".srt" || extension == ".ass" || extension == ".ssa";
}

// The reference's intervals: a subtitle's cues or a video's speech.
std::optional<std::vector<engine::Interval>> ReadReference(const CliOptions& options,
                                                           const SpeechReader& readSpeech,
                                                           std::ostream& err) {
    const SyncOptions& sync = *options.sync;
    if (!IsSubtitleName(sync.reference)) {
        std::string error = "not a subtitle file, and this build cannot read videos";
        std::optional<std::vector<engine::Interval>> speech;
        if (readSpeech) {
            speech = readSpeech(sync, error);
        }
        if (!speech) {
            err << kProgramName << ": " << ShowPath(sync.reference) << ": " << error
                << "; nothing written\n";
        }
        return speech;
    }
    engine::CueIntervalsResult reference =
        engine::ReadCueIntervals(sync.reference, options.settings.encoding);
    if (reference.failure) {
        PrintFailure(err, *reference.failure);
        return std::nullopt;
    }
    return std::move(reference.cues);
}

}  // namespace

std::string DescribeAlignment(const engine::AlignReport& report) {
    std::string text = "scale " + ScaleText(report.scale) + ", confidence " +
                       Number("%.1f", report.confidence) + (report.unsure ? " (unsure)" : "") +
                       "\n";
    for (const engine::AlignedSegment& segment : report.segments) {
        text += "  " + engine::FormatSrtTime(segment.firstStart) + " - " +
                engine::FormatSrtTime(segment.lastEnd) + "  " + Number("%+.3f", segment.offset) +
                " s  (" + std::to_string(segment.cueCount) +
                (segment.cueCount == 1 ? " cue" : " cues") + ", confidence " +
                Number("%.1f", segment.confidence) + ")\n";
    }
    return text;
}

int RunSync(const CliOptions& options, std::ostream& out, std::ostream& err, const ShiftRun& shift,
            const SpeechReader& readSpeech) {
    const std::optional<std::vector<engine::Interval>> reference =
        ReadReference(options, readSpeech, err);
    if (!reference) {
        return kExitSomeFailed;
    }
    const engine::BatchPlan plan = engine::PlanBatch(options.inputs, options.settings);
    for (const textio::Failure& failure : plan.refused) {
        PrintFailure(err, failure);
    }
    if (plan.files.empty() && plan.refused.empty()) {
        err << kProgramName << ": no .srt, .ass or .ssa file among the inputs\n";
        return kExitSomeFailed;
    }
    bool failed = !plan.refused.empty();
    for (const engine::PlannedFile& file : plan.files) {
        failed = !SyncFile(options, file.source, *reference, out, err, shift) || failed;
    }
    out.flush();
    return failed || out.fail() ? kExitSomeFailed : kExitOk;
}

}  // namespace orvane::cli
