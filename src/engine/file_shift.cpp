// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/file_shift.h"

#include <algorithm>
#include <cctype>

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

FileShiftResult ShiftSrtFile(const fs::path&, const ShiftSettings&, const textio::ProgressFn&) {
    FileShiftResult result;
    result.error = "尚未实现";
    return result;
}

FileShiftResult ShiftAssFile(const fs::path&, const ShiftSettings&, const textio::ProgressFn&) {
    FileShiftResult result;
    result.error = "尚未实现";
    return result;
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
