// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/runner.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <ostream>
#include <set>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/options.h"
#include "engine/file_shift.h"
#include "textio/text_file.h"
#include "textio/utf8.h"

namespace orvane::cli {
namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Show(const fs::path& path) {
    return textio::PathToUtf8(path);
}

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
        prefix_ += ShortenForLine(Show(file.filename()), 40);
        Draw(prefix_);
    }

    // Called for every line the engine reads or shifts: look at the clock
    // only now and then.
    void OnEngineProgress(const textio::Progress& progress) {
        if ((++calls_ & 0xFF) != 0) {
            return;
        }
        Draw(prefix_ + "  " + progress.Text());
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

// The engine ends some reasons with "：" and the path, which the line names already.
std::string ReasonWithoutPath(const std::string& reason, const fs::path& file) {
    if (reason.empty()) {
        return "not written";
    }
    const std::string suffix = "：" + Show(file);
    if (reason.size() > suffix.size() && reason.ends_with(suffix)) {
        return reason.substr(0, reason.size() - suffix.size());
    }
    return reason;
}

void PrintUsageError(std::ostream& err, const std::string& message) {
    err << kProgramName << ": " << message << "\n"
        << "Try '" << kProgramName << " --help'.  用法见 " << kProgramName << " --help\n";
}

// Comparable form of a path that may not exist yet.
fs::path Identity(const fs::path& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? fs::absolute(path, ec).lexically_normal() : canonical;
}

struct Expanded {
    std::vector<fs::path> files;
    std::vector<std::pair<fs::path, std::string>> unusable;  // inputs that fail, with why
};

// Folders become their files (not their subfolders), sorted by name.
Expanded ExpandInputs(const std::vector<fs::path>& inputs) {
    Expanded expanded;
    for (const fs::path& input : inputs) {
        std::error_code ec;
        const fs::file_status status = fs::status(input, ec);
        if (!fs::exists(status)) {
            // Not skipped as "another file type": a mistyped name is a failure.
            expanded.unusable.emplace_back(input, ec ? ec.message() : "no such file or folder");
            continue;
        }
        if (!fs::is_directory(status)) {
            expanded.files.push_back(input);
            continue;
        }
        std::vector<fs::path> inFolder;
        fs::directory_iterator it(input, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code typeError;
            if (it->is_regular_file(typeError)) {
                inFolder.push_back(it->path());
            }
        }
        if (ec) {
            expanded.unusable.emplace_back(input, "cannot list the folder: " + ec.message());
            continue;
        }
        std::sort(inFolder.begin(), inFolder.end());
        expanded.files.insert(expanded.files.end(), inFolder.begin(), inFolder.end());
    }
    return expanded;
}

std::string Count(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string StatsText(const engine::FileShiftResult& result, engine::ShiftMode mode) {
    std::string text = Count(result.stats.shifted, "cue", "cues") + " shifted";
    if (mode == engine::ShiftMode::Cut) {
        text += ", " + std::to_string(result.stats.dropped) + " dropped, " +
                std::to_string(result.stats.trimmed) + " trimmed at the cut";
    }
    if (result.stats.untimed > 0) {
        text += ", " + Count(result.stats.untimed, "cue", "cues") + " without a readable time line";
    }
    return text;
}

void PrintGbkWarning(std::ostream& err, const fs::path& target,
                     const textio::GbkEncodeReport& report) {
    err << kProgramName << ": warning: " << Show(target) << ": GB2312 cannot hold "
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

int RunParsed(CliOptions options, std::ostream& out, std::ostream& err,
              const RunEnvironment& environment) {
    engine::ShiftSettings& settings = options.settings;

    if (options.openingVideo) {
        if (!environment.measureOpening) {
            PrintUsageError(err, "--opening is not available in this build");
            return kExitUsage;
        }
        std::string error;
        const std::optional<double> seconds =
            environment.measureOpening(*options.openingVideo, error);
        if (!seconds) {
            err << kProgramName << ": --opening " << Show(*options.openingVideo) << ": "
                << (error.empty() ? "cannot read the video's length" : error) << "\n";
            return kExitUsage;
        }
        if (!(*seconds <= kMaxOpeningSeconds) || *seconds < 0.0) {
            err << kProgramName << ": "
                << "片头时间太长，超过120秒限制，请更换！"
                << "\n";
            return kExitUsage;
        }
        settings.cutSeconds = *seconds;
    }

    int failed = 0;
    int written = 0;
    int skipped = 0;
    const Expanded expanded = ExpandInputs(options.inputs);
    for (const auto& [input, reason] : expanded.unusable) {
        err << kProgramName << ": " << Show(input) << ": " << reason << "\n";
        ++failed;
    }

    // Decide what to do with each file before anything is written.
    std::vector<fs::path> work;
    std::set<fs::path> sources;
    for (const fs::path& file : expanded.files) {
        if (engine::KindOfFile(file) == engine::SubtitleKind::Other) {
            if (!options.quiet) {
                err << kProgramName << ": note: " << Show(file)
                    << ": skipped, not a .srt, .ass or .ssa file\n";
            }
            ++skipped;
            continue;
        }
        if (!sources.insert(Identity(file)).second) {
            continue;  // named twice (as a file and through its folder): shift it once
        }
        work.push_back(file);
    }

    if (!work.empty() && !settings.overwrite) {
        std::error_code ec;
        if (fs::exists(settings.outputDir, ec) && !fs::is_directory(settings.outputDir, ec)) {
            err << kProgramName << ": " << Show(settings.outputDir)
                << ": exists and is not a folder\n";
            return kExitSomeFailed;
        }
        fs::create_directories(settings.outputDir, ec);
        if (ec) {
            err << kProgramName << ": cannot create the output folder " << Show(settings.outputDir)
                << ": " << ec.message() << "\n";
            return kExitSomeFailed;
        }
    }

    ProgressLine progressLine(err, environment);
    textio::ProgressFn progress;
    if (progressLine.enabled()) {
        progress = [&progressLine](const textio::Progress& p) { progressLine.OnEngineProgress(p); };
    }

    std::map<fs::path, fs::path> targets;  // target identity -> the source written there
    for (std::size_t i = 0; i < work.size(); ++i) {
        const fs::path& file = work[i];
        progressLine.StartFile(i + 1, work.size(), file);

        std::string refusal;
        const fs::path target = engine::TargetPath(file, settings);
        const fs::path targetId = settings.overwrite ? fs::path() : Identity(target);
        if (!settings.overwrite) {
            if (targetId == Identity(file)) {
                refusal =
                    "the output folder is the file's own folder; use --overwrite to "
                    "write over the source";
            } else if (const auto it = targets.find(targetId); it != targets.end()) {
                refusal = "has the same name as " + Show(it->second) + ", already written to " +
                          Show(target);
            }
        }

        engine::FileShiftResult result;
        if (refusal.empty()) {
            try {
                result = engine::ShiftSubtitleFile(file, settings, progress);
            } catch (const std::exception& e) {
                result.written = false;
                result.error = e.what();
            } catch (...) {
                result.written = false;
                result.error = "unexpected failure";
            }
        } else {
            result.error = refusal;
        }

        if (!result.written) {
            progressLine.Clear();
            ++failed;
            err << kProgramName << ": " << Show(file) << ": "
                << ReasonWithoutPath(result.error, file) << "\n";
            continue;
        }
        ++written;
        if (!settings.overwrite) {
            targets.emplace(targetId, file);
        }
        if (!options.quiet || result.gbk.unencodableCount > 0) {
            progressLine.Clear();
        }
        if (!options.quiet) {
            out << Show(file) << " -> " << Show(result.target.empty() ? target : result.target)
                << ": " << StatsText(result, settings.mode) << "\n";
        }
        if (result.gbk.unencodableCount > 0) {
            PrintGbkWarning(err, result.target.empty() ? target : result.target, result.gbk);
        }
    }
    progressLine.Clear();

    if (!options.quiet) {
        out << written << " written, " << failed << " failed, " << skipped << " skipped\n";
    }
    out.flush();
    return failed > 0 ? kExitSomeFailed : kExitOk;
}

}  // namespace

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        width += IsWide(textio::NextCodePoint(utf8, pos)) ? 2 : 1;
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

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const RunEnvironment& environment) {
    try {
        ParseResult parsed = ParseArguments(args);
        switch (parsed.action) {
            case ParseResult::Action::Help:
                out << HelpText();
                out.flush();
                return kExitOk;
            case ParseResult::Action::UsageError:
                PrintUsageError(err, parsed.message);
                return kExitUsage;
            case ParseResult::Action::Run:
                break;
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
