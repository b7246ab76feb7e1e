// SPDX-License-Identifier: GPL-3.0-or-later
// Real-world subtitle files, when the corpus folder is there. Its odd/
// folder holds malformed and mislabelled files on purpose.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <iconv.h>
#endif

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/why.h"
#include "textio/encoding.h"
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
        const SourceEncoding encoding = DecodeText(raw.bytes.View()).encoding;
        const bool refused =
            encoding == SourceEncoding::Unsupported || encoding == SourceEncoding::Uncertain;
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

#ifndef _WIN32
// The file's bytes as iconv reads them in `charset`; empty when it cannot.
std::string Iconv(const std::string& bytes, const char* charset) {
    const iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string out(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1)) {
        return {};
    }
    out.resize(out.size() - outLeft);
    return out;
}

// Every file whose encoding its name or SOURCES.md states reads as iconv
// reads it from that encoding. (jPod is said to be Latin-1, but its bytes
// are Russian in windows-1251.)
TEST(Corpus, StatedEncodingsReadAsIconvReadsThem) {
    const auto corpus = orvane::testing::CorpusDir();
    if (!corpus) {
        GTEST_SKIP() << "no corpus folder (ORVANE_CORPUS_DIR)";
    }
    const std::pair<const char*, const char*> stated[] = {
        {"srt/derived__big5__acopopb_zho-Hant.srt", "BIG5"},
        {"srt/derived__gb18030__t_zho-Hans_eng.srt", "GB18030"},
        {"srt/aspasia__gbk.srt", "GBK"},
        {"srt/cdownsrt__gb2312.srt", "GBK"},
        {"srt/pysrt__windows-1252.srt", "CP1252"},
        {"srt/subtitleedit__auto_detect_windows-1251.srt", "CP1251"},
        {"srt/subtitlesparser__jPod.S01E01.HDTV.XviD-2HD.srt", "CP1251"},
        {"srt/subtitlesparser__Salvage.SRT", "CP1256"},
        {"ssa/subtitlesparser__Lost_and_Delirious_fr.ssa", "CP1252"},
        // Its few accented letters are UTF-8 read as windows-1252 once
        // already ("focÃ¼se"): refused as uncertain, which is as good.
        {"ssa/subtitlesparser__HellBoy_2_The_Golden_Army.ssa", "CP1252"},
        {"odd/subtitlesparser__20140115-204540_invalidSub", "CP1252"},
        {"srt/pysrt__bom-utf-16-le.srt", "UTF-16"},
        {"srt/pysrt__bom-utf-16-be.srt", "UTF-16"},
    };
    for (const auto& [name, charset] : stated) {
        SCOPED_TRACE(name);
        const fs::path file = *corpus / name;
        if (!fs::exists(file)) {
            continue;
        }
        const std::string bytes = orvane::testing::ReadBytes(file);
        const std::string expected = Iconv(bytes, charset);
        ASSERT_FALSE(expected.empty());
        const DecodedText decoded = DecodeText(bytes);
        if (decoded.encoding == SourceEncoding::Uncertain &&
            std::string_view(name).find("HellBoy") != std::string_view::npos) {
            continue;
        }
        EXPECT_TRUE(decoded.utf8 == expected) << "read as " << decoded.charset;
    }
}
#endif

}  // namespace
}  // namespace orvane::textio
