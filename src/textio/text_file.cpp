// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/text_file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>

#include "textio/file_lock.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvane::textio {
namespace fs = std::filesystem;

namespace {

// ---- the platform's file calls -----------------------------------------------

// What an opened handle is.
struct OpenedFile {
    bool regular = false;
    bool folder = false;
    std::uint64_t size = 0;
    std::optional<unsigned> mode;  // POSIX permission bits
};

#ifdef _WIN32
int OpenForReading(const fs::path& path) {
    return _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}
int CreateExclusive(const fs::path& path) {
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}
long long ReadSome(int fd, char* buffer, std::size_t size) {
    return _read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
long long WriteSome(int fd, const char* bytes, std::size_t size) {
    return _write(fd, bytes, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
int CloseFile(int fd) {
    return _close(fd);
}
int SyncFile(int fd) {
    return _commit(fd);
}
bool Describe(int fd, OpenedFile& file) {
    struct _stat64 st {};
    if (_fstat64(fd, &st) != 0) {
        return false;
    }
    file.regular = (st.st_mode & _S_IFMT) == _S_IFREG;
    file.folder = (st.st_mode & _S_IFMT) == _S_IFDIR;
    file.size = static_cast<std::uint64_t>(st.st_size);
    return true;
}
#else
int OpenForReading(const fs::path& path) {
    // Without blocking: opening a FIFO that no one writes to returns at once,
    // and the handle is then refused as not a regular file.
    return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}
int CreateExclusive(const fs::path& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}
long long ReadSome(int fd, char* buffer, std::size_t size) {
    return read(fd, buffer, size);
}
long long WriteSome(int fd, const char* bytes, std::size_t size) {
    return write(fd, bytes, size);
}
int CloseFile(int fd) {
    return close(fd);
}
int SyncFile(int fd) {
    return fsync(fd);
}
bool Describe(int fd, OpenedFile& file) {
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        return false;
    }
    file.regular = S_ISREG(st.st_mode);
    file.folder = S_ISDIR(st.st_mode);
    file.size = static_cast<std::uint64_t>(st.st_size);
    file.mode = static_cast<unsigned>(st.st_mode & 07777);
    return true;
}

// Read once at start-up, while the program has one thread: asking later means
// setting it, which would race with files other threads create.
const mode_t kUmask = [] {
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}();
#endif

std::error_code Errno() {
    return std::error_code(errno, std::generic_category());
}

// ---- temporary files a signal removes ----------------------------------------

// A fixed table that a signal handler can read: no allocation, no locks.
struct PendingSlot {
    std::atomic<int> state{0};  // 0 free, 1 being filled or emptied, 2 holds a path
    char path[4096] = {};
};
std::array<PendingSlot, 8> gPending;

int RegisterPending(const fs::path& path) {
#ifdef _WIN32
    (void)path;
    return -1;  // no signals end a Windows program this way
#else
    const std::string& native = path.native();
    if (native.size() >= sizeof(PendingSlot::path)) {
        return -1;
    }
    for (std::size_t i = 0; i < gPending.size(); ++i) {
        int expected = 0;
        if (gPending[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(gPending[i].path, native.c_str(), native.size() + 1);
            gPending[i].state.store(2);
            return static_cast<int>(i);
        }
    }
    return -1;  // more writes at once than the table holds: no signal clean-up for this one
#endif
}

void UnregisterPending(int slot) {
    if (slot >= 0) {
        gPending[static_cast<std::size_t>(slot)].state.store(0);
    }
}

// ---- temporary names -----------------------------------------------------------

std::string RandomSuffix() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix(8, '0');
    for (char& c : suffix) {
        c = kDigits[generator() % (sizeof kDigits - 1)];
    }
    return suffix;
}

// ".<start of the target's name>.orvane-<random>.tmp": the target's name is
// cut (at a character boundary) so the result stays far below the 255 bytes
// a file name may have, however long the target's name is.
std::string TemporaryName(const fs::path& target) {
    constexpr std::size_t kMaxNameBytes = 40;
    std::string name = PathToUtf8(target.filename());
    if (name.size() > kMaxNameBytes) {
        std::size_t cut = kMaxNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    return "." + name + ".orvane-" + RandomSuffix() + ".tmp";
}

// Creates a new, empty temporary file beside `target`, readable by its owner only.
// The name is registered for signal clean-up before the file exists, so a
// signal can never come between its creation and its registration.
int CreateTemporaryBeside(const fs::path& target, fs::path& tempPath, int& slot,
                          std::error_code& code) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder / PathFromUtf8(TemporaryName(target));
        slot = RegisterPending(tempPath);
        const int fd = CreateExclusive(tempPath);
        if (fd >= 0) {
            // Held while the file exists: a later run leaves it alone.
            TryLockOpenFile(fd);
            return fd;
        }
        code = Errno();
        UnregisterPending(slot);
        slot = -1;
        if (code != std::errc::file_exists) {
            break;  // only a name clash is worth another name
        }
    }
    return -1;
}

// The target as it stands before it is replaced: a regular file keeps its
// mode and owner; a link is replaced itself and nothing is read through it.
struct TargetState {
    bool regular = false;
    unsigned mode = 0;
    long long owner = -1;
    long long group = -1;
};

TargetState InspectTarget(const fs::path& target) {
    TargetState state;
#ifdef _WIN32
    std::error_code ec;
    state.regular = fs::is_regular_file(fs::symlink_status(target, ec));
#else
    struct stat st {};
    if (lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        state.regular = true;
        state.mode = static_cast<unsigned>(st.st_mode & 07777);
        state.owner = st.st_uid;
        state.group = st.st_gid;
    }
#endif
    return state;
}

// Gives the finished temporary file the mode (and owner) it keeps.
void SetFinalMode(int fd, const TargetState& target, const std::optional<unsigned>& modeForNew) {
#ifdef _WIN32
    (void)fd;
    (void)target;
    (void)modeForNew;
#else
    if (target.regular) {
        // Where the process may not give the file away (not root, not the
        // owner), the new file stays its own; the mode still follows.
        if (fchown(fd, static_cast<uid_t>(target.owner), static_cast<gid_t>(target.group)) != 0) {
            errno = 0;
        }
        fchmod(fd, static_cast<mode_t>(target.mode));
        return;
    }
    fchmod(fd, static_cast<mode_t>(modeForNew.value_or(0666) & ~kUmask & 07777));
#endif
}

}  // namespace

std::error_code LastSystemError() {
    return Errno();
}

// ---- paths ------------------------------------------------------------------------

std::string PathToUtf8(const fs::path& path) {
    const std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

fs::path PathFromUtf8(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// ---- reading -------------------------------------------------------------------

namespace {

Failure ReadFailure(FailureKind kind, const fs::path& path, std::error_code code = {}) {
    Failure failure;
    failure.kind = kind;
    failure.path = path;
    failure.code = code;
    return failure;
}

FailureKind KindOfOpenError(const std::error_code& code) {
    if (code == std::errc::no_such_file_or_directory) {
        return FailureKind::NoSuchFile;
    }
    return code == std::errc::is_a_directory ? FailureKind::IsFolder : FailureKind::OpenFailed;
}

}  // namespace

BytesResult ReadFileBytes(const fs::path& path) {
    BytesResult result;
    const int fd = OpenForReading(path);
    if (fd < 0) {
        const std::error_code code = Errno();
        result.failure = ReadFailure(KindOfOpenError(code), path, code);
        return result;
    }
    struct Closer {
        int fd;
        ~Closer() { CloseFile(fd); }
    } closer{fd};

    OpenedFile file;
    if (!Describe(fd, file)) {
        result.failure = ReadFailure(FailureKind::ReadFailed, path, Errno());
        return result;
    }
    if (file.folder) {
        result.failure = ReadFailure(FailureKind::IsFolder, path);
        return result;
    }
    if (!file.regular) {
        result.failure = ReadFailure(FailureKind::NotRegularFile, path);
        return result;
    }
    if (file.size > kMaxTextFileBytes) {
        result.failure = ReadFailure(FailureKind::TooLarge, path);
        return result;
    }
    result.mode = file.mode;
    if (std::optional<FileBytes> mapped = FileBytes::Map(fd, static_cast<std::size_t>(file.size))) {
        result.bytes = std::move(*mapped);
        return result;
    }
    // One byte more than the size seen, so a file whose size the system
    // does not tell (it says 0) is noticed and read on, up to the limit.
    // The storage is not zero-filled first: only what was read is looked at.
    const std::optional<FileStamp> before = StampOf(fd);
    std::size_t capacity = static_cast<std::size_t>(file.size) + 1;
    auto storage = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t size = 0;
    while (true) {
        const long long got = ReadSome(fd, storage.get() + size, capacity - size);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.failure = ReadFailure(FailureKind::ReadFailed, path, Errno());
            return result;
        }
        if (got == 0) {
            break;
        }
        size += static_cast<std::size_t>(got);
        if (size == capacity) {
            if (capacity > kMaxTextFileBytes) {
                result.failure = ReadFailure(FailureKind::TooLarge, path);
                return result;
            }
            auto larger = std::make_unique_for_overwrite<char[]>(capacity * 2);
            std::memcpy(larger.get(), storage.get(), size);
            storage = std::move(larger);
            capacity *= 2;
        }
    }
    // Bytes read while another program wrote are no copy of the file.
    if (StampOf(fd) != before) {
        result.failure = ReadFailure(FailureKind::ChangedWhileRead, path);
        return result;
    }
    result.bytes = FileBytes(std::move(storage), size);
    return result;
}

TextBytesResult ReadTextBytes(const fs::path& path, std::string_view forcedCharset) {
    TextBytesResult result;
    BytesResult raw = ReadFileBytes(path);
    if (raw.failure) {
        result.failure = std::move(raw.failure);
        return result;
    }
    result.mode = raw.mode;
    if (std::optional<Utf8AsItLies> asItLies = ReadableAsItLies(raw.bytes.View(), forcedCharset)) {
        result.utf8 = std::move(raw.bytes);
        result.utf8.DropFront(asItLies->markBytes);
        result.how.encoding = asItLies->encoding;
        result.how.charset = std::move(asItLies->charset);
        // Checked as it lies: a file changed meanwhile is not what was checked.
        if (result.utf8.Changed()) {
            result.failure = ReadFailure(FailureKind::ChangedWhileRead, path);
        }
        return result;
    }
    result.how = DecodeText(raw.bytes.View(), forcedCharset);
    if (raw.bytes.Changed()) {
        result.failure = ReadFailure(FailureKind::ChangedWhileRead, path);
        return result;
    }
    result.utf8 = FileBytes(std::move(result.how.utf8));
    result.how.utf8.clear();
    if (result.how.encoding == SourceEncoding::Unsupported) {
        result.failure = ReadFailure(FailureKind::Utf32, path);
    } else if (result.how.encoding == SourceEncoding::Uncertain) {
        result.failure = ReadFailure(FailureKind::EncodingUncertain, path);
        result.failure->names = result.how.candidates;
    } else if (result.how.encoding == SourceEncoding::MarkConflict) {
        result.failure = ReadFailure(FailureKind::MarkContradicts, path);
        result.failure->names = {result.how.charset, std::string(forcedCharset)};
    }
    return result;
}

ReadResult ReadTextFile(const fs::path& path, std::string_view forcedCharset) {
    TextBytesResult read = ReadTextBytes(path, forcedCharset);
    ReadResult result;
    result.failure = std::move(read.failure);
    result.mode = read.mode;
    result.text = std::move(read.how);
    result.text.utf8 = std::string(read.utf8.View());
    if (!result.failure && read.utf8.Changed()) {
        result.failure = ReadFailure(FailureKind::ChangedWhileRead, path);
    }
    return result;
}

// ---- writing -------------------------------------------------------------------

std::error_code WriteSeam::Write(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const long long wrote = WriteSome(fd, bytes.data(), bytes.size());
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Errno();
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return {};
}

std::error_code WriteSeam::Sync(int fd) {
    return SyncFile(fd) == 0 ? std::error_code() : Errno();
}

std::error_code WriteSeam::Rename(const fs::path& from, const fs::path& to) {
    std::error_code code;
    fs::rename(from, to, code);
    return code;
}

namespace {
WriteSeam& RealDisk() {
    static WriteSeam disk;
    return disk;
}
}  // namespace

AtomicFileWriter::AtomicFileWriter(fs::path target, WriteOptions options)
    : target_(std::move(target)), options_(std::move(options)) {
    if (!options_.seam) {
        options_.seam = &RealDisk();
    }
    std::error_code ec;
    targetExisted_ = fs::exists(fs::symlink_status(target_, ec));
    if (fs::is_directory(target_, ec)) {
        Fail(FailureKind::TargetIsFolder, {});
        return;
    }
    std::error_code code;
    fd_ = CreateTemporaryBeside(target_, temp_, slot_, code);
    if (fd_ < 0) {
        Fail(FailureKind::TempCreateFailed, code);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Fail(FailureKind kind, std::error_code code) {
    if (!failure_) {
        Failure failure;
        failure.kind = kind;
        failure.path = target_;
        failure.code = code;
        failure.originalKept = targetExisted_;
        failure_ = std::move(failure);
    }
    Discard();
    return false;
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) {
        CloseFile(fd_);
        fd_ = -1;
        std::error_code ec;
        fs::remove(temp_, ec);
        UnregisterPending(slot_);
        slot_ = -1;
    }
}

bool AtomicFileWriter::Write(std::string_view bytes) {
    if (failure_) {
        return false;
    }
    if (const std::error_code code = options_.seam->Write(fd_, bytes)) {
        return Fail(FailureKind::WriteFailed, code);
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (failure_) {
        return false;
    }
    // Replacing a file must leave the old or the new content after a crash,
    // so the new bytes reach the disk before the rename. A new file has
    // nothing to lose and skips that wait.
    const TargetState target = InspectTarget(target_);
    if (target.regular) {
        if (const std::error_code code = options_.seam->Sync(fd_)) {
            return Fail(FailureKind::WriteFailed, code);
        }
    }
    SetFinalMode(fd_, target, options_.modeForNew);
    const int fd = fd_;
    fd_ = -1;
    if (CloseFile(fd) != 0) {
        const std::error_code code = Errno();
        std::error_code ec;
        fs::remove(temp_, ec);
        UnregisterPending(slot_);
        slot_ = -1;
        return Fail(FailureKind::WriteFailed, code);
    }
    if (options_.targetUnchanged && !options_.targetUnchanged()) {
        std::error_code ec;
        fs::remove(temp_, ec);
        UnregisterPending(slot_);
        slot_ = -1;
        return Fail(FailureKind::ChangedBeforeReplace, {});
    }
    const std::error_code code = options_.seam->Rename(temp_, target_);
    if (code) {
        std::error_code ec;
        fs::remove(temp_, ec);
    }
    UnregisterPending(slot_);
    slot_ = -1;
    return code ? Fail(FailureKind::ReplaceFailed, code) : true;
}

void RemovePendingTemporaryFiles() noexcept {
    for (PendingSlot& slot : gPending) {
        if (slot.state.load() == 2) {
#ifdef _WIN32
            (void)slot;
#else
            unlink(slot.path);
#endif
        }
    }
}

}  // namespace orvane::textio
