// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/runner.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <ostream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/messages.h"
#include "cli/options.h"
#include "cli/sync_run.h"
#include "engine/batch.h"
#include "engine/retime.h"
#include "engine/timecode.h"
#include "orvane_version.h"
#include "textio/text_file.h"
#include "textio/utf8.h"

namespace orvane::cli {
namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string CodePointName(char32_t cp) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
    return buffer;
}

bool IsWide(char32_t cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
           (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1FAFF) ||
           (cp >= 0x20000 && cp <= 0x3FFFD);
}

// At most `columns` columns of `name`, its end kept: "…ode-12.srt".
std::string ShortenForLine(const std::string& name, std::size_t columns) {
    if (DisplayWidth(name) <= columns) {
        return name;
    }
    std::vector<std::size_t> starts;
    for (std::size_t pos = 0; pos < name.size();) {
        starts.push_back(pos);
        textio::NextCodePoint(name, pos);
    }
    for (const std::size_t start : starts) {
        const std::string_view tail = std::string_view(name).substr(start);
        if (DisplayWidth(tail) + 1 <= columns) {
            return "…" + std::string(tail);
        }
    }
    return "…";
}

// One line on a terminal, redrawn in place with "\r" and erased at the end.
// Shown only once the run has lasted a while, and redrawn at most once per
// interval so it costs nothing on short runs.
class ProgressLine {
public:
    ProgressLine(std::ostream& err, const RunEnvironment& environment)
        : err_(err),
          enabled_(environment.progressLine),
          delay_(environment.progressDelay),
          interval_(environment.progressInterval),
          start_(Clock::now()) {}

    bool enabled() const { return enabled_; }

    void StartFile(std::size_t number, std::size_t count, const fs::path& file) {
        prefix_.assign(1, '[');
        prefix_ += std::to_string(number);
        prefix_ += '/';
        prefix_ += std::to_string(count);
        prefix_ += "] ";
        prefix_ += ShortenForLine(ShowPath(file.filename()), 40);
        Draw(prefix_);
    }

    // Called for every line the engine reads or shifts: look at the clock
    // only now and then.
    void OnEngineProgress(const textio::Progress& progress) {
        if ((++calls_ & 0xFF) != 0) {
            return;
        }
        Draw(prefix_ + "  " +
             (progress.stage == textio::ProgressStage::Reading ? "reading " : "shifting ") +
             std::to_string(progress.current) + "/" + std::to_string(progress.last));
    }

    void Clear() {
        if (shownWidth_ > 0) {
            err_ << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
            shownWidth_ = 0;
        }
    }

private:
    void Draw(const std::string& text) {
        if (!enabled_) {
            return;
        }
        const Clock::time_point now = Clock::now();
        if (now - start_ < delay_ || (drawn_ && now - lastDraw_ < interval_)) {
            return;
        }
        drawn_ = true;
        lastDraw_ = now;
        const std::size_t width = DisplayWidth(text);
        err_ << '\r' << text;
        if (width < shownWidth_) {
            err_ << std::string(shownWidth_ - width, ' ');
        }
        err_ << std::flush;
        shownWidth_ = std::max(width, std::size_t{1});
    }

    std::ostream& err_;
    bool enabled_;
    std::chrono::milliseconds delay_;
    std::chrono::milliseconds interval_;
    Clock::time_point start_;
    Clock::time_point lastDraw_{};
    bool drawn_ = false;  // drawn at least once, so lastDraw_ holds
    std::size_t shownWidth_ = 0;
    std::size_t calls_ = 0;
    std::string prefix_;
};

void PrintUsageError(std::ostream& err, const std::string& message) {
    err << kProgramName << ": " << message << "\n"
        << "Try '" << kProgramName << " --help'.  用法见 " << kProgramName << " --help\n";
}

