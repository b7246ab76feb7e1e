// SPDX-License-Identifier: GPL-3.0-or-later
// A cue of one huge line is passed on in pieces as it stands in the file,
// never copied into the output text, and the pieces make the same file as
// the output held whole.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "shift_test_support.h"

namespace orvane::engine {
namespace {

enum class Kind { Srt, Ass };

struct HugeLineCase {
    const char* name;
    Kind kind;
    std::string before;  // up to the huge line
    std::string after;   // from its line end on
    ShiftSettings settings;
};

class HugeLine : public ::testing::TestWithParam<HugeLineCase> {};

ShiftOutput ShiftText(Kind kind, textio::FileBytes text, const ShiftSettings& settings,
                      const TextChunkFn& onChunk) {
    return kind == Kind::Srt ? ShiftSrtText(std::move(text), settings, {}, onChunk)
                             : ShiftAssText(std::move(text), settings, {}, onChunk);
}

TEST_P(HugeLine, GoesOnUncopiedInPiecesThatMakeTheWholeOutput) {
    const HugeLineCase& c = GetParam();
    const std::string line(kChunkBytes + 1000, 'x');
    const std::string text = c.before + line + c.after;
    const ShiftOutput whole = ShiftText(c.kind, textio::FileBytes(text), c.settings, {});
    ASSERT_FALSE(whole.failure) << static_cast<int>(*whole.failure);

    textio::FileBytes bytes(text);
    const char* const begin = bytes.View().data();
    const char* const end = begin + bytes.View().size();
    std::string pieces;
    bool passedUncopied = false;
    ShiftOutput rest = ShiftText(c.kind, std::move(bytes), c.settings, [&](std::string_view piece) {
        pieces += piece;
        passedUncopied = passedUncopied || (piece.data() >= begin && piece.data() < end &&
                                            piece.size() >= line.size());
    });
    pieces += rest.text;
    EXPECT_EQ(pieces, whole.text);
    EXPECT_TRUE(passedUncopied);
}

const std::string kSrtHead = "1\r\n00:00:01,000 --> 00:00:02,000\r\n";
const std::string kSrtTail = "\r\n\r\n2\r\n00:00:03,000 --> 00:00:04,000\r\nEnd\r\n";
const std::string kAssHead =
    "[Script Info]\r\nScriptType: v4.00+\r\n\r\n[Events]\r\nFormat: Layer, Start, End, Style, "
    "Name, MarginL, MarginR, MarginV, Effect, "
    "Text\r\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,";
const std::string kAssTail = "\r\nDialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,End\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, HugeLine,
    ::testing::Values(HugeLineCase{"srt_copied", Kind::Srt, kSrtHead, kSrtTail, Direct(1.5, true)},
                      HugeLineCase{"srt_copied_cut", Kind::Srt, kSrtHead, kSrtTail, Cut(0.5)},
                      // A space at the end is trimmed: the cue is written line by line.
                      HugeLineCase{"srt_rewritten", Kind::Srt, kSrtHead, " " + kSrtTail,
                                   Direct(1, true)},
                      // Another line ending hands the file to the line table.
                      HugeLineCase{"srt_line_table", Kind::Srt, kSrtHead,
                                   "\n\n2\n00:00:03,000 --> 00:00:04,000\n", Direct(1, true)},
                      HugeLineCase{"srt_line_table_removal", Kind::Srt, kSrtHead, kSrtTail,
                                   WithRemoval(Direct(1, true), LanguageRemoval::RemoveChinese)},
                      HugeLineCase{"ass_direct", Kind::Ass, kAssHead, kAssTail, Direct(1, true)},
                      HugeLineCase{"ass_cut", Kind::Ass, kAssHead, kAssTail, Cut(0.5)}),
    [](const ::testing::TestParamInfo<HugeLineCase>& info) { return info.param.name; });

}  // namespace
}  // namespace orvane::engine
