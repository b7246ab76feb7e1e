// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/restart_helper.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <memory>
#include <set>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace orvane::update {
namespace fs = std::filesystem;

namespace {

struct ReadCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using Reader = std::unique_ptr<archive, ReadCloser>;

Reader OpenArchive(const fs::path& path) {
    Reader reader(archive_read_new());
    archive_read_support_filter_all(reader.get());
    // The formats an update comes in; not every one libarchive reads (an
    // mtree "archive" names files elsewhere on the disk to copy).
    archive_read_support_format_zip(reader.get());
    archive_read_support_format_rar(reader.get());
    archive_read_support_format_rar5(reader.get());
    archive_read_support_format_7zip(reader.get());
    archive_read_support_format_tar(reader.get());
    // Tar archives one after another are read as one: what a later one
    // holds is checked, not silently dropped.
    archive_read_set_options(reader.get(), "tar:read_concatenated_archives");
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

// One character of UTF-8 text: its code point and byte count; an invalid
// byte comes alone with no code point.
struct Character {
    std::optional<char32_t> code;
    std::size_t length = 1;
};

Character NextCharacter(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        return {};
    }
    if (at + length > text.size()) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return {};
        }
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr std::array<char32_t, 5> kShortest = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {};
    }
    return {code, length};
}

// Characters that change how a line reads: controls, DEL, C1 controls and
// the marks that turn text right to left.
bool IsControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x061C || code == 0x200E ||
           code == 0x200F || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}

bool HasControlCharacter(const std::string& name) {
    for (std::size_t at = 0; at < name.size();) {
        const Character c = NextCharacter(name, at);
        if (c.code && IsControl(*c.code)) {
            return true;
        }
        at += c.length;
    }
    return false;
}

// A relative path that stays inside the folder it is read against.
bool IsRelative(const fs::path& path) {
    return !path.empty() && !path.is_absolute() && !path.has_root_name() &&
           !path.has_root_directory();
}

bool Climbs(const fs::path& path) {
    return std::any_of(path.begin(), path.end(), [](const fs::path& part) { return part == ".."; });
}

// The path an entry names with "." and empty parts dropped, so "./a",
// "a/" and "a//" are all "a".
std::string Normalised(const fs::path& path) {
    std::string key;
    for (const fs::path& part : path) {
        if (part.empty() || part == ".") {
            continue;
        }
        key += (key.empty() ? "" : "/") + part.string();
    }
    return key;
}

bool IsOwnName(const fs::path& path) {
    return std::any_of(path.begin(), path.end(), [](const fs::path& part) {
        const std::string name = part.string();
        const std::string oldSuffix = ".tarrow-old";
        return name.rfind(kWorkPrefix, 0) == 0 ||
               (name.size() >= oldSuffix.size() &&
                name.compare(name.size() - oldSuffix.size(), oldSuffix.size(), oldSuffix) == 0);
    });
}

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

std::uint64_t TimesOrMax(std::uint64_t a, std::uint64_t b) {
    return b != 0 && a > std::numeric_limits<std::uint64_t>::max() / b
               ? std::numeric_limits<std::uint64_t>::max()
               : a * b;
}

// The rules every entry is held to, kept across one reading of the archive.
class ArchiveCheck {
public:
    ArchiveCheck(const ArchiveLimits& limits, std::uint64_t archiveSize)
        : limits_(limits),
          maxBytes_(std::min(limits.totalBytes, TimesOrMax(archiveSize, limits.ratio))) {}

    // Why the entry cannot be unpacked, or nothing; `key` gets the path it
    // names, empty for the archive's own top folder.
    Refusal Look(archive_entry* entry, std::string& key) {
        if (++entries_ > limits_.entries) {
            return "the archive has more than " + std::to_string(limits_.entries) + " entries";
        }
        const char* raw = archive_entry_pathname(entry);
        if (!raw || !*raw) {
            return std::string("an entry without a name");
        }
        const std::string name(raw);
        const fs::path path(name);
        if (HasControlCharacter(name)) {
            return "entry " + Quoted(name) + " has a control character in its name";
        }
        if (Climbs(path)) {
            return "entry " + Quoted(name) + R"( climbs out with "..")";
        }
        if (!IsRelative(path)) {
            return "entry " + Quoted(name) + " has an absolute path";
        }
        if (IsOwnName(path)) {
            return "entry " + Quoted(name) + " has a name the helper keeps for its own files";
        }
        if (Refusal refusal = CheckType(entry, name)) {
            return refusal;
        }
        key = Normalised(path);
        const bool folder = archive_entry_filetype(entry) == AE_IFDIR;
        if (key.empty()) {
            return folder ? std::nullopt : Refusal("an entry without a name");
        }
        if (Refusal refusal = Place(key, folder)) {
            return refusal;
        }
        if (!folder && archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0) {
            return Add(static_cast<std::uint64_t>(archive_entry_size(entry)));
        }
        return std::nullopt;
    }

    // Counts bytes as they are unpacked (or as headers declare them).
    Refusal Add(std::uint64_t bytes) {
        bytes_ += bytes;
        if (bytes_ > maxBytes_) {
            return "the archive unpacks to more than " + std::to_string(maxBytes_) +
                   " bytes (at most " + std::to_string(limits_.totalBytes) + " bytes and " +
                   std::to_string(limits_.ratio) + " times the archive's size)";
        }
        return std::nullopt;
    }

private:
    static Refusal CheckType(archive_entry* entry, const std::string& name) {
        if (archive_entry_hardlink(entry)) {
            return "entry " + Quoted(name) + " is a hard link; links are not installed";
        }
        switch (archive_entry_filetype(entry)) {
            case AE_IFREG:
            case AE_IFDIR:
                return std::nullopt;
            case AE_IFLNK:
                return "entry " + Quoted(name) + " is a symbolic link; links are not installed";
            default:
                return "entry " + Quoted(name) + " is a device, FIFO or socket";
        }
    }

