// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/sync_run.h"

#include <cstdio>
#include <optional>
#include <ostream>

#include "cli/messages.h"
#include "cli/runner.h"
#include "engine/alignment_run.h"
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
    const std::string name = engine::ScaleName(scale);
    if (!name.empty()) {
        return Number("%.6f", scale) + " (" + name + ")";
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
    const engine::FileAlignment aligned =
        engine::AlignFile(file, reference, sync.align, options.settings.encoding, sync.cutSeconds);
    if (aligned.failure) {
        PrintFailure(err, *aligned.failure);
        return false;
    }
    const engine::AlignReport& report = aligned.report;
    if (!options.quiet || sync.dryRun) {
        out << ShowPath(file) << ": "
            << (sync.cutSeconds ? "cut " + Number("%.3f", *sync.cutSeconds) + " s, then " : "")
            << "aligned to " << ShowPath(sync.reference) << ", " << DescribeAlignment(report);
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
    // Written through the retiming: every cue follows the segment that
    // holds its start.
    CliOptions direct = options;
    direct.sync.reset();
    direct.inputs = {file};
    direct.settings = engine::AlignedSettings(options.settings, report.map, sync.cutSeconds);
    return shift(direct) == kExitOk;
}

// The reference's intervals: a subtitle's cues or a video's speech.
std::optional<std::vector<engine::Interval>> ReadReference(const CliOptions& options,
                                                           const SpeechReader& readSpeech,
                                                           std::ostream& err) {
    const SyncOptions& sync = *options.sync;
    if (!engine::IsSubtitleReference(sync.reference)) {
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
