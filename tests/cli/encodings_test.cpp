// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-shift's output encodings, and named encodings meeting marks: the
// exact bytes written, and what is refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/runner.h"
#include "support/temp_dir.h"
#include "textio/icu_handles.h"

namespace orvane::cli {
namespace {
namespace fs = std::filesystem;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;

std::string Cue(const std::string& time, const std::string& text) {
    return "1\r\n" + time + "\r\n" + text + "\r\n";
}

const std::string kBefore = "00:00:01,000 --> 00:00:02,000";
const std::string kAfter = "00:00:02,000 --> 00:00:03,000";  // one second later
const std::string kText = "这个故事讲的是两个朋友。";

std::string In(const char* charset, const std::string& text) {
    return textio::ConvertCharset(charset, "UTF-8", text);
}

struct OutputCase {
    const char* name;
    const char* choice;
    std::string source;    // the file's bytes
    std::string expected;  // the output's bytes
    const char* inErr;     // a part of what stderr must say, or ""
};

class OutputEncodings : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputEncodings, WritesTheExactBytes) {
    const OutputCase& c = GetParam();
    TempDir dir;
    const fs::path source = dir.Write("a.srt", c.source);
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(cli::Run({"--direct", "1", "--later", "--output-encoding", c.choice, "-o",
                        (dir.path() / "out").string(), source.string()},
                       out, err),
              kExitOk)
        << err.str();
    EXPECT_EQ(ReadBytes(dir.path() / "out" / "a.srt"), c.expected);
    EXPECT_NE(err.str().find(c.inErr), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutputEncodings,
    ::testing::Values(OutputCase{"utf8_without_mark", "utf-8", "\xEF\xBB\xBF" + Cue(kBefore, kText),
                                 Cue(kAfter, kText), ""},
                      OutputCase{"utf8_with_mark", "UTF-8-BOM", Cue(kBefore, kText),
                                 "\xEF\xBB\xBF" + Cue(kAfter, kText), ""},
                      OutputCase{"gb18030", "gb18030", Cue(kBefore, kText + "€⋯"),
                                 "1\r\n" + kAfter + "\r\n" + In("GB18030", kText + "€⋯") + "\r\n",
                                 ""},
                      OutputCase{"utf16le_has_its_mark", "utf-16le", Cue(kBefore, kText),
                                 "\xFF\xFE" + In("UTF-16LE", Cue(kAfter, kText)), ""},
                      // Big5 has no 这 or 两 (Simplified): "?" each, named with their line.
                      OutputCase{"big5_names_what_it_lacks", "big5", Cue(kBefore, "電視 这"),
                                 In("Big5", Cue(kAfter, "電視 ?")), "U+8FD9 (line 3)"},
                      // As read: GBK stays GBK, unmarked UTF-16 stays unmarked.
                      OutputCase{"same_gbk", "same", In("GBK", Cue(kBefore, kText)),
                                 In("GBK", Cue(kAfter, kText)), ""},
                      OutputCase{"same_unmarked_utf16le", "same",
                                 In("UTF-16LE", Cue(kBefore, kText)),
                                 In("UTF-16LE", Cue(kAfter, kText)), ""},
                      OutputCase{"same_marked_utf8", "same", "\xEF\xBB\xBF" + Cue(kBefore, kText),
                                 "\xEF\xBB\xBF" + Cue(kAfter, kText), ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct NamedCase {
    const char* name;
    std::vector<std::string> extra;  // options besides --direct 1 --later -o out
    std::string source;
    int status;
    std::string expected;  // the output's bytes, when written
    const char* inErr;
};

class NamedEncodings : public ::testing::TestWithParam<NamedCase> {};

TEST_P(NamedEncodings, MarksAndChoicesAreSettled) {
    const NamedCase& c = GetParam();
    TempDir dir;
    const fs::path source = dir.Write("a.srt", c.source);
    std::vector<std::string> args{"--direct", "1", "--later", "-o", (dir.path() / "out").string()};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    args.push_back(source.string());
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::Run(args, out, err), c.status) << err.str();
    const fs::path written = dir.path() / "out" / "a.srt";
    if (c.expected.empty()) {
        EXPECT_FALSE(fs::exists(written));
    } else {
        EXPECT_EQ(ReadBytes(written), c.expected);
    }
    EXPECT_NE(err.str().find(c.inErr), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(Table, NamedEncodings,
                         ::testing::Values(
                             // One mark, not the source's and another.
                             NamedCase{"utf8_named_on_a_marked_file_writes_one_mark",
                                       {"--encoding", "UTF-8"},
                                       "\xEF\xBB\xBF" + Cue(kBefore, kText),
                                       kExitOk,
                                       "\xEF\xBB\xBF" + Cue(kAfter, kText),
                                       ""},
                             NamedCase{"utf8_mark_before_named_big5_is_dropped",
                                       {"--encoding", "Big5"},
                                       "\xEF\xBB\xBF" + In("Big5", Cue(kBefore, "電視")),
                                       kExitOk,
                                       "\xEF\xBB\xBF" + Cue(kAfter, "電視"),
                                       "byte-order mark stood before"},
                             NamedCase{"utf16_mark_contradicts_named_big5",
                                       {"--encoding", "Big5"},
                                       "\xFF\xFE" + In("UTF-16LE", Cue(kBefore, kText)),
                                       kExitSomeFailed,
                                       "",
                                       "mark says UTF-16LE, but --encoding names Big5"},
                             NamedCase{"ansi_and_output_encoding",
                                       {"--ansi", "--output-encoding", "utf-8"},
                                       Cue(kBefore, kText),
                                       kExitUsage,
                                       "",
                                       "use one"},
                             NamedCase{"unknown_output_encoding",
                                       {"--output-encoding", "latin-1"},
                                       Cue(kBefore, kText),
                                       kExitUsage,
                                       "",
                                       "none of same"},
                             NamedCase{"uncertain_is_not_written",
                                       {},
                                       In("GBK", Cue(kBefore, "中文")),
                                       kExitSomeFailed,
                                       "",
                                       "encoding uncertain: looks like"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::cli
