// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/batch.h"

#include <algorithm>
#include <exception>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "textio/file_system.h"
#include "textio/simplify.h"

namespace orvane::engine {
namespace fs = std::filesystem;
using textio::Failure;
using textio::FailureKind;
using textio::FileId;
using textio::PathInfo;
using textio::PathType;

namespace {

Failure MakeFailure(FailureKind kind, const fs::path& path, std::error_code code = {},
                    const fs::path& other = {}) {
    Failure failure;
    failure.kind = kind;
    failure.path = path;
    failure.code = code;
    failure.other = other;
    return failure;
}

// The files of a folder (not its subfolders), sorted by name.
void ListFolder(const fs::path& folder, std::vector<fs::path>& out, std::vector<Failure>& refused) {
    std::vector<fs::path> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) {
            names.push_back(it->path());
        }
    }
    if (ec) {
        refused.push_back(MakeFailure(FailureKind::ListFolderFailed, folder, ec));
        return;
    }
    std::sort(names.begin(), names.end());
    out.insert(out.end(), names.begin(), names.end());
}

std::vector<fs::path> ExpandInputs(const std::vector<fs::path>& inputs,
                                   std::vector<Failure>& refused) {
    std::vector<fs::path> candidates;
    for (const fs::path& input : inputs) {
        const PathInfo info = textio::InspectPath(input);
        if (info.type == PathType::Missing) {
            // Not passed over as "another file type": a mistyped name is a failure.
            refused.push_back(MakeFailure(FailureKind::NoSuchFile, input));
        } else if (info.type == PathType::Folder) {
            ListFolder(input, candidates, refused);
        } else if (info.code) {
            // A path the system cannot even look at (too long, no access):
            // its cause, not "another file type".
            refused.push_back(MakeFailure(FailureKind::OpenFailed, input, info.code));
        } else {
            candidates.push_back(input);
        }
    }
    return candidates;
}

// Identifies where an output goes: the file already there, or (for a file
// still to be made) its folder and name.
std::string TargetKey(const fs::path& target, const PathInfo& info) {
    if (info.id) {
        return "id:" + std::to_string(info.id->device) + ":" + std::to_string(info.id->inode);
    }
    std::error_code ec;
    const fs::path absolute = fs::absolute(target, ec);
    return "path:" + textio::PathToUtf8((ec ? target : absolute).lexically_normal());
}

// Under overwrite the output replaces the file a link points to, so the link
// stays a link. When that file cannot be found, nothing is: replacing the
// link itself would leave the file as it was and make the link a copy.
std::optional<fs::path> ResolvedSource(const fs::path& source, std::error_code& ec) {
    const fs::path resolved = fs::canonical(source, ec);
    if (!ec) {
        return resolved;
    }
    return textio::IsSymlink(source) ? std::nullopt : std::optional<fs::path>(source);
}

class Planner {
public:
    explicit Planner(const ShiftSettings& settings)
        : settings_(settings),
          // Asked only when needed: loading the dictionaries takes a while.
          simplifierMissing_(settings.simplify && !textio::SimplifierAvailable()) {
        plan_.settings = settings;
    }

    BatchPlan Make(const std::vector<fs::path>& inputs) {
        for (const fs::path& candidate : ExpandInputs(inputs, plan_.refused)) {
            Admit(candidate);
        }
        for (const Source& source : sources_) {
            PlanTarget(source);
        }
        return std::move(plan_);
    }

private:
    struct Source {
        fs::path path;
        FileId id;
        bool readOnly = false;
        std::uint64_t links = 1;
        std::error_code writeCode;
    };

    // Two hard links of one file (not a symbolic link and its file): once
    // the links may be split, each name is shifted and written on its own.
    static bool AreOtherNames(const fs::path& a, const fs::path& b) {
        std::error_code ecA;
        std::error_code ecB;
        const fs::path resolvedA = fs::canonical(a, ecA);
        const fs::path resolvedB = fs::canonical(b, ecB);
        return !ecA && !ecB && resolvedA != resolvedB;
    }

