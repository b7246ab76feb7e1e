// SPDX-License-Identifier: GPL-3.0-or-later
// Why something could not be read, shifted or written. One type for every
// layer: a kind, the file, and the system's own reason where there is one.
// The words a user reads are made by each front end from these parts, in
// its own language.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace orvane::textio {

enum class FailureKind {
    // The input itself.
    NoSuchFile,         // nothing at that path
    IsFolder,           // a folder where a file was expected
    NotRegularFile,     // a FIFO, device or socket: never read, it could block or never end
    NotSubtitleFile,    // not .srt, .ass or .ssa
    OpenFailed,         // the system refused to open it (see code)
    ReadFailed,         // reading failed part-way (see code)
    TooLarge,           // larger than any subtitle file
    Utf32,              // UTF-32, which no subtitle tool writes
    EncodingUncertain,  // no reading clearly right: its best guesses in `names`
    MarkContradicts,    // the named encoding is not the mark's: `names` holds the mark's, then the
                        // named
    InvalidBytes,       // bytes that are not text in its encoding: never written over the source
    ChangedWhileRead,   // another program changed the file while it was being read
    BeingShifted,       // another run held the file longer than a run waits
    ListFolderFailed,   // a folder given as input could not be listed

    // What the shifters find in the text.
    Empty,         // no text at all
    NoCueNumbers,  // SRT without cue numbers
    NoTimeLines,   // SRT without one readable time line
    NoScriptInfo,  // ASS/SSA without [Script Info]
    NothingLeft,   // cut mode removed every cue: nothing worth writing
    BadAmount,     // the amount or the opening length is not a usable number

    // Decided before the run writes anything.
    TargetIsSource,         // without overwrite, the output would replace the file itself
    TargetIsInput,          // without overwrite, the output would replace another input (`other`)
    TargetTaken,            // another input (`other`) writes the same target
    TargetReadOnly,         // the file to be replaced is read-only
    LinkUnresolved,         // overwrite: where the link points cannot be found
    HardLinked,             // overwrite: the file has more names (`links`) than the one replaced
    SimplifierMissing,      // conversion to Simplified asked for, OpenCC not loaded
    OutputDirNotFolder,     // the output folder's path holds a file
    OutputDirCreateFailed,  // the output folder could not be made (see code)

    // Writing.
    TargetIsFolder,        // a folder stands where the output goes
    TempCreateFailed,      // no temporary file beside the target (see code)
    WriteFailed,           // writing or flushing failed (see code)
    ReplaceFailed,         // the finished file could not replace the target (see code)
    ChangedBeforeReplace,  // another program wrote to the file after it was read: not replaced

    Unexpected,  // anything else; `detail` says what
};

struct Failure {
    FailureKind kind = FailureKind::Unexpected;
    std::filesystem::path path;   // the file it is about
    std::error_code code;         // the system's reason, when the system gave one
    std::filesystem::path other;  // a second file it is about, for Target* kinds
    // Writing: the file that was to be replaced is still there, unchanged.
    bool originalKept = false;
    std::string detail;              // extra words for Unexpected
    std::vector<std::string> names;  // encodings it is about
    std::uint64_t links = 0;         // HardLinked: how many names the file has
};

// The names, joined for a message: "windows-1252 or windows-1250".
inline std::string JoinNames(const std::vector<std::string>& names, const std::string& separator) {
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : separator) + name;
    }
    return joined;
}

// The error of the last failed C library or system call.
std::error_code LastSystemError();

}  // namespace orvane::textio
