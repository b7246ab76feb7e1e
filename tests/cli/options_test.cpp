// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orvane::cli {
namespace {

using engine::LanguageRemoval;
using engine::ShiftMode;
using Action = ParseResult::Action;

struct AmountCase {
    const char* name;
    const char* text;
    std::optional<double> expected;
};

class AmountTest : public ::testing::TestWithParam<AmountCase> {};

TEST_P(AmountTest, Reads) {
    EXPECT_EQ(ParseAmount(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AmountTest,
    ::testing::Values(
        AmountCase{"whole", "12", 12.0}, AmountCase{"fraction", "1.5", 1.5},
        AmountCase{"zero", "0", 0.0}, AmountCase{"leading_zeros", "007.250", 7.25},
        AmountCase{"trailing_point", "5.", 5.0}, AmountCase{"leading_point", ".5", 0.5},
        AmountCase{"largest", "360000", 360000.0},
        AmountCase{"too_large", "360000.001", std::nullopt},
        AmountCase{"huge", "99999999999999999999999", std::nullopt},
        AmountCase{"negative", "-1", std::nullopt}, AmountCase{"plus_sign", "+1", std::nullopt},
        AmountCase{"exponent", "1e3", std::nullopt}, AmountCase{"inf", "inf", std::nullopt},
        AmountCase{"nan", "nan", std::nullopt}, AmountCase{"two_points", "1.2.3", std::nullopt},
        AmountCase{"point_only", ".", std::nullopt}, AmountCase{"empty", "", std::nullopt},
        AmountCase{"comma", "1,5", std::nullopt}, AmountCase{"space", " 1", std::nullopt},
        AmountCase{"hex", "0x10", std::nullopt},
        AmountCase{"full_width_digit", "１２", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;  // the usage error's text
};

class UsageErrorTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrorTest, Refuses) {
    const ParseResult result = ParseArguments(GetParam().args);
    EXPECT_EQ(result.action, Action::UsageError);
    EXPECT_EQ(result.message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageErrorTest,
    ::testing::Values(
        UsageCase{"direct_with_cut",
                  {"--direct", "1", "--cut", "2", "-o", "out", "a.srt"},
                  "--direct cannot be combined with --cut"},
        UsageCase{"direct_with_advance",
                  {"--advance", "2", "--direct", "1", "-o", "out", "a.srt"},
                  "--direct cannot be combined with --advance"},
        UsageCase{"direct_with_opening",
                  {"--direct", "1", "--opening", "ad.mp4", "-o", "out", "a.srt"},
                  "--direct cannot be combined with --opening"},
        UsageCase{"cut_with_opening",
                  {"--cut", "5", "--opening", "ad.mp4", "-o", "out", "a.srt"},
                  "--cut and --opening both give the opening's length; use one of them"},
        UsageCase{"later_without_direct",
                  {"--later", "-o", "out", "a.srt"},
                  "--later only applies to --direct"},
        UsageCase{"later_with_cut",
                  {"--cut", "3", "--later", "-o", "out", "a.srt"},
                  "--later only applies to --direct"},
        UsageCase{"output_and_overwrite",
                  {"-o", "out", "--overwrite", "a.srt"},
                  "-o/--output-dir and --overwrite exclude each other"},
        UsageCase{"break_links_without_overwrite",
                  {"--break-links", "-o", "out", "a.srt"},
                  "--break-links goes with --overwrite"},
        UsageCase{"no_destination", {"a.srt"}, "say where to write: -o DIR or --overwrite"},
        UsageCase{"no_files", {"-o", "out"}, "no files given"},
        UsageCase{"nothing", {}, "say where to write: -o DIR or --overwrite"},
        UsageCase{"unknown_long", {"--shift", "1", "-o", "out", "a.srt"}, "unknown option --shift"},
        UsageCase{"unknown_short", {"-x", "-o", "out", "a.srt"}, "unknown option -x"},
        UsageCase{"short_help_is_not_an_option", {"-h"}, "unknown option -h"},
        UsageCase{"missing_value_at_end", {"-o", "out", "a.srt", "--cut"}, "--cut needs a value"},
        UsageCase{"missing_value_before_option",
                  {"--direct", "--later", "-o", "out", "a.srt"},
                  "--direct needs a value"},
        UsageCase{"missing_output_dir", {"a.srt", "-o"}, "-o/--output-dir needs a value"},
        UsageCase{"empty_output_dir",
                  {"--output-dir=", "a.srt"},
                  "-o/--output-dir: the folder name is empty"},
        UsageCase{"negative_amount",
                  {"--direct", "-1", "-o", "out", "a.srt"},
                  "--direct: \"-1\" is not a plain number of seconds such as 12 or 1.5"},
        UsageCase{"exponent_amount",
                  {"--cut", "1e3", "-o", "out", "a.srt"},
                  "--cut: \"1e3\" is not a plain number of seconds such as 12 or 1.5"},
        UsageCase{"inf_amount",
                  {"--advance=inf", "-o", "out", "a.srt"},
                  "--advance: \"inf\" is not a plain number of seconds such as 12 or 1.5"},
        UsageCase{"two_points_amount",
                  {"--direct", "1.2.3", "-o", "out", "a.srt"},
                  "--direct: \"1.2.3\" is not a plain number of seconds such as 12 or 1.5"},
        UsageCase{"point_amount",
                  {"--cut", ".", "-o", "out", "a.srt"},
                  "--cut: \".\" is not a plain number of seconds such as 12 or 1.5"},
        UsageCase{"bad_language",
                  {"--drop", "french", "-o", "out", "a.srt"},
                  "--drop: \"french\" is neither english nor chinese"},
        UsageCase{"value_on_flag",
                  {"--later=yes", "--direct", "1", "-o", "out", "a.srt"},
                  "--later takes no value"},
        UsageCase{"amount_given_twice",
                  {"--cut", "5", "--cut", "6", "-o", "out", "a.srt"},
                  "--cut is given more than once"},
        UsageCase{"fps_not_two_rates",
                  {"--fps", "25", "-o", "out", "a.srt"},
                  "--fps: \"25\" is not two frame rates such as 25:23.976"},
        UsageCase{"fps_and_point",
                  {"--fps", "25:24", "--point", "1=2", "--point", "3=4", "-o", "out", "a.srt"},
                  "--fps and --point are two ways of retiming; use one of them"},
        UsageCase{"one_point",
                  {"--point", "10=12", "-o", "out", "a.srt"},
                  "--point is given twice: --point T1=U1 --point T2=U2"},
        UsageCase{"points_at_one_time",
                  {"--point", "10=12", "--point", "00:00:10,000=20", "-o", "out", "a.srt"},
                  "--point: the two points must be at different times now and keep their order"},
        UsageCase{"points_reversed",
                  {"--point", "10=20", "--point", "20=10", "-o", "out", "a.srt"},
                  "--point: the two points must be at different times now and keep their order"},
        UsageCase{"point_with_direct",
                  {"--point", "1=2", "--point", "3=4", "--direct", "1", "-o", "out", "a.srt"},
                  "--point is a mode of its own: it takes no other timing option"},
        UsageCase{"frames_without_a_rate",
                  {"--direct", "12f", "-o", "out", "a.srt"},
                  "--direct: an amount in frames needs --frame-rate"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RunCase {
    const char* name;
    std::vector<std::string> args;
    ShiftMode mode;
    double shiftSeconds;
    bool later;
    double cutSeconds;
    bool extraAdvance;
    LanguageRemoval removal;
    std::vector<std::string> inputs;
};

class RunArgumentsTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunArgumentsTest, FillsSettings) {
    const RunCase& c = GetParam();
    const ParseResult result = ParseArguments(c.args);
    ASSERT_EQ(result.action, Action::Run) << result.message;
    const engine::ShiftSettings& s = result.options.settings;
    EXPECT_EQ(s.mode, c.mode);
    EXPECT_EQ(s.later, c.later);
    EXPECT_EQ(s.extraAdvance, c.extraAdvance);
    EXPECT_EQ(s.removal, c.removal);
    if (c.mode == ShiftMode::Direct || c.extraAdvance) {
        EXPECT_EQ(s.shiftSeconds, c.shiftSeconds);
    }
    if (c.mode == ShiftMode::Cut) {
        EXPECT_EQ(s.cutSeconds, c.cutSeconds);
        EXPECT_EQ(s.ExtraSeconds(), c.extraAdvance ? c.shiftSeconds : 0.0);
    }
    std::vector<std::string> inputs;
    for (const auto& input : result.options.inputs) {
        inputs.push_back(input.string());
    }
    EXPECT_EQ(inputs, c.inputs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunArgumentsTest,
    ::testing::Values(RunCase{"default_is_cut_12",
                              {"-o", "out", "a.srt"},
                              ShiftMode::Cut,
                              0,
                              false,
                              12.0,
                              false,
                              LanguageRemoval::Keep,
                              {"a.srt"}},
                      RunCase{"cut",
                              {"--cut", "7.5", "-o", "out", "a.srt"},
                              ShiftMode::Cut,
                              0,
                              false,
                              7.5,
                              false,
                              LanguageRemoval::Keep,
                              {"a.srt"}},
                      RunCase{"advance_keeps_default_cut",
                              {"--advance", "2", "-o", "out", "a.srt"},
                              ShiftMode::Cut,
                              2.0,
                              false,
                              12.0,
                              true,
                              LanguageRemoval::Keep,
                              {"a.srt"}},
                      RunCase{"cut_and_advance",
                              {"--cut=10", "--advance=0.5", "--overwrite", "a.srt"},
                              ShiftMode::Cut,
                              0.5,
                              false,
                              10.0,
                              true,
                              LanguageRemoval::Keep,
                              {"a.srt"}},
                      RunCase{"direct_earlier",
                              {"--direct", "1.5", "-o", "out", "a.srt", "b.ass"},
                              ShiftMode::Direct,
                              1.5,
                              false,
                              0,
                              false,
                              LanguageRemoval::Keep,
                              {"a.srt", "b.ass"}},
                      RunCase{"direct_later",
                              {"--later", "--direct", "3", "--overwrite", "a.srt"},
                              ShiftMode::Direct,
                              3.0,
                              true,
                              0,
                              false,
                              LanguageRemoval::Keep,
                              {"a.srt"}},
                      RunCase{"drop_english",
                              {"--drop", "english", "-o", "out", "a.srt"},
                              ShiftMode::Cut,
                              0,
                              false,
                              12.0,
                              false,
                              LanguageRemoval::RemoveEnglish,
                              {"a.srt"}},
                      RunCase{"drop_chinese_any_case",
                              {"--drop=Chinese", "-o", "out", "a.srt"},
                              ShiftMode::Cut,
                              0,
                              false,
                              12.0,
                              false,
                              LanguageRemoval::RemoveChinese,
                              {"a.srt"}},
                      RunCase{"files_between_options",
                              {"a.srt", "-o", "out", "b.srt", "-q"},
                              ShiftMode::Cut,
                              0,
                              false,
                              12.0,
                              false,
                              LanguageRemoval::Keep,
                              {"a.srt", "b.srt"}},
                      RunCase{"dash_dash_ends_options",
                              {"-o", "out", "--", "--cut", "-q"},
                              ShiftMode::Cut,
                              0,
                              false,
                              12.0,
                              false,
                              LanguageRemoval::Keep,
                              {"--cut", "-q"}},
                      RunCase{"lone_dash_is_a_file",
                              {"-o", "out", "-"},
                              ShiftMode::Cut,
                              0,
                              false,
                              12.0,
                              false,
                              LanguageRemoval::Keep,
                              {"-"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseArguments, FlagsAndDestination) {
    const ParseResult result = ParseArguments({"--simplified", "--ansi", "-q", "--output-dir",
                                               "out dir", "--opening", "ad.mp4", "a.srt"});
    ASSERT_EQ(result.action, Action::Run) << result.message;
    EXPECT_TRUE(result.options.settings.simplify);
    EXPECT_TRUE(result.options.settings.ansi);
    EXPECT_FALSE(result.options.settings.overwrite);
    EXPECT_EQ(result.options.settings.outputDir.string(), "out dir");
    EXPECT_TRUE(result.options.quiet);
    ASSERT_TRUE(result.options.openingVideo.has_value());
    EXPECT_EQ(result.options.openingVideo->string(), "ad.mp4");
}

TEST(ParseArguments, HelpWinsOverErrors) {
    EXPECT_EQ(ParseArguments({"--bogus", "--help"}).action, Action::Help);
    EXPECT_EQ(ParseArguments({"-o", "out", "--", "--help"}).action, Action::Run);
}

}  // namespace
}  // namespace orvane::cli
