// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/file_shift.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "engine/ass_shifter.h"
#include "engine/srt_shifter.h"
#include "textio/record_loader.h"
#include "textio/text_file.h"

namespace orvane::engine {
namespace fs = std::filesystem;

fs::path TargetPath(const fs::path& source, const ShiftSettings& settings) {
    return settings.overwrite ? source : settings.outputDir / source.filename();
}

SubtitleKind KindOfFile(const fs::path& path) {
    std::string extension = textio::PathToUtf8(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".srt") {
        return SubtitleKind::Srt;
    }
    if (extension == ".ass" || extension == ".ssa") {
        return SubtitleKind::Ass;
    }
    return SubtitleKind::Other;
}

namespace {

using LinesShifter = ShiftOutput (*)(const textio::RecordLines&, const ShiftSettings&,
                                     const textio::ProgressFn&, const TextChunkFn&);

bool IsAmount(double seconds) {
    return std::isfinite(seconds) && seconds >= 0;
}

// Load, shift, write: the shared road of both file types.
FileShiftResult ShiftFile(const fs::path& path, const ShiftSettings& settings,
                          const textio::ProgressFn& progress, textio::LoadLayout layout,
                          LinesShifter shift) {
    FileShiftResult result;
    result.target = TargetPath(path, settings);
    if (!IsAmount(settings.shiftSeconds) || !IsAmount(settings.cutSeconds)) {
        result.error = "平移秒数或片头时长不是有效的数字";
        return result;
    }
    textio::LoadResult loaded = textio::LoadSubRecords(path, layout, progress);
    if (!loaded.ok) {
        result.error = std::move(loaded.error);
        return result;
    }
    if (loaded.lines.empty()) {
        result.error = "文件是空的，没有字幕内容：" + textio::PathToUtf8(path);
        return result;
    }
    // The output goes to the temporary file as it is made; the target is
    // replaced only when the whole file was shifted and written.
    const textio::Charset charset = settings.ansi ? textio::Charset::Gb2312 : textio::Charset::Utf8;
    textio::TextFileWriter writer(result.target, charset);
    ShiftOutput shifted = shift(loaded.lines, settings, progress,
                                [&writer](std::string_view chunk) { writer.Write(chunk); });
    result.stats = shifted.stats;
    if (!shifted.ok) {
        result.error = shifted.error + "：" + textio::PathToUtf8(path);
        return result;
    }
    writer.Write(shifted.text);
    textio::WriteResult written = writer.Commit();
    result.gbk = std::move(written.gbk);
    result.written = written.ok;
    result.error = std::move(written.error);
    return result;
}

}  // namespace

FileShiftResult ShiftSrtFile(const fs::path& path, const ShiftSettings& settings,
                             const textio::ProgressFn& progress) {
    return ShiftFile(path, settings, progress, textio::LoadLayout::Srt, &ShiftSrtLines);
}

FileShiftResult ShiftAssFile(const fs::path& path, const ShiftSettings& settings,
                             const textio::ProgressFn& progress) {
    return ShiftFile(path, settings, progress, textio::LoadLayout::Plain, &ShiftAssLines);
}

FileShiftResult ShiftSubtitleFile(const fs::path& path, const ShiftSettings& settings,
                                  const textio::ProgressFn& progress) {
    switch (KindOfFile(path)) {
        case SubtitleKind::Srt:
            return ShiftSrtFile(path, settings, progress);
        case SubtitleKind::Ass:
            return ShiftAssFile(path, settings, progress);
        case SubtitleKind::Other:
            break;
    }
    FileShiftResult result;
    result.error = "不是字幕文件（仅支持srt、ass、ssa）：" + textio::PathToUtf8(path);
    return result;
}

}  // namespace orvane::engine
