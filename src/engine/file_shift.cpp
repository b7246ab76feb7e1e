// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/file_shift.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "engine/ass_shifter.h"
#include "engine/srt_text_shifter.h"
#include "textio/file_lock.h"
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

// Shifts a file's decoded text into the chunks it passes on.
using TextShifter = ShiftOutput (*)(textio::FileBytes, const ShiftSettings&,
                                    const textio::ProgressFn&, const TextChunkFn&);

ShiftOutput ShiftSrt(textio::FileBytes text, const ShiftSettings& settings,
                     const textio::ProgressFn& progress, const TextChunkFn& onChunk) {
    return ShiftSrtText(std::move(text), settings, progress, onChunk);
}

ShiftOutput ShiftAss(textio::FileBytes text, const ShiftSettings& settings,
                     const textio::ProgressFn& progress, const TextChunkFn& onChunk) {
    return ShiftAssText(std::move(text), settings, progress, onChunk);
}

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
// source that loses every cue, so nothing is written at all. So does a map
// that moves every cue before zero (with a range, the cues outside it stay).
bool NothingLeft(const ShiftSettings& settings, const ShiftStats& stats) {
    const bool canDrop =
        settings.mode == ShiftMode::Cut || (settings.map && !settings.from && !settings.until);
    return canDrop && stats.dropped > 0 && stats.shifted == 0 && stats.kept == 0 &&
           stats.untimed == 0;
}

// Read, shift, write: the shared road of both file types.
FileShiftResult ShiftFile(const fs::path& path, const ShiftSettings& settings,
                          const textio::ProgressFn& progress, const FileShiftOptions& options,
                          TextShifter shift) {
    FileShiftResult result;
    result.target = options.target.empty() ? TargetPath(path, settings) : options.target;
    if (!IsAmount(settings.shiftSeconds) || !IsAmount(settings.cutSeconds) ||
        !IsAmount(settings.cutFrom)) {
        result.failure = FailureOf(textio::FailureKind::BadAmount, path);
        return result;
    }
    // One writer at a time, from reading the source to replacing it.
    const textio::FileLock lock = textio::FileLock::Acquire(path, options.lockWait);
    if (lock.failure()) {
        result.failure = lock.failure();
        return result;
    }
    textio::TextBytesResult read = textio::ReadTextBytes(path, settings.encoding);
    if (read.failure) {
        result.failure = std::move(read.failure);
        return result;
    }
    const textio::DecodedText& how = read.how;
    // An encoding the user named needs no word; a detected one does.
    const bool unusual = settings.encoding.empty() &&
                         how.encoding == textio::SourceEncoding::CodePage && how.charset != "GBK";
    result.read = {how.charset, unusual, how.replacedBytes, how.firstReplacedLine,
                   how.droppedUtf8Mark};
    // Bytes that could not be read as text are gone from the output: fine
    // for a copy, never over the only original.
    if (how.replacedBytes > 0 && settings.overwrite) {
        result.failure = FailureOf(textio::FailureKind::InvalidBytes, path);
        return result;
    }
    if (!textio::HoldsNonBlankLine(read.utf8.View())) {
        result.failure = FailureOf(textio::FailureKind::Empty, path);
        return result;
    }
    // The output goes to the temporary file as it is made; the target is
    // replaced only when the whole file was shifted and written.
    textio::WriteOptions writeOptions{read.mode, options.seam};
    if (settings.overwrite) {
        writeOptions.targetUnchanged = [&lock] { return lock.Unchanged(); };
    }
    textio::TextFileWriter writer(
        result.target, textio::ChooseOutputEncoding(settings.outputEncoding, settings.ansi, how),
        writeOptions);
    ShiftOutput shifted = shift(std::move(read.utf8), settings, progress,
                                [&writer](std::string_view chunk) { writer.Write(chunk); });
    result.stats = shifted.stats;
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
    return ShiftFile(path, settings, progress, options, &ShiftSrt);
}

FileShiftResult ShiftAssFile(const fs::path& path, const ShiftSettings& settings,
                             const textio::ProgressFn& progress, const FileShiftOptions& options) {
    return ShiftFile(path, settings, progress, options, &ShiftAss);
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
