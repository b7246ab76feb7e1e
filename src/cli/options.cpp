// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "cli/retime_values.h"
#include "cli/timing_beside.h"
#include "engine/amount.h"
#include "engine/retime.h"
#include "engine/timecode.h"
#include "textio/encoding.h"
#include "textio/text_file.h"

namespace orvane::cli {
namespace {

using engine::LanguageRemoval;
using engine::ShiftMode;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

enum class Opt {
    Cut,
    Advance,
    Direct,
    Later,
    Drop,
    Simplified,
    Ansi,
    Overwrite,
    BreakLinks,
    OutputDir,
    Opening,
    Quiet,
    Verbose,
    Encoding,
    OutputEncoding,
    From,
    Until,
    Fps,
    Point,
    FrameRate,
    Help,
    Version,
    SyncTo,
    DryRun,
    NoSplit,
    SplitPenalty,
    NoFpsGuess,
    MaxOffset,
    Force,
    AudioStream,
    StartAt,
    FindOpening,
    In,
    Search,
};

struct OptSpec {
    std::string_view longName;   // with the leading "--"
    std::string_view shortName;  // "-o", or empty
    Opt id;
    bool takesValue;
};

constexpr OptSpec kOptions[] = {
    {"--cut", "", Opt::Cut, true},
    {"--advance", "", Opt::Advance, true},
    {"--direct", "", Opt::Direct, true},
    {"--later", "", Opt::Later, false},
    {"--drop", "", Opt::Drop, true},
    {"--simplified", "", Opt::Simplified, false},
    {"--ansi", "", Opt::Ansi, false},
    {"--overwrite", "", Opt::Overwrite, false},
    {"--break-links", "", Opt::BreakLinks, false},
    {"--output-dir", "-o", Opt::OutputDir, true},
    {"--opening", "", Opt::Opening, true},
    {"--quiet", "-q", Opt::Quiet, false},
    {"--verbose", "-v", Opt::Verbose, false},
    {"--encoding", "", Opt::Encoding, true},
    {"--output-encoding", "", Opt::OutputEncoding, true},
    {"--from", "", Opt::From, true},
    {"--until", "", Opt::Until, true},
    {"--fps", "", Opt::Fps, true},
    {"--point", "", Opt::Point, true},
    {"--frame-rate", "", Opt::FrameRate, true},
    {"--help", "", Opt::Help, false},
    {"--version", "", Opt::Version, false},
    {"--sync-to", "", Opt::SyncTo, true},
    {"--dry-run", "", Opt::DryRun, false},
    {"--no-split", "", Opt::NoSplit, false},
    {"--split-penalty", "", Opt::SplitPenalty, true},
    {"--no-fps-guess", "", Opt::NoFpsGuess, false},
    {"--max-offset", "", Opt::MaxOffset, true},
    {"--force", "", Opt::Force, false},
    {"--audio-stream", "", Opt::AudioStream, true},
    {"--start-at", "", Opt::StartAt, true},
    {"--find-opening", "", Opt::FindOpening, true},
    {"--in", "", Opt::In, true},
    {"--search", "", Opt::Search, true},
};

const OptSpec* FindOption(std::string_view name) {
    for (const OptSpec& known : kOptions) {
        if (name == known.longName || (!known.shortName.empty() && name == known.shortName)) {
            return &known;
        }
    }
    return nullptr;
}

ParseResult UsageError(std::string message) {
    ParseResult result;
    result.action = ParseResult::Action::UsageError;
    result.message = std::move(message);
    return result;
}

// How an option was written, for messages: "-o/--output-dir" or "--cut".
std::string DisplayName(const OptSpec& known) {
    std::string name;
    if (!known.shortName.empty()) {
        name += known.shortName;
        name += '/';
    }
    name += known.longName;
    return name;
}

// "-q" or "--cut"; "-1" is a (refused) negative number, not an option.
bool LooksLikeOption(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9') && arg[1] != '.';
}

}  // namespace

std::optional<double> ParseTimeArgument(std::string_view text) {
    return engine::ReadTime(text, kMaxAmountSeconds);
}

std::optional<double> ParseAmount(std::string_view text) {
    return engine::ReadAmount(text, {0.0, kMaxAmountSeconds}).seconds;
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
    // --help wins wherever it stands among the options.
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        if (arg == "--help" || arg == "--version") {
            ParseResult result;
            result.action =
                arg == "--help" ? ParseResult::Action::Help : ParseResult::Action::Version;
            return result;
        }
    }

