// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <set>
#include <utility>

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
    OutputDir,
    Opening,
    Quiet,
    Verbose,
    Encoding,
    OutputEncoding,
    From,
    Until,
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
    {"--output-dir", "-o", Opt::OutputDir, true},
    {"--opening", "", Opt::Opening, true},
    {"--quiet", "-q", Opt::Quiet, false},
    {"--verbose", "-v", Opt::Verbose, false},
    {"--encoding", "", Opt::Encoding, true},
    {"--output-encoding", "", Opt::OutputEncoding, true},
    {"--from", "", Opt::From, true},
    {"--until", "", Opt::Until, true},
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

// The first shift option given, which --sync-to leaves no room for: the
// alignment finds the amount itself.
std::optional<std::string> ShiftOptionBesideSync(bool cut, bool advance, bool direct, bool later,
                                                 bool opening, bool range) {
    const std::pair<bool, const char*> given[] = {
        {cut, "--cut"},     {advance, "--advance"}, {direct, "--direct"},
        {later, "--later"}, {opening, "--opening"}, {range, "--from and --until"},
    };
    for (const auto& [present, name] : given) {
        if (present) {
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<double> ParseTimeArgument(std::string_view text) {
    if (const std::optional<double> seconds = ParseAmount(text)) {
        return seconds;
    }
    // A whole SubRip or ASS time code, nothing around it.
    for (const engine::TimePattern pattern : {engine::TimePattern::Srt, engine::TimePattern::Ass}) {
        const std::string twice = std::string(text) +
                                  (pattern == engine::TimePattern::Srt ? " --> " : ",") +
                                  std::string(text);
        const auto match = engine::MatchTimeLine(twice, pattern);
        if (match && match->start.pos == 0 && match->start.length == text.size()) {
            return pattern == engine::TimePattern::Srt ? engine::ParseSrtTime(text)
                                                       : engine::ParseAssTime(text);
        }
    }
    return std::nullopt;
}

std::optional<double> ParseAmount(std::string_view text) {
    std::size_t digits = 0;
    std::size_t points = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || points > 1) {
        return std::nullopt;
    }
    // "5." and ".5" are plain decimals too; give from_chars a digit on each side.
    std::string normalized;
    if (text.front() == '.') {
        normalized += '0';
    }
    normalized += text;
    if (text.back() == '.') {
        normalized += '0';
    }
    double value = 0.0;
    const char* end = normalized.data() + normalized.size();
    const auto [stop, error] =
        std::from_chars(normalized.data(), end, value, std::chars_format::fixed);
    if (error != std::errc{} || stop != end || !std::isfinite(value) || value < 0.0 ||
        value > kMaxAmountSeconds) {
        return std::nullopt;
    }
    return value;
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
            if (!seen.insert(known->id).second) {
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
                if (!(direct = amount())) {
                    return badAmount();
                }
                break;
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

    if (!find.clip.empty() || !find.episode.empty() || findOnly) {
        if (find.clip.empty() || find.episode.empty()) {
            return UsageError("--find-opening CLIP and --in EPISODE go together");
        }
        if (!options.inputs.empty() || !sync.reference.empty()) {
            return UsageError(
                "--find-opening only prints where the opening is; it takes no other "
                "files or options");
        }
        ParseResult found;
        found.action = ParseResult::Action::Run;
        found.options.findOpening = find;
        return found;
    }
    if (!sync.reference.empty()) {
        if (const std::optional<std::string> other = ShiftOptionBesideSync(
                cut.has_value(), advance.has_value(), direct.has_value(), later,
                options.openingVideo.has_value(),
                options.settings.from.has_value() || options.settings.until.has_value())) {
            return UsageError("--sync-to cannot be combined with " + *other);
        }
        options.sync = sync;
        if (sync.dryRun && !outputDir && !overwrite) {
            overwrite = true;  // where nothing will be written: the plan checks no folder
        }
    } else if (syncOnly) {
        return UsageError(*syncOnly + " only applies to --sync-to");
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
    if ((options.settings.from || options.settings.until) && !direct) {
        return UsageError("--from and --until only apply to --direct");
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
    if (!outputDir && !overwrite) {
        return UsageError("say where to write: -o DIR or --overwrite");
    }
    if (options.inputs.empty()) {
        return UsageError("no files given");
    }

    engine::ShiftSettings& settings = options.settings;
    if (direct) {
        settings.mode = ShiftMode::Direct;
        settings.shiftSeconds = *direct;
        settings.later = later;
    } else {
        settings.mode = ShiftMode::Cut;
        settings.cutSeconds = cut.value_or(12.0);
        settings.extraAdvance = advance.has_value();
        if (advance) {
            settings.shiftSeconds = *advance;
        }
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

std::string HelpText() {
    return R"(Usage: orvane-shift [OPTIONS] FILE...
用法：orvane-shift [选项] 文件...

Moves the time axis of SubRip (.srt) and SubStation (.ass, .ssa) subtitle files.
A FILE may be a folder: its files (not its subfolders) are taken. Other file
types are skipped with a note.
平移字幕文件（srt、ass、ssa）的时间轴。可以给出文件夹（处理其中的文件，不含子文件夹）；
其他类型的文件跳过。

Mode 模式 (default 默认: --cut 12):
  --cut SECONDS       cut an opening of SECONDS away: cues inside it are dropped,
                      the cue across it starts at zero, later cues move earlier
                      先裁剪后平移：裁掉指定秒数的片头
  --advance SECONDS   cut mode: move a further SECONDS earlier after the cut
                      裁剪后再提前指定秒数
  --opening VIDEO     cut mode: the opening's length is the playing time of VIDEO
                      (at most 120 seconds)   以片头视频时长为裁剪长度（不超过120秒）
  --direct SECONDS    direct mode: move every cue SECONDS earlier
                      直接平移：所有字幕提前指定秒数
  --later             direct mode: move later instead   延后而不是提前
  --from TIME         direct mode: move only cues that start at or after TIME
                      (seconds, or a time code such as 00:20:00,000)
                      仅平移此时间及之后开始的字幕
  --until TIME        direct mode: move only cues that start before TIME
                      仅平移此时间之前开始的字幕
  --sync-to REF       align each file to the well-timed subtitle REF (.srt, .ass)
                      or to the speech of a video or audio file REF:
                      the offset, breaks and frame rate are found; an unsure
                      alignment is not written (exit 1)   自动对齐到参考字幕或视频
  --dry-run           sync: print the alignment, write nothing   只显示对齐结果
  --no-split          sync: one offset for the whole file   不分段
  --split-penalty N   sync: overlap in seconds a break must gain (default 6)
  --no-fps-guess      sync: do not try frame-rate conversions   不猜测帧率
  --max-offset SECONDS  sync: the largest offset tried (default 900)
  --force             sync: write an unsure alignment too   强制写入
  --audio-stream N    sync to a video: its N-th audio stream, from 0 (default 0)
  --start-at T        sync to a video: ignore its sound before T (a music opening)
  --find-opening CLIP --in EPISODE
                      print where the opening clip's sound starts and ends in
                      the episode   找到片头位置
  --search T          find-opening: how far into the episode to look (default 600)

Text 文字:
  --drop english|chinese  remove the English or the Chinese text of bilingual cues
                          删除英文字幕 / 删除中文字幕
  --simplified        convert Traditional to Simplified Chinese   繁转简
  --ansi              write GB2312 instead of UTF-8   以 GB2312（ANSI）编码保存
  --output-encoding same|utf-8|utf-8-bom|gb18030|big5|utf-16le
                      write in that encoding (default utf-8-bom; same: as read)
                      输出编码（默认带BOM的UTF-8；same：与源文件相同）

Output 输出 (one of the two is required 二者必选其一):
  -o, --output-dir DIR  write into DIR under the same file name (DIR is created)
                        输出到指定文件夹（不存在则创建）
  --overwrite           write over the source files   覆盖源文件

  --encoding NAME     read every file in encoding NAME (such as Big5, GB18030,
                      windows-1252) instead of detecting it   指定输入文件的编码
  -q, --quiet         print only warnings and errors   只显示警告和错误
  -v, --verbose       also name the encoding each file was read in   显示每个文件的编码
  --help              show this help   显示本帮助
  --version           print the version   显示版本

SECONDS is a plain decimal such as 12 or 1.5.   秒数为普通小数，如 12 或 1.5。

Exit status 退出码: 0 every file written 全部成功, 1 some file failed 有文件失败,
2 usage error 用法错误.

Examples 示例:
  orvane-shift --cut 12 -o out ep01.srt ep02.ass
  orvane-shift --direct 1.5 --later --overwrite subs/
)";
}

}  // namespace orvane::cli
