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

textio::Failure FailureOf(textio::FailureKind kind, const fs::path& path) {
    textio::Failure failure;
    failure.kind = kind;
    failure.path = path;
    return failure;
}

// A cut that leaves no cue would write a file with nothing in it; over the
// source that loses every cue, so nothing is written at all.
bool NothingLeft(const ShiftSettings& settings, const ShiftStats& stats) {
    return settings.mode == ShiftMode::Cut && stats.dropped > 0 && stats.shifted == 0 &&
           stats.untimed == 0;
}

// Load, shift, write: the shared road of both file types.
FileShiftResult ShiftFile(const fs::path& path, const ShiftSettings& settings,
                          const textio::ProgressFn& progress, const FileShiftOptions& options,
                          textio::LoadLayout layout, LinesShifter shift) {
    FileShiftResult result;
    result.target = options.target.empty() ? TargetPath(path, settings) : options.target;
    if (!IsAmount(settings.shiftSeconds) || !IsAmount(settings.cutSeconds)) {
        result.failure = FailureOf(textio::FailureKind::BadAmount, path);
        return result;
    }
    textio::LoadResult loaded =
        textio::LoadSubRecords(path, layout, progress, {}, settings.encoding);
    if (loaded.failure) {
        result.failure = std::move(loaded.failure);
        return result;
    }
    result.read = {loaded.charset,
                   loaded.encoding == textio::SourceEncoding::CodePage && loaded.charset != "GBK",
                   loaded.replacedBytes, loaded.firstReplacedLine};
    // Bytes that could not be read as text are gone from the output: fine
    // for a copy, never over the only original.
    if (loaded.replacedBytes > 0 && settings.overwrite) {
        result.failure = FailureOf(textio::FailureKind::InvalidBytes, path);
        return result;
    }
    if (loaded.lines.empty()) {
        result.failure = FailureOf(textio::FailureKind::Empty, path);
        return result;
    }
    // The output goes to the temporary file as it is made; the target is
    // replaced only when the whole file was shifted and written.
    const textio::Charset charset = settings.ansi ? textio::Charset::Gb2312 : textio::Charset::Utf8;
    textio::TextFileWriter writer(result.target, charset, {loaded.mode, options.seam});
    ShiftOutput shifted = shift(loaded.lines, settings, progress,
                                [&writer](std::string_view chunk) { writer.Write(chunk); });
    result.stats = shifted.stats;
    // Lines of a file that changed under the shifter are not the file's:
    // whatever it made of them, nothing is written.
    if (loaded.lines.SourceChanged()) {
        result.failure = FailureOf(textio::FailureKind::ChangedWhileRead, path);
        return result;
    }
    if (shifted.failure) {
        result.failure = FailureOf(*shifted.failure, path);
        return result;
    }
    if (NothingLeft(settings, shifted.stats)) {
        result.failure = FailureOf(textio::FailureKind::NothingLeft, path);
        return result;
    }
    writer.Write(shifted.text);
    textio::WriteResult written = writer.Commit();
    result.gbk = std::move(written.gbk);
    result.failure = std::move(written.failure);
    return result;
}

}  // namespace

FileShiftResult ShiftSrtFile(const fs::path& path, const ShiftSettings& settings,
                             const textio::ProgressFn& progress, const FileShiftOptions& options) {
    return ShiftFile(path, settings, progress, options, textio::LoadLayout::Srt, &ShiftSrtLines);
}

FileShiftResult ShiftAssFile(const fs::path& path, const ShiftSettings& settings,
                             const textio::ProgressFn& progress, const FileShiftOptions& options) {
    return ShiftFile(path, settings, progress, options, textio::LoadLayout::Plain, &ShiftAssLines);
}

FileShiftResult ShiftSubtitleFile(const fs::path& path, const ShiftSettings& settings,
                                  const textio::ProgressFn& progress,
                                  const FileShiftOptions& options) {
    switch (KindOfFile(path)) {
        case SubtitleKind::Srt:
            return ShiftSrtFile(path, settings, progress, options);
        case SubtitleKind::Ass:
            return ShiftAssFile(path, settings, progress, options);
        case SubtitleKind::Other:
            break;
    }
    FileShiftResult result;
    result.failure = FailureOf(textio::FailureKind::NotSubtitleFile, path);
    return result;
}

}  // namespace orvane::engine
