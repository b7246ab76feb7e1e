// SPDX-License-Identifier: GPL-3.0-or-later
// A run over many files, for the window and for orvane-shift alike. Planning
// decides every refusal before anything is written: which names are
// subtitle files, which of them are one file reached twice, where each output
// goes and which outputs would replace something they must not. Running then
// shifts the planned files one by one, honours a stop request between files
// and sums up what happened.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/file_shift.h"
#include "engine/shift_settings.h"
#include "textio/failure.h"
#include "textio/file_lock.h"
#include "textio/progress.h"

namespace orvane::engine {

struct PlannedFile {
    std::filesystem::path source;  // as the user named it
    std::filesystem::path target;  // where the output goes (links resolved under overwrite)
    // This file's own change of time axis, in place of the settings' map:
    // an alignment finds one for each file.
    std::optional<TimingMap> map;
};

// A name the run passes over without counting it as a failure.
struct SkippedName {
    enum class Why {
        NotSubtitle,  // not .srt, .ass or .ssa
        SameFile,     // the file `sameAs` names, reached again by another name
    };
    std::filesystem::path path;
    Why why = Why::NotSubtitle;
    std::filesystem::path sameAs;
};

struct BatchPlan {
    ShiftSettings settings;
    std::vector<PlannedFile> files;        // in the order given
    std::vector<textio::Failure> refused;  // inputs refused before anything is written
    std::vector<SkippedName> skipped;

    // Without overwrite, some output would replace an input of the run.
    bool WouldReplaceAnInput() const;
};

// Folders given as inputs stand for their files (not their subfolders),
// sorted by name. Only .srt, .ass and .ssa files are shifted; other names are
// passed over and noted. A name that does not exist is refused.
BatchPlan PlanBatch(const std::vector<std::filesystem::path>& inputs,
                    const ShiftSettings& settings);

struct FileOutcome {
    std::filesystem::path source;
    std::filesystem::path target;
    std::optional<textio::Failure> failure;  // nothing: written
    ShiftStats stats;
    textio::GbkEncodeReport gbk;
    ReadNotes read;
};

struct BatchSummary {
    std::size_t planned = 0;               // files the plan held
    std::size_t processed = 0;             // files handed to the shifters
    bool stopped = false;                  // a stop request ended the run early
    std::vector<FileOutcome> outcomes;     // every processed file, in order
    std::vector<textio::Failure> refused;  // from the plan
    std::vector<SkippedName> skipped;      // from the plan

    std::size_t Written() const;
    std::size_t Failed() const;  // processed files that failed, and refused inputs
};

struct BatchObserver {
    // Before each file: its number from 1 and the count of planned files.
    std::function<void(std::size_t number, std::size_t count, const PlannedFile& file)> fileStarted;
    // Every line read or shifted in the current file.
    textio::ProgressFn progress;
    std::function<void(const FileOutcome& outcome)> fileDone;
};

struct RunOptions {
    // Read between files; once true no further file starts.
    const std::atomic<bool>* stopRequested = nullptr;
    // Seams for tests: how the output reaches the disk.
    textio::WriteSeam* seam = nullptr;
    // How long a file waits for another run that is shifting it.
    std::chrono::milliseconds lockWait = textio::kLockWait;
};

// Makes the output folder when one is needed, then shifts every planned file.
BatchSummary RunBatch(const BatchPlan& plan, const BatchObserver& observer = {},
                      const RunOptions& options = {});

}  // namespace orvane::engine