std::string Count(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string StatsText(const engine::ShiftStats& stats, engine::ShiftMode mode) {
    std::string text = Count(stats.shifted, "cue", "cues") + " shifted";
    if (mode == engine::ShiftMode::Cut) {
        text += ", " + std::to_string(stats.dropped) + " dropped, " +
                std::to_string(stats.trimmed) + " trimmed at the cut";
    } else if (stats.dropped > 0 || stats.trimmed > 0) {
        // A map can move cues before the start as the cut does.
        text += ", " + std::to_string(stats.dropped) + " dropped before zero, " +
                std::to_string(stats.trimmed) + " trimmed at zero";
    }
    return text;
}

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

void PrintGbkWarning(std::ostream& err, const fs::path& target, const std::string& encoding,
                     const textio::GbkEncodeReport& report) {
    err << kProgramName << ": warning: " << ShowPath(target) << ": " << encoding << " cannot hold "
        << report.unencodableCount << (report.unencodableCount == 1 ? " character" : " characters")
        << ", written as \"?\":";
    for (std::size_t i = 0; i < report.firstUnencodable.size(); ++i) {
        const textio::UnencodableChar& c = report.firstUnencodable[i];
        err << (i == 0 ? " " : ", ") << CodePointName(c.codePoint) << " (line " << c.line << ")";
    }
    if (report.unencodableCount > report.firstUnencodable.size()) {
        err << " and " << report.unencodableCount - report.firstUnencodable.size() << " more";
    }
    err << "\n";
}

void PrintUntimedWarning(std::ostream& err, const engine::FileOutcome& outcome) {
    err << kProgramName << ": warning: " << ShowPath(outcome.source) << ": "
        << Count(outcome.stats.untimed, "cue", "cues")
        << " without a readable time line, written unchanged\n";
}

void PrintReplacedWarning(std::ostream& err, const engine::FileOutcome& outcome) {
    err << kProgramName << ": warning: " << ShowPath(outcome.source) << ": "
        << Count(outcome.read.replacedBytes, "byte sequence", "byte sequences") << " not valid "
        << outcome.read.charset << ", written as U+FFFD (the first on line "
        << outcome.read.firstReplacedLine << ")\n";
}

void PrintFailure(std::ostream& err, const textio::Failure& failure) {
    err << kProgramName << ": " << ShowPath(failure.path) << ": " << FailureText(failure) << "\n";
}

// Measures --opening into the settings. The measurer also judges the
// length (the window's rule), so a refusal arrives as its message.
std::optional<std::string> ApplyOpening(const CliOptions& options, engine::ShiftSettings& settings,
                                        const RunEnvironment& environment, bool& showHint) {
    showHint = false;
    if (!options.openingVideo) {
        return std::nullopt;
    }
    if (!environment.measureOpening) {
        showHint = true;
        return "--opening is not available in this build";
    }
    std::string error;
    const std::optional<double> seconds = environment.measureOpening(*options.openingVideo, error);
    if (!seconds) {
        return "--opening " + ShowPath(*options.openingVideo) + ": " +
               (error.empty() ? "cannot read the video's length" : error);
    }
    settings.cutSeconds = *seconds;
    return std::nullopt;
}

class Reporter {
public:
    Reporter(std::ostream& out, std::ostream& err, const CliOptions& options,
             ProgressLine& progressLine)
        : out_(out), err_(err), options_(options), progressLine_(progressLine) {}

    void Plan(const engine::BatchPlan& plan) {
        for (const textio::Failure& failure : plan.refused) {
            PrintFailure(err_, failure);
        }
        if (options_.quiet) {
            return;
        }
        for (const engine::SkippedName& skipped : plan.skipped) {
            err_ << kProgramName << ": note: " << ShowPath(skipped.path);
            if (skipped.why == engine::SkippedName::Why::SameFile) {
                err_ << ": the same file as " << ShowPath(skipped.sameAs) << ", shifted once\n";
            } else {
                err_ << ": skipped, not a .srt, .ass or .ssa file\n";
            }
        }
    }

    void FileDone(const engine::FileOutcome& outcome) {
        progressLine_.Clear();
        if (outcome.failure) {
            PrintFailure(err_, *outcome.failure);
            if (options_.verbose && !outcome.read.charset.empty()) {
                err_ << kProgramName << ": " << ShowPath(outcome.source) << ": read as "
                     << outcome.read.charset << "\n";
            }
            return;
        }
        if (!options_.quiet) {
            out_ << ShowPath(outcome.source) << " -> " << ShowPath(outcome.target) << ": "
                 << StatsText(outcome.stats, options_.settings.mode);
            if (!options_.retiming.empty()) {
                out_ << ", largest change " << SecondsText(outcome.stats.largestChange) << " s";
            }
            if (options_.verbose) {
                out_ << " (read as " << outcome.read.charset << ")";
            }
            out_ << "\n";
        }
        if (outcome.read.replacedBytes > 0) {
            PrintReplacedWarning(err_, outcome);
        }
        if (outcome.read.droppedUtf8Mark) {
            err_ << kProgramName << ": warning: " << ShowPath(outcome.source)
                 << ": a UTF-8 byte-order mark stood before text in " << outcome.read.charset
                 << "; dropped\n";
        }
        if (outcome.stats.untimed > 0) {
            PrintUntimedWarning(err_, outcome);
        }
        if (outcome.gbk.unencodableCount > 0) {
            const engine::ShiftSettings& settings = options_.settings;
            PrintGbkWarning(err_, outcome.target,
                            settings.ansi ? std::string("GB2312") : settings.outputEncoding,
                            outcome.gbk);
        }
    }

    void Summary(const engine::BatchSummary& summary) {
        if (summary.stopped) {
            err_ << kProgramName << ": stopped after " << summary.processed << " of "
                 << summary.planned << " files\n";
        }
        if (!options_.quiet) {
            out_ << summary.Written() << " written, " << summary.Failed() << " failed, "
                 << summary.skipped.size() << " skipped\n";
        }
    }

private:
    std::ostream& out_;
    std::ostream& err_;
    const CliOptions& options_;
    ProgressLine& progressLine_;
};

int RunParsed(CliOptions options, std::ostream& out, std::ostream& err,
              const RunEnvironment& environment) {
    bool showHint = false;
    if (const std::optional<std::string> usage =
            ApplyOpening(options, options.settings, environment, showHint)) {
        if (showHint) {
            PrintUsageError(err, *usage);
        } else {
            err << kProgramName << ": " << *usage << "\n";
        }
        return kExitUsage;
    }

    const engine::BatchPlan plan = engine::PlanBatch(options.inputs, options.settings);
    ProgressLine progressLine(err, environment);
    Reporter reporter(out, err, options, progressLine);
    if (!options.quiet && !options.retiming.empty()) {
        out << "retiming: " << options.retiming << "\n";
    }
    reporter.Plan(plan);
    if (plan.files.empty() && plan.refused.empty()) {
        err << kProgramName << ": no .srt, .ass or .ssa file among the inputs\n";
        return kExitSomeFailed;
    }

    engine::BatchObserver observer;
    observer.fileStarted = [&](std::size_t number, std::size_t count,
                               const engine::PlannedFile& file) {
        progressLine.StartFile(number, count, file.source);
    };
    if (progressLine.enabled()) {
        observer.progress = [&](const textio::Progress& p) { progressLine.OnEngineProgress(p); };
    }
    observer.fileDone = [&](const engine::FileOutcome& outcome) { reporter.FileDone(outcome); };
    engine::RunOptions runOptions;
    runOptions.stopRequested = environment.stopRequested;
    runOptions.seam = environment.seam;
    const engine::BatchSummary summary = engine::RunBatch(plan, observer, runOptions);
    progressLine.Clear();
    reporter.Summary(summary);

    out.flush();
    // A closed or full standard output must not pass for success, nor fail
    // without a word.
    const bool printed = !out.fail();
    if (!printed) {
        err << kProgramName << ": the report could not be written to standard output\n";
    }
    return summary.Failed() > 0 || summary.stopped || !printed ? kExitSomeFailed : kExitOk;
}

}  // namespace

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        width += IsWide(textio::NextCodePoint(utf8, pos)) ? 2u : 1u;
    }
    return width;
}

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