    // Replacing a file by rename gives only the replaced name the new bytes.
    void RefuseHardLinked(const Source& source) {
        Failure failure = MakeFailure(FailureKind::HardLinked, source.path);
        failure.links = source.links;
        plan_.refused.push_back(failure);
        // The run's other names of that file are left as they are too.
        auto& skipped = plan_.skipped;
        for (auto it = skipped.begin(); it != skipped.end();) {
            if (it->why == SkippedName::Why::SameFile && it->sameAs == source.path) {
                failure.path = it->path;
                failure.other = source.path;
                plan_.refused.push_back(failure);
                it = skipped.erase(it);
            } else {
                ++it;
            }
        }
    }

    void Admit(const fs::path& candidate) {
        if (KindOfFile(candidate) == SubtitleKind::Other) {
            plan_.skipped.push_back({candidate, SkippedName::Why::NotSubtitle, {}});
            return;
        }
        const PathInfo info = textio::InspectPath(candidate);
        if (info.type == PathType::Missing) {
            plan_.refused.push_back(MakeFailure(FailureKind::NoSuchFile, candidate));
            return;
        }
        if (info.type == PathType::Folder) {
            plan_.refused.push_back(MakeFailure(FailureKind::IsFolder, candidate));
            return;
        }
        if (info.type != PathType::Regular || !info.id) {
            plan_.refused.push_back(
                MakeFailure(info.code ? FailureKind::OpenFailed : FailureKind::NotRegularFile,
                            candidate, info.code));
            return;
        }
        const auto [known, added] = firstNameOf_.emplace(*info.id, candidate);
        if (!added && !(settings_.breakLinks && settings_.overwrite &&
                        AreOtherNames(candidate, known->second))) {
            plan_.skipped.push_back({candidate, SkippedName::Why::SameFile, known->second});
            return;
        }
        sources_.push_back({candidate, *info.id, info.readOnly, info.links, info.writeCode});
    }

    void PlanTarget(const Source& source) {
        // Written without the conversion asked for, a file would look done.
        if (simplifierMissing_) {
            Refuse(FailureKind::SimplifierMissing, source.path);
            return;
        }
        if (settings_.overwrite) {
            if (source.readOnly) {
                plan_.refused.push_back(
                    MakeFailure(FailureKind::TargetReadOnly, source.path, source.writeCode));
                return;
            }
            if (source.links > 1 && !settings_.breakLinks) {
                RefuseHardLinked(source);
                return;
            }
            std::error_code ec;
            const std::optional<fs::path> resolved = ResolvedSource(source.path, ec);
            if (!resolved) {
                plan_.refused.push_back(MakeFailure(FailureKind::LinkUnresolved, source.path, ec));
                return;
            }
            plan_.files.push_back({source.path, *resolved, std::nullopt});
            return;
        }
        const fs::path target = TargetPath(source.path, settings_);
        const PathInfo info = textio::InspectPath(target);
        if (info.id && *info.id == source.id) {
            Refuse(FailureKind::TargetIsSource, source.path);
            return;
        }
        if (info.id) {
            if (const auto input = firstNameOf_.find(*info.id); input != firstNameOf_.end()) {
                Refuse(FailureKind::TargetIsInput, source.path, input->second);
                return;
            }
        }
        const auto [claimed, added] = targetOwners_.emplace(TargetKey(target, info), source.path);
        if (!added) {
            Refuse(FailureKind::TargetTaken, source.path, claimed->second);
            return;
        }
        if (info.type == PathType::Folder) {
            Refuse(FailureKind::TargetIsFolder, source.path, target);
            return;
        }
        if (info.type == PathType::Regular && info.readOnly) {
            plan_.refused.push_back(
                MakeFailure(FailureKind::TargetReadOnly, source.path, info.writeCode, target));
            return;
        }
        plan_.files.push_back({source.path, target, std::nullopt});
    }

    void Refuse(FailureKind kind, const fs::path& source, const fs::path& other = {}) {
        plan_.refused.push_back(MakeFailure(kind, source, {}, other));
    }

    const ShiftSettings& settings_;
    const bool simplifierMissing_;
    BatchPlan plan_;
    std::vector<Source> sources_;
    std::map<FileId, fs::path> firstNameOf_;
    std::map<std::string, fs::path> targetOwners_;
};