    CliOptions options;
    std::set<Opt> seen;
    std::optional<double> cut;
    std::optional<double> advance;
    std::optional<double> direct;
    std::optional<double> directFrames;
    std::optional<engine::FrameRate> frameRate;
    std::optional<FrameRateChange> fps;
    std::vector<SyncPoint> points;
    bool later = false;
    bool overwrite = false;
    std::optional<std::string> outputDir;
    SyncOptions sync;
    FindOpeningOptions find;
    std::optional<std::string> findOnly;  // --search given, for the message
    std::optional<std::string> syncOnly;  // a --sync-to option given, for the message

    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.inputs.push_back(textio::PathFromUtf8(arg));
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        std::string_view name = arg;
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = arg.find('=');
            arg.starts_with("--") && eq != std::string::npos) {
            name = std::string_view(arg).substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        const OptSpec* known = FindOption(name);
        if (known == nullptr) {
            return UsageError("unknown option " + std::string(name));
        }
        if (!known->takesValue && inlineValue) {
            return UsageError(std::string(known->longName) + " takes no value");
        }

        std::string value;
        if (known->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size() && !LooksLikeOption(args[i + 1])) {
                value = args[++i];
            } else {
                // "-o -q" is a forgotten folder name, not a folder called "-q";
                // a name that starts with "-" can still be given as "-o ./-q".
                return UsageError(DisplayName(*known) + " needs a value");
            }
            if (!seen.insert(known->id).second && known->id != Opt::Point) {
                return UsageError(DisplayName(*known) + " is given more than once");
            }
        }

        const auto amount = [&]() -> std::optional<double> { return ParseAmount(value); };
        const auto badAmount = [&] {
            return UsageError(std::string(known->longName) + ": \"" + value +
                              "\" is not a plain number of seconds such as 12 or 1.5");
        };

        switch (known->id) {
            case Opt::Cut:
                if (!(cut = amount())) {
                    return badAmount();
                }
                break;
            case Opt::Advance:
                if (!(advance = amount())) {
                    return badAmount();
                }
                break;
            case Opt::Direct:
                if (value.size() > 1 && value.back() == 'f') {
                    // An amount in frames: "12f".
                    if (!(directFrames = ParseAmount(value.substr(0, value.size() - 1)))) {
                        return badAmount();
                    }
                    direct = 0.0;
                } else if (!(direct = amount())) {
                    return badAmount();
                }
                break;
            case Opt::FrameRate:
                if (!(frameRate = engine::ParseFrameRate(value))) {
                    return UsageError("--frame-rate: \"" + value +
                                      "\" is not a frame rate such as 25, 23.976 or 24000/1001");
                }
                break;
            case Opt::Fps:
                if (!(fps = ParseFrameRateChange(value))) {
                    return UsageError("--fps: \"" + value +
                                      "\" is not two frame rates such as 25:23.976");
                }
                break;
            case Opt::Point: {
                const std::optional<SyncPoint> point = ParseSyncPoint(value);
                if (!point) {
                    return UsageError("--point: \"" + value +
                                      "\" is not NOW=RIGHT, two times such as 00:01:00,000=62.5");
                }
                points.push_back(*point);
                break;
            }
            case Opt::Later:
                later = true;
                break;
            case Opt::Drop: {
                const std::string language = Lower(value);
                if (language == "english") {
                    options.settings.removal = engine::LanguageRemoval::RemoveEnglish;
                } else if (language == "chinese") {
                    options.settings.removal = engine::LanguageRemoval::RemoveChinese;
                } else {
                    return UsageError("--drop: \"" + value + "\" is neither english nor chinese");
                }
                break;
            }
            case Opt::Simplified:
                options.settings.simplify = true;
                break;
            case Opt::Ansi:
                options.settings.ansi = true;
                break;
            case Opt::Overwrite:
                overwrite = true;
                break;
            case Opt::BreakLinks:
                options.settings.breakLinks = true;
                break;
            case Opt::OutputDir:
                if (value.empty()) {
                    return UsageError("-o/--output-dir: the folder name is empty");
                }
                outputDir = value;
                break;
            case Opt::Opening:
                if (value.empty()) {
                    return UsageError("--opening: the video name is empty");
                }
                options.openingVideo = textio::PathFromUtf8(value);
                break;
            case Opt::Quiet:
                options.quiet = true;
                break;
            case Opt::Verbose:
                options.verbose = true;
                break;
            case Opt::From:
            case Opt::Until: {
                const std::optional<double> time = ParseTimeArgument(value);
                if (!time) {
                    return UsageError(std::string(known->longName) + ": \"" + value +
                                      "\" is neither seconds nor a time code such as "
                                      "00:20:00,000");
                }
                (known->id == Opt::From ? options.settings.from : options.settings.until) = time;
                break;
            }
            case Opt::Encoding:
                if (!textio::IsKnownCharset(value)) {
                    return UsageError("--encoding: \"" + value +
                                      "\" is not an encoding this program can read");
                }
                options.settings.encoding = value;
                break;
            case Opt::OutputEncoding:
                if (!textio::IsOutputEncodingName(value)) {
                    return UsageError("--output-encoding: \"" + value +
                                      "\" is none of same, utf-8, utf-8-bom, gb18030, big5, "
                                      "utf-16le");
                }
                options.settings.outputEncoding = value;
                break;
            case Opt::SyncTo:
                if (value.empty()) {
                    return UsageError("--sync-to: the reference file name is empty");
                }
                sync.reference = textio::PathFromUtf8(value);
                break;
            case Opt::SplitPenalty:
            case Opt::MaxOffset:
                if (!amount()) {
                    return badAmount();
                }
                (known->id == Opt::SplitPenalty ? sync.align.splitPenalty : sync.align.maxOffset) =
                    *amount();
                syncOnly = known->longName;
                break;
            case Opt::DryRun:
                sync.dryRun = true;
                syncOnly = known->longName;
                break;
            case Opt::NoSplit:
                sync.align.split = false;
                syncOnly = known->longName;
                break;
            case Opt::NoFpsGuess:
                sync.align.guessFrameRate = false;
                syncOnly = known->longName;
                break;
            case Opt::Force:
                sync.force = true;
                syncOnly = known->longName;
                break;
            case Opt::AudioStream: {
                const std::optional<double> number = amount();
                if (!number || *number != std::floor(*number) || *number > 999) {
                    return UsageError("--audio-stream: \"" + value +
                                      "\" is not a stream number such as 0 or 1");
                }
                sync.audioStream = static_cast<int>(*number);
                syncOnly = known->longName;
                break;
            }
            case Opt::StartAt: {
                const std::optional<double> time = ParseTimeArgument(value);
                if (!time) {
                    return UsageError("--start-at: \"" + value +
                                      "\" is neither seconds nor a time code such as "
                                      "00:01:30,000");
                }
                sync.startAt = *time;
                syncOnly = known->longName;
                break;
            }
            case Opt::FindOpening:
            case Opt::In:
                if (value.empty()) {
                    return UsageError(std::string(known->longName) + ": the file name is empty");
                }
                (known->id == Opt::FindOpening ? find.clip : find.episode) =
                    textio::PathFromUtf8(value);
                break;
            case Opt::Search: {
                const std::optional<double> time = ParseTimeArgument(value);
                if (!time || *time <= 0) {
                    return UsageError("--search: \"" + value +
                                      "\" is neither seconds nor a time code such as "
                                      "00:20:00,000");
                }
                find.searchSeconds = *time;
                findOnly = known->longName;
                break;
            }
            case Opt::Help:
            case Opt::Version:
                break;  // handled above
        }
    }

    const bool range = options.settings.from.has_value() || options.settings.until.has_value();
    const TimingGiven given{cut.has_value(),
                            advance.has_value(),
                            direct.has_value(),
                            later,
                            options.openingVideo.has_value(),
                            range,
                            fps.has_value(),
                            !points.empty()};
    if (!find.clip.empty() || !find.episode.empty() || findOnly) {
        if (find.clip.empty() || find.episode.empty()) {
            return UsageError("--find-opening CLIP and --in EPISODE go together");
        }
        if (!sync.reference.empty()) {
            return UsageError("--find-opening cannot be combined with --sync-to");
        }
        // The span it finds is the amount: cut from the files, or printed.
        if (const std::optional<std::string> other = FirstTimingOption(given)) {
            return UsageError("--find-opening cannot be combined with " + *other);
        }
        options.findOpening = find;
        if (options.inputs.empty() && !outputDir && !overwrite) {
            ParseResult found;
            found.action = ParseResult::Action::Run;
            found.options.findOpening = find;
            return found;
        }
    }
    if (!sync.reference.empty()) {
        // --cut only cuts the opening first; the alignment finds the rest.
        TimingGiven beside = given;
        beside.cut = beside.fps = beside.point = false;
        if (const std::optional<std::string> other = FirstTimingOption(beside)) {
            return UsageError("--sync-to cannot be combined with " + *other);
        }
        sync.cutSeconds = cut;
        options.sync = sync;
        if (sync.dryRun && !outputDir && !overwrite) {
            overwrite = true;  // where nothing will be written: the plan checks no folder
        }
    } else if (syncOnly) {
        return UsageError(*syncOnly + " only applies to --sync-to");
    }
    if (fps && !points.empty()) {
        return UsageError("--fps and --point are two ways of retiming; use one of them");
    }
    if (!points.empty()) {
        if (points.size() != 2) {
            return UsageError("--point is given twice: --point T1=U1 --point T2=U2");
        }
        if (direct || cut || advance || options.openingVideo || options.settings.from ||
            options.settings.until) {
            return UsageError("--point is a mode of its own: it takes no other timing option");
        }
    }
    if (directFrames && !frameRate) {
        return UsageError("--direct: an amount in frames needs --frame-rate");
    }
    if (frameRate && !directFrames) {
        return UsageError("--frame-rate only applies to an amount in frames, such as --direct 12f");
    }
    if (direct) {
        if (cut) {
            return UsageError("--direct cannot be combined with --cut");
        }
        if (advance) {
            return UsageError("--direct cannot be combined with --advance");
        }
        if (options.openingVideo) {
            return UsageError("--direct cannot be combined with --opening");
        }
    }
    if (later && !direct) {
        return UsageError("--later only applies to --direct");
    }
    const bool cutMode = cut || advance || options.openingVideo;
    if ((options.settings.from || options.settings.until) && !direct && !(fps && !cutMode)) {
        return UsageError("--from and --until only apply to --direct and --fps");
    }
    if (cut && options.openingVideo) {
        return UsageError("--cut and --opening both give the opening's length; use one of them");
    }
    if (options.settings.ansi && !options.settings.outputEncoding.empty()) {
        return UsageError("--ansi and --output-encoding both choose the output encoding; use one");
    }
    if (outputDir && overwrite) {
        return UsageError("-o/--output-dir and --overwrite exclude each other");
    }
    if (options.settings.breakLinks && !overwrite) {
        return UsageError("--break-links goes with --overwrite");
    }
    if (!outputDir && !overwrite) {
        return UsageError("say where to write: -o DIR or --overwrite");
    }
    if (options.inputs.empty()) {
        return UsageError("no files given");
    }

    engine::ShiftSettings& settings = options.settings;
    if (!points.empty()) {
        const std::optional<engine::TimingMap> map =
            engine::TwoPointMap(points[0].now, points[0].right, points[1].now, points[1].right);
        if (!map) {
            return UsageError(
                "--point: the two points must be at different times now and keep their order");
        }
        settings = engine::RetimeOnly(std::move(settings), *map);
        options.retiming = RetimingText(*map, "two points");
    } else if (fps && !direct && !cutMode) {
        settings = engine::FrameRateConversion(std::move(settings), fps->from, fps->to);
    } else if (direct) {
        settings.mode = ShiftMode::Direct;
        settings.shiftSeconds =
            directFrames ? engine::FramesToSeconds(*directFrames, *frameRate) : *direct;
        settings.later = later;
    } else {
        settings.mode = ShiftMode::Cut;
        settings.cutSeconds = cut.value_or(12.0);
        settings.extraAdvance = advance.has_value();
        if (advance) {
            settings.shiftSeconds = *advance;
        }
    }
    if (fps) {
        if (direct || cutMode) {  // otherwise the conversion above holds it
            engine::AddFrameRateChange(settings, fps->from, fps->to);
        }
        options.retiming = RetimingText(*settings.map, "frame rate " + fps->text);
    }
    settings.overwrite = overwrite;
    if (outputDir) {
        settings.outputDir = textio::PathFromUtf8(*outputDir);
    }

    ParseResult result;
    result.action = ParseResult::Action::Run;
    result.options = std::move(options);
    return result;
}

}  // namespace orvane::cli