namespace {

// Help or version text that never reached its reader is no success.
int Flushed(std::ostream& out, std::ostream& err) {
    out.flush();
    if (out.fail()) {
        err << kProgramName << ": standard output could not be written\n";
        return kExitSomeFailed;
    }
    return kExitOk;
}

// --find-opening: prints where the clip's sound starts and ends in the
// episode and, given files, cuts exactly that span from them.
int RunFindOpening(CliOptions options, std::ostream& out, std::ostream& err,
                   const RunEnvironment& environment) {
    const FindOpeningOptions find = *options.findOpening;
    const bool cutting = !options.inputs.empty();
    std::string error = "this build cannot read videos";
    const std::optional<OpeningSpan> span =
        environment.findOpening ? environment.findOpening(find, error) : std::nullopt;
    if (!span) {
        err << kProgramName << ": " << error << (cutting ? "; nothing written" : "") << "\n";
        return kExitSomeFailed;
    }
    if (!cutting || !options.quiet) {
        char score[32];
        std::snprintf(score, sizeof score, "%.2f", span->score);
        out << ShowPath(find.clip) << " in " << ShowPath(find.episode) << ": "
            << engine::FormatSrtTime(span->start) << " - " << engine::FormatSrtTime(span->end)
            << " (match " << score << ")\n";
    }
    if (!cutting) {
        return Flushed(out, err);
    }
    options.settings = engine::CutSpanOnly(std::move(options.settings), span->start, span->end);
    return RunParsed(std::move(options), out, err, environment);
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const RunEnvironment& environment) {
    try {
        ParseResult parsed = ParseArguments(args);
        switch (parsed.action) {
            case ParseResult::Action::Help:
                out << HelpText();
                return Flushed(out, err);
            case ParseResult::Action::Version:
                out << kProgramName << " " << kVersion << "\n";
                return Flushed(out, err);
            case ParseResult::Action::UsageError:
                PrintUsageError(err, parsed.message);
                return kExitUsage;
            case ParseResult::Action::Run:
                break;
        }
        if (parsed.options.findOpening) {
            return RunFindOpening(std::move(parsed.options), out, err, environment);
        }
        if (parsed.options.sync) {
            return RunSync(
                parsed.options, out, err,
                [&](CliOptions options) {
                    return RunParsed(std::move(options), out, err, environment);
                },
                environment.readSpeech);
        }
        return RunParsed(std::move(parsed.options), out, err, environment);
    } catch (const std::exception& e) {
        err << kProgramName << ": " << e.what() << "\n";
    } catch (...) {
        err << kProgramName << ": unexpected failure\n";
    }
    return kExitSomeFailed;
}

}  // namespace orvane::cli