// Every planned file fails the same way when the output folder is unusable.
std::optional<Failure> PrepareOutputFolder(const BatchPlan& plan) {
    if (plan.settings.overwrite || plan.files.empty()) {
        return std::nullopt;
    }
    const fs::path& folder = plan.settings.outputDir;
    const PathInfo info = textio::InspectPath(folder);
    if (info.type == PathType::Folder) {
        return std::nullopt;
    }
    if (info.type != PathType::Missing) {
        return MakeFailure(FailureKind::OutputDirNotFolder, folder, info.code);
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        return MakeFailure(FailureKind::OutputDirCreateFailed, folder, ec);
    }
    return std::nullopt;
}

// What runs that died left in the folders this one writes to.
void RemoveStaleTemporaryFiles(const BatchPlan& plan) {
    std::set<fs::path> folders;
    for (const PlannedFile& file : plan.files) {
        folders.insert(file.target.has_parent_path() ? file.target.parent_path() : fs::path("."));
    }
    for (const fs::path& folder : folders) {
        textio::RemoveStaleTemporaryFiles(folder);
    }
}

bool StopRequested(const RunOptions& options) {
    return options.stopRequested && options.stopRequested->load();
}

FileOutcome ShiftOne(const PlannedFile& file, const ShiftSettings& settings,
                     const BatchObserver& observer, const RunOptions& options) {
    FileOutcome outcome;
    outcome.source = file.source;
    outcome.target = file.target;
    try {
        FileShiftResult result = ShiftSubtitleFile(file.source, settings, observer.progress,
                                                   {file.target, options.seam, options.lockWait});
        outcome.failure = std::move(result.failure);
        outcome.stats = result.stats;
        outcome.gbk = std::move(result.gbk);
        outcome.read = std::move(result.read);
    } catch (const std::exception& e) {
        outcome.failure = MakeFailure(FailureKind::Unexpected, file.source);
        outcome.failure->detail = e.what();
    }
    return outcome;
}

}  // namespace

bool BatchPlan::WouldReplaceAnInput() const {
    return std::any_of(refused.begin(), refused.end(), [](const Failure& failure) {
        return failure.kind == FailureKind::TargetIsSource ||
               failure.kind == FailureKind::TargetIsInput;
    });
}

BatchPlan PlanBatch(const std::vector<fs::path>& inputs, const ShiftSettings& settings) {
    return Planner(settings).Make(inputs);
}

std::size_t BatchSummary::Written() const {
    return static_cast<std::size_t>(std::count_if(outcomes.begin(), outcomes.end(),
                                                  [](const FileOutcome& o) { return !o.failure; }));
}

std::size_t BatchSummary::Failed() const {
    return outcomes.size() - Written() + refused.size();
}

BatchSummary RunBatch(const BatchPlan& plan, const BatchObserver& observer,
                      const RunOptions& options) {
    BatchSummary summary;
    summary.planned = plan.files.size();
    summary.refused = plan.refused;
    summary.skipped = plan.skipped;

    if (const std::optional<Failure> folderFailure = PrepareOutputFolder(plan)) {
        for (const PlannedFile& file : plan.files) {
            FileOutcome outcome{file.source, file.target, folderFailure, {}, {}, {}};
            outcome.failure->other = folderFailure->path;
            outcome.failure->path = file.source;
            summary.outcomes.push_back(outcome);
            if (observer.fileDone) {
                observer.fileDone(summary.outcomes.back());
            }
        }
        return summary;
    }

    RemoveStaleTemporaryFiles(plan);
    for (std::size_t i = 0; i < plan.files.size(); ++i) {
        if (StopRequested(options)) {
            summary.stopped = true;
            break;
        }
        const PlannedFile& file = plan.files[i];
        if (observer.fileStarted) {
            observer.fileStarted(i + 1, plan.files.size(), file);
        }
        if (file.map) {
            ShiftSettings own = plan.settings;
            own.map = file.map;
            summary.outcomes.push_back(ShiftOne(file, own, observer, options));
        } else {
            summary.outcomes.push_back(ShiftOne(file, plan.settings, observer, options));
        }
        ++summary.processed;
        if (observer.fileDone) {
            observer.fileDone(summary.outcomes.back());
        }
    }
    // A request that came with the last file changes nothing that is left.
    return summary;
}

}  // namespace orvane::engine
