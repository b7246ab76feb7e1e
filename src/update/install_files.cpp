// SPDX-License-Identifier: GPL-3.0-or-later
// Putting the unpacked files in place: all checked first, then moved one by
// one with the old files waiting in a private folder, and every step undone
// in reverse when one fails.
#include <random>

#include "update/restart_helper.h"

namespace orvane::update {
namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& path) {
    return "\"" + path.generic_string() + "\"";
}

// One file's way into the program folder, decided before anything moves.
struct Planned {
    fs::path relative;
    fs::path source;
    fs::path target;
    bool replaces = false;
    fs::perms mode = fs::perms::none;
};

constexpr fs::perms kWriteBits =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// Why `file` cannot go into the program folder, or nothing.
Refusal Plan(const fs::path& staging, const StagedFile& file, const fs::path& programDir,
             const fs::path& programName, Planned& plan) {
    plan = {file.relative, staging / file.relative, programDir / file.relative, false,
            fs::perms::none};
    fs::path folder = programDir;
    for (auto part = file.relative.begin(); std::next(part) != file.relative.end(); ++part) {
        folder /= *part;
        std::error_code ec;
        const fs::file_status status = fs::status(folder, ec);
        if (fs::exists(status) && !fs::is_directory(status)) {
            return Quoted(folder.lexically_relative(programDir)) +
                   " is a file in the program folder, so " + Quoted(file.relative) +
                   " cannot go into it";
        }
    }
    std::error_code ec;
    const fs::file_status status = fs::status(plan.target, ec);
    if (!fs::exists(fs::symlink_status(plan.target, ec))) {
        const bool executable = file.executable || file.relative == programName;
        plan.mode = executable ? fs::perms(0755) : fs::perms(0644);
        return std::nullopt;
    }
    if (fs::is_directory(status)) {
        return Quoted(file.relative) +
               " is a folder in the program folder; a file cannot replace it";
    }
    if (fs::exists(status) && (status.permissions() & kWriteBits) == fs::perms::none) {
        return Quoted(file.relative) + " is read-only";
    }
    plan.replaces = true;
    plan.mode = fs::exists(status) ? status.permissions() : fs::perms(0644);
    return std::nullopt;
}

// What has been done so far, and how to undo it.
class Steps {
public:
    Steps(const DiskSteps& disk, fs::path backups) : disk_(disk), backups_(std::move(backups)) {}

    // Puts one planned file in place; why not, or nothing.
    Refusal Do(const Planned& file) {
        std::error_code ec;
        fs::permissions(file.source, file.mode, ec);
        if (ec) {
            return "cannot set the mode of " + Quoted(file.relative) + ": " + ec.message();
        }
        if (Refusal refusal = MakeFolders(file)) {
            return refusal;
        }
        Step step{file.relative, file.target, std::nullopt, false};
        if (file.replaces) {
            const fs::path backup = backups_ / std::to_string(done_.size());
            if (const std::error_code moved = disk_.rename(file.target, backup)) {
                return "cannot move " + Quoted(file.relative) + " aside: " + moved.message();
            }
            step.backup = backup;
        }
        const std::error_code placed = disk_.rename(file.source, file.target);
        step.placed = !placed;
        done_.push_back(step);
        if (placed) {
            return "cannot put " + Quoted(file.relative) + " in place: " + placed.message();
        }
        return std::nullopt;
    }

    // Undoes every step, last first; says what was put back and what not,
    // and whether the old files' folder must stay.
    std::string Undo(bool& keepBackups) {
        std::vector<std::string> undone;
        std::vector<std::string> failed;
        for (std::size_t i = done_.size(); i-- > 0;) {
            const Step& step = done_[i];
            std::error_code ec;
            if (step.backup) {
                ec = disk_.rename(*step.backup, step.target);
                (ec ? failed : undone)
                    .push_back((ec ? "could not restore " : "restored ") + Quoted(step.relative) +
                               (ec ? " (" + ec.message() + "); the old file is kept as " +
                                         step.backup->string()
                                   : ""));
            } else if (step.placed) {
                fs::remove(step.target, ec);
                (ec ? failed : undone)
                    .push_back((ec ? "could not remove the new " : "removed the new ") +
                               Quoted(step.relative) + (ec ? " (" + ec.message() + ")" : ""));
            }
        }
        for (std::size_t i = folders_.size(); i-- > 0;) {
            std::error_code ec;
            fs::remove(folders_[i], ec);
        }
        keepBackups = !failed.empty();
        std::string text = undone.empty() ? "; nothing changed" : "; undone: " + Join(undone);
        if (!failed.empty()) {
            text += "; NOT undone: " + Join(failed);
        }
        return text;
    }

private:
    struct Step {
        fs::path relative;
        fs::path target;
        std::optional<fs::path> backup;
        bool placed = false;
    };

    Refusal MakeFolders(const Planned& file) {
        std::vector<fs::path> missing;
        for (fs::path folder = file.target.parent_path(); !fs::exists(folder);
             folder = folder.parent_path()) {
            missing.push_back(folder);
        }
        for (std::size_t i = missing.size(); i-- > 0;) {
            std::error_code ec;
            fs::create_directory(missing[i], ec);
            if (ec) {
                return "cannot make the folder for " + Quoted(file.relative) + ": " + ec.message();
            }
            folders_.push_back(missing[i]);
        }
        return std::nullopt;
    }

    static std::string Join(const std::vector<std::string>& parts) {
        std::string text;
        for (const std::string& part : parts) {
            text += (text.empty() ? "" : ", ") + part;
        }
        return text;
    }

    const DiskSteps& disk_;
    fs::path backups_;
    std::vector<Step> done_;
    std::vector<fs::path> folders_;
};

}  // namespace

fs::path MakeFreshFolder(const fs::path& parent, const std::string& prefix) {
    std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path folder = parent / (prefix + std::to_string(random() % 1000000000));
        std::error_code ec;
        if (fs::create_directory(folder, ec)) {
            fs::permissions(folder, fs::perms::owner_all, ec);
            return folder;
        }
    }
    return {};
}

Refusal InstallFiles(const fs::path& staging, const std::vector<StagedFile>& files,
                     const fs::path& programDir, const fs::path& programName,
                     const DiskSteps& disk) {
    std::vector<Planned> plan(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Refusal refusal = Plan(staging, files[i], programDir, programName, plan[i])) {
            return *refusal + "; nothing changed";
        }
    }
    const fs::path backups = MakeFreshFolder(programDir, std::string(kWorkPrefix) + "old-");
    if (backups.empty()) {
        return "cannot make a folder for the old files in " + programDir.string() +
               "; nothing changed";
    }
    Steps steps(disk, backups);
    bool keepBackups = false;
    Refusal refusal;
    for (const Planned& file : plan) {
        if ((refusal = steps.Do(file))) {
            *refusal += steps.Undo(keepBackups);
            break;
        }
    }
    if (!keepBackups) {
        std::error_code ec;
        fs::remove_all(backups, ec);
    }
    return refusal;
}

}  // namespace orvane::update
