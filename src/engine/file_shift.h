// SPDX-License-Identifier: GPL-3.0-or-later
// The file entry points: read a subtitle file, shift it, write the result.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "engine/shift_settings.h"
#include "engine/shift_stats.h"
#include "textio/failure.h"
#include "textio/file_lock.h"
#include "textio/gbk.h"
#include "textio/progress.h"
#include "textio/text_file.h"

namespace orvane::engine {

// How a file was read: its encoding, and bytes that were not text in it.
struct ReadNotes {
    std::string charset;          // the encoding's name for people
    bool unusualCharset = false;  // detected as neither UTF-8 nor GBK: worth telling
    std::size_t replacedBytes = 0;
    std::size_t firstReplacedLine = 0;
    bool droppedUtf8Mark = false;  // a UTF-8 mark stood before text named as another encoding
};

struct FileShiftResult {
    std::optional<textio::Failure> failure;  // nothing: written
    std::filesystem::path target;
    ShiftStats stats;
    textio::GbkEncodeReport gbk;  // characters GB2312 output could not hold
    ReadNotes read;
};

// Where the output of `source` goes: the source itself when overwriting,
// otherwise the output folder under the source's file name.
std::filesystem::path TargetPath(const std::filesystem::path& source,
                                 const ShiftSettings& settings);

// Where and how one file's output is written.
struct FileShiftOptions {
    std::filesystem::path target;       // empty: TargetPath()
    textio::WriteSeam* seam = nullptr;  // empty: the real disk
    // How long to wait for another run that holds the source.
    std::chrono::milliseconds lockWait = textio::kLockWait;
};

FileShiftResult ShiftSrtFile(const std::filesystem::path& path, const ShiftSettings& settings,
                             const textio::ProgressFn& progress = {},
                             const FileShiftOptions& options = {});
FileShiftResult ShiftAssFile(const std::filesystem::path& path, const ShiftSettings& settings,
                             const textio::ProgressFn& progress = {},
                             const FileShiftOptions& options = {});

enum class SubtitleKind { Srt, Ass, Other };

// By the lower-cased extension: srt; ass or ssa; anything else.
SubtitleKind KindOfFile(const std::filesystem::path& path);

// Dispatches by kind; Other is not written and says so.
FileShiftResult ShiftSubtitleFile(const std::filesystem::path& path, const ShiftSettings& settings,
                                  const textio::ProgressFn& progress = {},
                                  const FileShiftOptions& options = {});

}  // namespace orvane::engine
