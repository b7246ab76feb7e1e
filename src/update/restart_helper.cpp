// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/restart_helper.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <cerrno>
#include <csignal>
#endif

namespace orvane::update {
namespace fs = std::filesystem;

namespace {

struct ReadCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
struct WriteCloser {
    void operator()(archive* a) const { archive_write_free(a); }
};
using Reader = std::unique_ptr<archive, ReadCloser>;
using DiskWriter = std::unique_ptr<archive, WriteCloser>;

Reader OpenArchive(const fs::path& path) {
    Reader reader(archive_read_new());
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    if (archive_read_open_filename(reader.get(), path.string().c_str(), std::size_t{64} * 1024) !=
        ARCHIVE_OK) {
        return nullptr;
    }
    return reader;
}

std::string ArchiveError(archive* a) {
    const char* text = archive_error_string(a);
    return text ? text : "unknown error";
}

// A relative path that stays inside the folder it is read against.
bool StaysInside(const fs::path& relative) {
    if (relative.empty() || relative.is_absolute() || relative.has_root_name() ||
        relative.has_root_directory()) {
        return false;
    }
    int depth = 0;
    for (const fs::path& part : relative) {
        if (part == "..") {
            if (--depth < 0) {
                return false;
            }
        } else if (part != "." && !part.empty()) {
            ++depth;
        }
    }
    return true;
}

// Whether a path has a ".." part.
bool Climbs(const fs::path& path) {
    return std::any_of(path.begin(), path.end(), [](const fs::path& part) { return part == ".."; });
}

// Why one entry cannot be unpacked safely, or nothing.
Refusal CheckEntry(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    if (!name) {
        return std::string("an entry without a name");
    }
    const fs::path path(name);
    if (Climbs(path)) {
        return "entry \"" + std::string(name) + R"(" climbs out with "..")";
    }
    if (!StaysInside(path)) {
        return "entry \"" + std::string(name) + "\" has an absolute path";
    }
    switch (archive_entry_filetype(entry)) {
        case AE_IFREG:
        case AE_IFDIR:
            break;
        case AE_IFLNK: {
            // A target is judged by its text, so it may not climb at all:
            // "u/v" -> ".." and "t" -> "u/v/.." each read as inside, yet
            // together "t" leads out of the folder.
            const char* target = archive_entry_symlink(entry);
            if (!target || !StaysInside(path.parent_path() / target) || Climbs(target)) {
                return "link \"" + std::string(name) + "\" points outside the archive";
            }
            break;
        }
        default:
            return "entry \"" + std::string(name) + "\" is a device, FIFO or socket";
    }
    if (const char* hard = archive_entry_hardlink(entry)) {
        if (!StaysInside(hard)) {
            return "hard link \"" + std::string(name) + "\" points outside the archive";
        }
    }
    return std::nullopt;
}

// The first pass: every entry is looked at before anything is written.
Refusal CheckArchive(const fs::path& path) {
    Reader reader = OpenArchive(path);
    if (!reader) {
        return std::string("cannot read the archive");
    }
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    bool any = false;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        any = true;
        if (Refusal refusal = CheckEntry(entry)) {
            return refusal;
        }
    }
    if (status != ARCHIVE_EOF) {
        return "the archive is damaged: " + ArchiveError(reader.get());
    }
    if (!any) {
        return std::string("the archive is empty");
    }
    return std::nullopt;
}

}  // namespace

