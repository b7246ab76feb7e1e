// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/sync_run.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/runner.h"
#include "support/temp_dir.h"

namespace orvane::cli {
namespace {
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;

struct SyncUsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;
};

TEST(SyncOptions, RefuseWhatTheyCannotDo) {
    const SyncUsageCase cases[] = {
        {"an amount beside the reference",
         {"--sync-to", "r.srt", "--direct", "1", "-o", "o", "a.srt"},
         "--sync-to cannot be combined with --direct"},
        {"a sync option alone",
         {"--no-split", "-o", "o", "a.srt"},
         "--no-split only applies to --sync-to"},
        {"nowhere to write",
         {"--sync-to", "r.srt", "a.srt"},
         "say where to write: -o DIR or --overwrite"},
        {"a penalty that is no number",
         {"--sync-to", "r.srt", "--split-penalty", "x", "--dry-run", "a.srt"},
         "--split-penalty: \"x\" is not a plain number of seconds such as 12 or 1.5"},
        {"a stream that is no whole number",
         {"--sync-to", "v.mkv", "--audio-stream", "1.5", "--dry-run", "a.srt"},
         "--audio-stream: \"1.5\" is not a stream number such as 0 or 1"},
        {"a start that is no time",
         {"--sync-to", "v.mkv", "--start-at", "soon", "--dry-run", "a.srt"},
         "--start-at: \"soon\" is neither seconds nor a time code such as 00:01:30,000"},
        {"a clip without an episode",
         {"--find-opening", "op.mkv"},
         "--find-opening CLIP and --in EPISODE go together"},
        {"a clip beside subtitle files and nowhere to write",
         {"--find-opening", "op.mkv", "--in", "ep.mkv", "a.srt"},
         "say where to write: -o DIR or --overwrite"},
        {"a clip and somewhere to write but no files",
         {"--find-opening", "op.mkv", "--in", "ep.mkv", "-o", "out"},
         "no files given"},
        {"a clip beside an amount",
         {"--find-opening", "op.mkv", "--in", "ep.mkv", "--cut", "12", "-o", "o", "a.srt"},
         "--find-opening cannot be combined with --cut"},
        {"a clip beside a frame-rate change",
         {"--find-opening", "op.mkv", "--in", "ep.mkv", "--fps", "25:24", "-o", "o", "a.srt"},
         "--find-opening cannot be combined with --fps"},
        {"a clip beside a reference",
         {"--find-opening", "op.mkv", "--in", "ep.mkv", "--sync-to", "r.srt", "--dry-run", "a.srt"},
         "--find-opening cannot be combined with --sync-to"},
        {"a video option alone",
         {"--start-at", "90", "-o", "o", "a.srt"},
         "--start-at only applies to --sync-to"},
    };
    for (const SyncUsageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ParseResult result = ParseArguments(c.args);
        EXPECT_EQ(result.action, ParseResult::Action::UsageError);
        EXPECT_EQ(result.message, c.message);
    }
}

TEST(SyncOptions, CarryTheAlignmentSettings) {
    const ParseResult result =
        ParseArguments({"--sync-to", "r.ass", "--dry-run", "--no-split", "--no-fps-guess",
                        "--split-penalty", "2.5", "--max-offset", "60", "--force", "a.srt"});
    ASSERT_EQ(result.action, ParseResult::Action::Run);
    ASSERT_TRUE(result.options.sync);
    const SyncOptions& sync = *result.options.sync;
    EXPECT_EQ(sync.reference, "r.ass");
    EXPECT_TRUE(sync.dryRun);
    EXPECT_TRUE(sync.force);
    EXPECT_FALSE(sync.align.split);
    EXPECT_FALSE(sync.align.guessFrameRate);
    EXPECT_EQ(sync.align.splitPenalty, 2.5);
    EXPECT_EQ(sync.align.maxOffset, 60.0);
}

TEST(SyncOptions, CarryTheVideoSettings) {
    const ParseResult result = ParseArguments({"--sync-to", "film.mkv", "--audio-stream", "1",
                                               "--start-at", "00:01:30,500", "--dry-run", "a.srt"});
    ASSERT_EQ(result.action, ParseResult::Action::Run);
    ASSERT_TRUE(result.options.sync);
    EXPECT_EQ(result.options.sync->audioStream, 1);
    EXPECT_EQ(result.options.sync->startAt, 90.5);
}

TEST(FindOpeningOptions, WithFilesTheyAreCutWithTheUsualOutputOptions) {
    const ParseResult result = ParseArguments({"--find-opening", "op.mkv", "--in", "ep.mkv",
                                               "--search", "900", "--ansi", "-o", "out", "a.srt"});
    ASSERT_EQ(result.action, ParseResult::Action::Run) << result.message;
    ASSERT_TRUE(result.options.findOpening);
    EXPECT_EQ(result.options.findOpening->searchSeconds, 900.0);
    EXPECT_EQ(result.options.inputs.size(), 1U);
    EXPECT_EQ(result.options.settings.mode, engine::ShiftMode::Cut);
    EXPECT_TRUE(result.options.settings.ansi);
    EXPECT_EQ(result.options.settings.outputDir, "out");

    const ParseResult printOnly = ParseArguments({"--find-opening", "op.mkv", "--in", "ep.mkv"});
    ASSERT_EQ(printOnly.action, ParseResult::Action::Run);
    EXPECT_TRUE(printOnly.options.inputs.empty());
}

std::string Srt(const std::vector<std::pair<const char*, const char*>>& times) {
    std::string text;
    for (std::size_t i = 0; i < times.size(); ++i) {
        text += std::to_string(i + 1) + "\n" + times[i].first + " --> " + times[i].second +
                "\nline\n\n";
    }
    return text;
}

const std::string kReference = Srt({{"00:00:10,000", "00:00:12,000"},
                                    {"00:00:15,000", "00:00:16,500"},
                                    {"00:00:20,000", "00:00:23,000"},
                                    {"00:00:30,000", "00:00:31,000"}});
// The reference 2.5 s early.
const std::string kEarly = Srt({{"00:00:07,500", "00:00:09,500"},
                                {"00:00:12,500", "00:00:14,000"},
                                {"00:00:17,500", "00:00:20,500"},
                                {"00:00:27,500", "00:00:28,500"}});

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome RunWith(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = Run(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(SyncRun, DryRunPrintsTheMapAndWritesNothing) {
    const TempDir dir;
    const auto reference = dir.Write("r.srt", kReference);
    const auto file = dir.Write("a.srt", kEarly);
    const Outcome outcome = RunWith({"--sync-to", reference.string(), "--dry-run", file.string()});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_NE(outcome.out.find(": aligned to "), std::string::npos);
    EXPECT_NE(outcome.out.find("scale 1, confidence "), std::string::npos);
    EXPECT_NE(outcome.out.find("  00:00:07,500 - 00:00:28,500  +2.500 s  (4 cues, confidence "),
              std::string::npos)
        << outcome.out;
    EXPECT_EQ(ReadBytes(file), kEarly);
}

TEST(SyncRun, WritesAPlainOffsetAsADirectShift) {
    const TempDir dir;
    const auto reference = dir.Write("r.srt", kReference);
    const auto file = dir.Write("a.srt", kEarly);
    const Outcome outcome =
        RunWith({"--sync-to", reference.string(), "--overwrite", file.string()});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    // Written as the shifters write: the same times as the reference.
    const std::string written = ReadBytes(file);
    for (const char* line : {"00:00:10,000 --> 00:00:12,000", "00:00:30,000 --> 00:00:31,000"}) {
        EXPECT_NE(written.find(line), std::string::npos) << written;
    }
}

TEST(SyncRun, RefusesAnUnsureAlignmentUnlessForced) {
    const TempDir dir;
    // The one cue fits either reference cue as well.
    const auto reference = dir.Write(
        "r.srt", Srt({{"00:00:11,000", "00:00:12,000"}, {"00:00:51,000", "00:00:52,000"}}));
    const std::string lone = Srt({{"00:00:01,000", "00:00:02,000"}});
    const auto file = dir.Write("a.srt", lone);
    const Outcome refused =
        RunWith({"--sync-to", reference.string(), "--overwrite", file.string()});
    EXPECT_EQ(refused.status, kExitSomeFailed);
    EXPECT_NE(refused.err.find("a.srt: unsure alignment (confidence 0.0, at least 4.0 needed)"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(ReadBytes(file), lone);

    const Outcome forced =
        RunWith({"--sync-to", reference.string(), "--force", "--overwrite", file.string()});
    EXPECT_EQ(forced.status, kExitOk) << forced.err;
    EXPECT_NE(ReadBytes(file), lone);
}

// An advert break: each side of it moves by its own offset.
TEST(SyncRun, WritesAMapWithABreak) {
    const TempDir dir;
    const auto reference = dir.Write("r.srt", Srt({{"00:00:11,000", "00:00:12,000"},
                                                   {"00:00:13,000", "00:00:15,000"},
                                                   {"00:02:15,000", "00:02:18,000"},
                                                   {"00:02:19,500", "00:02:20,000"}}));
    const std::string broken = Srt({{"00:00:01,000", "00:00:02,000"},
                                    {"00:00:03,000", "00:00:05,000"},
                                    {"00:01:35,000", "00:01:38,000"},
                                    {"00:01:39,500", "00:01:40,000"}});
    const auto file = dir.Write("a.srt", broken);
    const Outcome outcome = RunWith({"--sync-to", reference.string(), "--split-penalty", "0.5",
                                     "--output-encoding", "same", "--overwrite", file.string()});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_NE(outcome.out.find("+40.000 s  (2 cues"), std::string::npos) << outcome.out;
    EXPECT_EQ(ReadBytes(file),
              "1\r\n00:00:11,000 --> 00:00:12,000\r\nline\r\n\r\n"
              "2\r\n00:00:13,000 --> 00:00:15,000\r\nline\r\n\r\n"
              "3\r\n00:02:15,000 --> 00:02:18,000\r\nline\r\n\r\n"
              "4\r\n00:02:19,500 --> 00:02:20,000\r\nline\r\n");
}

// --sync-to cuts nothing unless told: with --cut the opening goes first, as
// cut mode cuts it, and what is left is aligned.
TEST(SyncRun, CutsTheOpeningFirstWhenAsked) {
    const ParseResult parsed =
        ParseArguments({"--sync-to", "r.srt", "--cut", "8", "--dry-run", "a.srt"});
    ASSERT_EQ(parsed.action, ParseResult::Action::Run) << parsed.message;
    EXPECT_EQ(parsed.options.sync->cutSeconds, 8.0);
    EXPECT_FALSE(
        ParseArguments({"--sync-to", "r.srt", "--dry-run", "a.srt"}).options.sync->cutSeconds);

    const TempDir dir;
    const auto reference = dir.Write("r.srt", kReference);
    // An advert of 8 s before the film, which then runs 2.5 s early.
    const std::string withAdvert = Srt({{"00:00:01,000", "00:00:03,000"},
                                        {"00:00:15,500", "00:00:17,500"},
                                        {"00:00:20,500", "00:00:22,000"},
                                        {"00:00:25,500", "00:00:28,500"},
                                        {"00:00:35,500", "00:00:36,500"}});
    const auto file = dir.Write("a.srt", withAdvert);
    const Outcome outcome = RunWith({"--sync-to", reference.string(), "--cut", "8",
                                     "--output-encoding", "same", "--overwrite", file.string()});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_NE(outcome.out.find("a.srt: cut 8.000 s, then aligned to "), std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.out.find("+2.500 s  (4 cues"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("1 dropped"), std::string::npos) << outcome.out;
    EXPECT_EQ(ReadBytes(file),
              "1\r\n00:00:10,000 --> 00:00:12,000\r\nline\r\n\r\n"
              "2\r\n00:00:15,000 --> 00:00:16,500\r\nline\r\n\r\n"
              "3\r\n00:00:20,000 --> 00:00:23,000\r\nline\r\n\r\n"
              "4\r\n00:00:30,000 --> 00:00:31,000\r\nline\r\n");
}

// A cue the map moves wholly before zero is dropped and said, as a cut
// says it.
TEST(SyncRun, ReportsCuesMovedBeforeZero) {
    const TempDir dir;
    const auto reference = dir.Write("r.srt", kReference);
    // The reference 20 s late, with a cue that lands before zero.
    const std::string late = Srt({{"00:00:02,000", "00:00:03,000"},
                                  {"00:00:30,000", "00:00:32,000"},
                                  {"00:00:35,000", "00:00:36,500"},
                                  {"00:00:40,000", "00:00:43,000"},
                                  {"00:00:50,000", "00:00:51,000"}});
    const auto file = dir.Write("a.srt", late);
    const Outcome outcome =
        RunWith({"--sync-to", reference.string(), "--overwrite", file.string()});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_NE(outcome.out.find("4 cues shifted, 1 dropped before zero"), std::string::npos)
        << outcome.out;
    EXPECT_EQ(ReadBytes(file).find("00:00:00,000"), std::string::npos);
}

// --find-opening with files cuts the span found (here by a stand-in for the
// sound search) through the batch, with the batch's refusals.
TEST(FindOpeningRun, CutsTheSpanFoundFromTheFiles) {
    const TempDir dir;
    const std::string subtitle = Srt({{"00:01:30,000", "00:01:36,000"},
                                      {"00:01:37,000", "00:01:38,000"},
                                      {"00:01:39,000", "00:01:42,000"},
                                      {"00:01:50,000", "00:01:52,000"}});
    const auto file = dir.Write("a.srt", subtitle);
    const auto missing = dir / "missing.srt";
    RunEnvironment environment;
    bool found = true;
    environment.findOpening = [&](const FindOpeningOptions& find,
                                  std::string& error) -> std::optional<OpeningSpan> {
        EXPECT_EQ(find.clip, "op.wav");
        if (!found) {
            error = "op.wav: its sound is not in the first 600 s of ep.mkv";
            return std::nullopt;
        }
        return OpeningSpan{95.0004, 100.0004, 0.93};
    };
    const auto run = [&](const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = cli::Run(args, out, err, environment);
        return Outcome{status, out.str(), err.str()};
    };

    const Outcome cut = run({"--find-opening", "op.wav", "--in", "ep.mkv", "--output-encoding",
                             "same", "--overwrite", file.string(), missing.string()});
    EXPECT_EQ(cut.status, kExitSomeFailed) << cut.err;  // the missing file
    EXPECT_NE(cut.out.find("op.wav in ep.mkv: 00:01:35,000 - 00:01:40,000 (match 0.93)\n"),
              std::string::npos)
        << cut.out;
    EXPECT_NE(cut.out.find("3 cues shifted, 1 dropped, 2 trimmed at the cut"), std::string::npos)
        << cut.out;
    EXPECT_NE(cut.err.find("missing.srt"), std::string::npos) << cut.err;
    EXPECT_EQ(ReadBytes(file),
              "1\r\n00:01:30,000 --> 00:01:35,000\r\nline\r\n\r\n"
              "2\r\n00:01:35,000 --> 00:01:37,000\r\nline\r\n\r\n"
              "3\r\n00:01:45,000 --> 00:01:47,000\r\nline\r\n");

    found = false;
    const std::string before = ReadBytes(file);
    const auto out = dir / "out";
    const Outcome refused =
        run({"--find-opening", "op.wav", "--in", "ep.mkv", "-o", out.string(), file.string()});
    EXPECT_EQ(refused.status, kExitSomeFailed);
    EXPECT_NE(refused.err.find("not in the first 600 s of ep.mkv; nothing written"),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(ReadBytes(file), before);
}

}  // namespace
}  // namespace orvane::cli