    // Registers a path; two files, or a file and a folder, on one path refuse.
    Refusal Place(const std::string& key, bool folder) {
        for (std::size_t slash = key.find('/'); slash != std::string::npos;
             slash = key.find('/', slash + 1)) {
            const std::string parent = key.substr(0, slash);
            if (files_.count(parent)) {
                return Quoted(parent) + " is both a file and a folder in the archive";
            }
            folders_.insert(parent);
        }
        if (files_.count(key)) {
            return Quoted(key) + " appears twice in the archive";
        }
        if (!folder && folders_.count(key)) {
            return Quoted(key) + " is both a file and a folder in the archive";
        }
        (folder ? folders_ : files_).insert(key);
        return std::nullopt;
    }

    ArchiveLimits limits_;
    std::uint64_t maxBytes_;
    std::uint64_t bytes_ = 0;
    std::size_t entries_ = 0;
    std::set<std::string> files_;
    std::set<std::string> folders_;
};

std::uint64_t FileSize(const fs::path& path) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

// The first reading: every entry is looked at before anything is written.
Refusal CheckArchive(const fs::path& path, const ArchiveLimits& limits) {
    Reader reader = OpenArchive(path);
    if (!reader) {
        return std::string("cannot read the archive");
    }
    ArchiveCheck check(limits, FileSize(path));
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    bool any = false;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        any = true;
        std::string key;
        if (Refusal refusal = check.Look(entry, key)) {
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

std::FILE* OpenNew(const fs::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wbx");
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

std::string Cause(int error) {
    return std::generic_category().message(error);
}

// Writes one entry's bytes to a new file, counting them against the limits.
Refusal UnpackFile(archive* reader, const fs::path& target, const std::string& key,
                   ArchiveCheck& check, const DiskSteps& disk) {
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    errno = 0;
    std::FILE* file = OpenNew(target);
    if (!file) {
        return "cannot unpack " + Quoted(key) + ": " + Cause(errno ? errno : EIO);
    }
    std::vector<char> buffer(std::size_t{64} * 1024);
    Refusal refusal;
    while (!refusal) {
        const la_ssize_t read = archive_read_data(reader, buffer.data(), buffer.size());
        if (read == 0) {
            break;
        }
        if (read < 0) {
            refusal = "the archive is damaged: " + ArchiveError(reader);
        } else if (!(refusal = check.Add(static_cast<std::uint64_t>(read)))) {
            if (const std::error_code wrote =
                    disk.write(file, buffer.data(), static_cast<std::size_t>(read))) {
                refusal = "cannot write " + Quoted(key) + ": " + wrote.message();
            }
        }
    }
    errno = 0;
    if (std::fclose(file) != 0 && !refusal) {
        refusal = "cannot write " + Quoted(key) + ": " + Cause(errno ? errno : EIO);
    }
    return refusal;
}

}  // namespace

DiskSteps RealDisk() {
    DiskSteps disk;
    disk.write = [](std::FILE* file, const char* data, std::size_t size) {
        errno = 0;
        if (std::fwrite(data, 1, size, file) != size) {
            return std::error_code(errno ? errno : EIO, std::generic_category());
        }
        return std::error_code();
    };
    disk.rename = [](const fs::path& from, const fs::path& to) {
        std::error_code ec;
        fs::rename(from, to, ec);
        return ec;
    };
    return disk;
}

Refusal ExtractArchive(const fs::path& archivePath, const fs::path& destination,
                       std::vector<StagedFile>& files, const ArchiveLimits& limits,
                       const DiskSteps& disk) {
    files.clear();
    if (Refusal refusal = CheckArchive(archivePath, limits)) {
        return refusal;
    }
    Reader reader = OpenArchive(archivePath);
    if (!reader) {
        return std::string("cannot read the archive");
    }
    // The same rules again as the bytes are read: the archive may have
    // changed, and its headers may have lied about sizes.
    ArchiveCheck check(limits, FileSize(archivePath));
    ArchiveCheck unpacked(limits, FileSize(archivePath));  // the bytes actually read
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        std::string key;
        if (Refusal refusal = check.Look(entry, key)) {
            return refusal;
        }
        if (key.empty()) {
            continue;
        }
        const fs::path target = destination / fs::path(key);
        if (archive_entry_filetype(entry) == AE_IFDIR) {
            std::error_code ec;
            fs::create_directories(target, ec);
            if (ec) {
                return "cannot unpack " + Quoted(key) + ": " + ec.message();
            }
            continue;
        }
        if (Refusal refusal = UnpackFile(reader.get(), target, key, unpacked, disk)) {
            return refusal;
        }
        files.push_back({fs::path(key), (archive_entry_perm(entry) & 0111) != 0});
    }
    if (status != ARCHIVE_EOF) {
        return "the archive is damaged: " + ArchiveError(reader.get());
    }
    return std::nullopt;
}

std::string EscapeForLog(const std::string& text) {
    static const char* const kHex = "0123456789abcdef";
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const Character c = NextCharacter(text, at);
        if (!c.code) {
            const auto byte = static_cast<unsigned char>(text[at]);
            out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
        } else if (IsControl(*c.code) && *c.code < 0x80) {
            out += std::string("\\x") + kHex[*c.code >> 4] + kHex[*c.code & 0xF];
        } else if (IsControl(*c.code)) {
            out += "\\u+";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out += kHex[(*c.code >> shift) & 0xF];
            }
        } else {
            out.append(text, at, c.length);
        }
        at += c.length;
    }
    return out;
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