Refusal ExtractArchive(const fs::path& archivePath, const fs::path& destination,
                       std::vector<fs::path>& files) {
    files.clear();
    if (Refusal refusal = CheckArchive(archivePath)) {
        return refusal;
    }
    Reader reader = OpenArchive(archivePath);
    if (!reader) {
        return std::string("cannot read the archive");
    }
    DiskWriter disk(archive_write_disk_new());
    // The same rules again where the bytes meet the disk. Every entry is
    // placed under `destination` here, so absolute paths are ours to write.
    archive_write_disk_set_options(disk.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_PERM |
                                                   ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                                   ARCHIVE_EXTRACT_SECURE_SYMLINKS);
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        const fs::path relative(archive_entry_pathname(entry));
        archive_entry_set_pathname(entry, (destination / relative).string().c_str());
        if (const char* hard = archive_entry_hardlink(entry)) {
            archive_entry_set_hardlink(entry, (destination / hard).string().c_str());
        }
        if (archive_write_header(disk.get(), entry) != ARCHIVE_OK) {
            return "cannot unpack \"" + relative.string() + "\": " + ArchiveError(disk.get());
        }
        if (archive_entry_filetype(entry) == AE_IFREG) {
            files.push_back(relative.lexically_normal());
        }
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        int data = ARCHIVE_OK;
        while ((data = archive_read_data_block(reader.get(), &block, &size, &offset)) ==
               ARCHIVE_OK) {
            if (archive_write_data_block(disk.get(), block, size, offset) != ARCHIVE_OK) {
                return "cannot write \"" + relative.string() + "\": " + ArchiveError(disk.get());
            }
        }
        if (data != ARCHIVE_EOF) {
            return "the archive is damaged: " + ArchiveError(reader.get());
        }
        if (archive_write_finish_entry(disk.get()) != ARCHIVE_OK) {
            return "cannot finish \"" + relative.string() + "\": " + ArchiveError(disk.get());
        }
    }
    if (status != ARCHIVE_EOF) {
        return "the archive is damaged: " + ArchiveError(reader.get());
    }
    return std::nullopt;
}

Refusal InstallFiles(const fs::path& staging, const std::vector<fs::path>& files,
                     const fs::path& programDir) {
    struct Done {
        fs::path target;
        std::optional<fs::path> backup;  // the old file, moved aside
    };
    std::vector<Done> done;
    auto rollBack = [&] {
        for (std::size_t i = done.size(); i-- > 0;) {
            const Done& step = done[i];
            std::error_code ec;
            if (step.backup) {
                fs::rename(*step.backup, step.target, ec);
            } else {
                fs::remove(step.target, ec);
            }
        }
    };
    for (const fs::path& relative : files) {
        const fs::path target = programDir / relative;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        Done step{target, std::nullopt};
        if (fs::exists(fs::symlink_status(target, ec))) {
#ifndef _WIN32
            // A file the system keeps read-only is not for an update to replace.
            struct stat st {};
            if (lstat(target.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) {
                rollBack();
                return "\"" + relative.string() + "\" is read-only";
            }
#endif
            const fs::path backup = target.string() + ".tarrow-old";
            fs::rename(target, backup, ec);
            if (ec) {
                rollBack();
                return "cannot move \"" + relative.string() + "\" aside: " + ec.message();
            }
            step.backup = backup;
        }
        fs::rename(staging / relative, target, ec);
        if (ec) {
            if (step.backup) {
                std::error_code back;
                fs::rename(*step.backup, target, back);
            }
            rollBack();
            return "cannot put \"" + relative.string() + "\" in place: " + ec.message();
        }
        done.push_back(step);
    }
    for (const Done& step : done) {
        if (step.backup) {
            std::error_code ec;
            fs::remove(*step.backup, ec);
        }
    }
    return std::nullopt;
}

bool WaitForExit(long processId, std::chrono::milliseconds limit) {
#ifdef _WIN32
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
    if (!process) {
        return true;  // already gone
    }
    const DWORD waited = WaitForSingleObject(process, static_cast<DWORD>(limit.count()));
    CloseHandle(process);
    return waited == WAIT_OBJECT_0;
#else
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (processId > 0 && kill(static_cast<pid_t>(processId), 0) == 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
#endif
}

std::optional<HandOver> ParseHandOver(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = text.find('\t', start);
        fields.push_back(text.substr(start, tab - start));
        if (tab == std::string::npos) {
            break;
        }
        start = tab + 1;
    }
    if (fields.size() != 4 || fields[0].empty() || fields[1] != "1") {
        return std::nullopt;
    }
    return HandOver{fs::path(fields[0]), fields[2], fields[3]};
}

std::string MakeHandOver(const HandOver& handOver) {
    return handOver.archive.string() + "\t1\t" + handOver.title + "\t" + handOver.caption;
}

}  // namespace orvane::update
