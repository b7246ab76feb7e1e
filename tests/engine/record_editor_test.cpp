// SPDX-License-Identifier: GPL-3.0-or-later
// Row editing without a window: changes applied both ways, what counts as
// unsaved, and a save that refuses what a run over the file list refuses.
#include "engine/record_editor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "support/temp_dir.h"

namespace orvane::engine {
namespace {

namespace fs = std::filesystem;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;
using textio::FailureKind;

const std::vector<std::string> kRows = {"1", "00:00:01,000 --> 00:00:02,000", "Hello"};
const std::string kSource = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n";
// The bytes a save of kRows writes after the time row moved 1 s later.
const std::string kSavedLater =
    "\xEF\xBB\xBF"
    "1\r\n00:00:02,000 --> 00:00:03,000\r\nHello\r\n";

TEST(RecordEditorTest, ChangesGoBothWaysAndUnsavedFollowsThem) {
    RecordEditor editor;
    editor.Load("a.srt", kRows);
    const std::vector<RowChange> changes = editor.PlanShift({0, 1, 2}, 1.0, true);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(editor.Rows()[1], "00:00:01,000 --> 00:00:02,000");  // planning changes nothing
    editor.Apply(changes, true);
    EXPECT_EQ(editor.Rows()[1], "00:00:02,000 --> 00:00:03,000");
    EXPECT_TRUE(editor.IsModified());
    EXPECT_TRUE(editor.IsRowUnsaved(1));
    EXPECT_FALSE(editor.IsRowUnsaved(0));
    editor.Apply(changes, false);
    EXPECT_EQ(editor.Rows(), kRows);
    EXPECT_FALSE(editor.IsModified());
}

struct SaveCase {
    const char* name;
    std::string bytes;     // the source file
    std::size_t replaced;  // bytes its reading could not keep
    bool overwrite;
    bool outputIsOwnFolder;
    bool readOnlySource;
    // What the save says; nothing: written.
    std::optional<FailureKind> failure;
    bool wouldReplaceSource;
    bool written;  // the output holds the shifted rows
};

class RecordEditorSaveTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(RecordEditorSaveTest, TakesTheRunsTargetChecks) {
    const SaveCase& c = GetParam();
    TempDir dir;
    const fs::path source = dir.Write("a.srt", c.bytes);
#ifndef _WIN32
    if (c.readOnlySource) {
        if (geteuid() == 0) {
            GTEST_SKIP() << "root writes read-only files";
        }
        chmod(source.c_str(), 0444);
    }
#endif
    RecordEditor editor;
    editor.Load(source, kRows, c.replaced);
    editor.Apply(editor.PlanShift({1}, 1.0, true), true);

    const fs::path outputDir = c.outputIsOwnFolder ? dir.path() : dir / "out";
    const RecordEditor::SaveResult saved = editor.Save({false, c.overwrite, outputDir});

    EXPECT_EQ(saved.wouldReplaceSource, c.wouldReplaceSource);
    EXPECT_EQ(saved.failure ? std::optional(saved.failure->kind) : std::nullopt, c.failure);
    const fs::path output = c.overwrite || c.outputIsOwnFolder ? source : dir / "out" / "a.srt";
    EXPECT_EQ(ReadBytes(output) == kSavedLater, c.written);
    EXPECT_EQ(editor.IsModified(), !c.written);
    if (!c.written) {
        EXPECT_EQ(ReadBytes(source), c.bytes);  // the source as it was
    }
}

const std::string kStrayByte = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHel\xFFlo\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordEditorSaveTest,
    ::testing::Values(
        SaveCase{"IntoTheOutputFolder", kSource, 0, false, false, false, std::nullopt, false, true},
        SaveCase{"OverTheSourceWhenAsked", kSource, 0, true, false, false, std::nullopt, false,
                 true},
        // The output folder is the file's own: the caller asks first.
        SaveCase{"OwnFolderAsksFirst", kSource, 0, false, true, false, std::nullopt, true, false},
        SaveCase{"DamagedSourceInItsOwnFolderAsksFirst", kStrayByte, 1, false, true, false,
                 std::nullopt, true, false},
        // Bytes lost in reading never go over the only original.
        SaveCase{"DamagedSourceNeverOverwritten", kStrayByte, 1, true, false, false,
                 FailureKind::InvalidBytes, false, false},
        SaveCase{"DamagedSourceCopiedElsewhere", kStrayByte, 1, false, false, false, std::nullopt,
                 false, true},
        SaveCase{"ReadOnlySourceRefused", kSource, 0, true, false, true,
                 FailureKind::TargetReadOnly, false, false}),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

TEST(RecordEditorTest, MissingSourceIsRefused) {
    TempDir dir;
    RecordEditor editor;
    editor.Load(dir / "gone.srt", kRows);
    const RecordEditor::SaveResult saved = editor.Save({false, false, dir / "out"});
    ASSERT_TRUE(saved.failure);
    EXPECT_EQ(saved.failure->kind, FailureKind::NoSuchFile);
    EXPECT_FALSE(fs::exists(dir / "out" / "gone.srt"));
}

// An alignment of the rows: their cues as the aligner reads them, and every
// time row moved by the segment that holds its start, stopping at zero.
TEST(RecordEditorTest, MapsEveryTimeRowAndReadsTheDialogueCues) {
    RecordEditor srt;
    srt.Load("a.srt", {"1", "00:00:01,000 --> 00:00:02,000", "A", "", "2",
                       "00:00:10,000 --> 00:00:12,000", "B"});
    TimingMap map = TimingMap::Constant(-1.5);
    map.Add({5, 1, 30});
    const std::vector<RowChange> changes = srt.PlanMap(map).changes;
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].after, "00:00:00,000 --> 00:00:00,500");
    EXPECT_EQ(changes[1].index, 5u);
    EXPECT_EQ(changes[1].after, "00:00:40,000 --> 00:00:42,000");
    ASSERT_EQ(srt.CueIntervals().size(), 2u);
    EXPECT_EQ(srt.CueIntervals()[1].end, 12.0);

    RecordEditor ass;
    ass.Load("a.ass", {"[Events]", "Comment: 0,0:00:01.00,0:00:02.00,note",
                       "Dialogue: 0,0:00:03.00,0:00:04.50,line"});
    ASSERT_EQ(ass.CueIntervals().size(), 1u);
    EXPECT_EQ(ass.CueIntervals()[0].start, 3.0);
    const std::vector<RowChange> moved = ass.PlanMap(TimingMap::Constant(2)).changes;
    ASSERT_EQ(moved.size(), 2u);  // comments move with the rest, as in a file run
    EXPECT_EQ(moved[1].after, "Dialogue: 0,0:00:05.00,0:00:06.50,line");
}

}  // namespace
}  // namespace orvane::engine
