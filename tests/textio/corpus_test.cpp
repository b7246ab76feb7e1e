// SPDX-License-Identifier: GPL-3.0-or-later
// Real-world subtitle files, when the corpus folder is there. Its odd/
// folder holds malformed and mislabelled files on purpose.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/why.h"
#include "textio/line_tests.h"
#include "textio/record_loader.h"
#include "textio/text_file.h"

namespace orvane::textio {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesUnder(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string LowerExtension(const fs::path& path) {
    std::string ext = PathToUtf8(path.extension());
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

TEST(Corpus, EveryFileLoadsInBothLayouts) {
    const auto corpus = orvane::testing::CorpusDir();
    if (!corpus) {
        GTEST_SKIP() << "no corpus folder (ORVANE_CORPUS_DIR)";
    }
    const std::vector<fs::path> files = FilesUnder(*corpus);
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files) {
        SCOPED_TRACE(PathToUtf8(file));
        const BytesResult raw = ReadFileBytes(file);
        ASSERT_FALSE(raw.failure) << orvane::testing::Why(raw.failure);
        const bool refused = DetectSourceEncoding(raw.bytes) == SourceEncoding::Unsupported;
        for (LoadLayout layout : {LoadLayout::Srt, LoadLayout::Plain}) {
            const LoadResult result = LoadSubRecords(file, layout);
            EXPECT_EQ(!result.failure, !refused) << orvane::testing::Why(result.failure);
            if (result.failure) {
                continue;
            }
            // Record lines are trimmed and hold no line break.
            for (std::size_t i = 0; i < result.lines.size(); ++i) {
                const std::string_view line = result.lines[i];
                EXPECT_EQ(line.find_first_of("\r\n"), std::string_view::npos) << "row " << i;
                EXPECT_TRUE(line.empty() || (line.front() != ' ' && line.back() != ' '))
                    << "row " << i << ": [" << line << "]";
            }
            if (!result.lines.empty()) {
                EXPECT_FALSE(result.lines[0].empty());
                EXPECT_EQ(result.lines[result.lines.size() - 1], "");
            }
        }
    }
}

// Each blank row stands between two cues: after a text row, before a cue
// number that a time line follows. The last row is the final empty one.
TEST(Corpus, SrtFilesHaveOneBlankRowBetweenCues) {
    const auto corpus = orvane::testing::CorpusDir();
    if (!corpus || !fs::is_directory(*corpus / "srt")) {
        GTEST_SKIP() << "no corpus folder (ORVANE_CORPUS_DIR)";
    }
    std::size_t checked = 0;
    for (const fs::path& file : FilesUnder(*corpus / "srt")) {
        if (LowerExtension(file) != ".srt") {
            continue;
        }
        SCOPED_TRACE(PathToUtf8(file));
        const LoadResult result = LoadSubRecords(file, LoadLayout::Srt);
        ASSERT_FALSE(result.failure) << orvane::testing::Why(result.failure);
        const RecordLines& rows = result.lines;
        ASSERT_GE(rows.size(), 4u);
        EXPECT_TRUE(IsCueNumberLine(rows[0])) << "first row [" << rows[0] << "]";
        std::size_t blanks = 0;
        for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
            if (!rows[i].empty()) {
                continue;
            }
            ++blanks;
            ASSERT_GT(i, 0u);
            EXPECT_FALSE(rows[i - 1].empty()) << "two blank rows at " << i;
            ASSERT_LT(i + 2, rows.size()) << "blank row " << i << " ends the cues";
            EXPECT_TRUE(IsCueNumberLine(rows[i + 1]))
                << "row " << i + 1 << " [" << rows[i + 1] << "]";
            EXPECT_NE(rows[i + 2].find("-->"), std::string_view::npos)
                << "row " << i + 2 << " [" << rows[i + 2] << "]";
        }
        EXPECT_GT(blanks, 0u);
        EXPECT_EQ(rows[rows.size() - 1], "");
        ++checked;
    }
    EXPECT_GT(checked, 0u);
}

}  // namespace
}  // namespace orvane::textio
