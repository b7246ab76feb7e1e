// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/messages.h"

#include <cstdio>

#include "textio/text_file.h"
#include "textio/utf8.h"

namespace orvane::cli {
using textio::Failure;
using textio::FailureKind;

namespace {

// Characters that would move the cursor or turn the line right to left.
bool IsInvisibleControl(char32_t code) {
    return (code >= 0x80 && code <= 0x9F) || code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

void AppendEscapedByte(std::string& out, unsigned char byte) {
    switch (byte) {
        case '\n':
            out += "\\n";
            return;
        case '\t':
            out += "\\t";
            return;
        case '\r':
            out += "\\r";
            return;
        default:
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
    }
}

}  // namespace

std::string ShowPath(const std::filesystem::path& path) {
    const std::string utf8 = textio::PathToUtf8(path);
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string shown;
    shown.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        const char32_t code = textio::NextCodePoint(utf8, pos);
        const std::string_view bytes(utf8.data() + start, pos - start);
        const bool malformed = code == 0xFFFD && bytes != kReplacement;
        if (malformed || code < 0x20 || code == 0x7F) {
            for (const char c : bytes) {
                AppendEscapedByte(shown, static_cast<unsigned char>(c));
            }
        } else if (IsInvisibleControl(code)) {
            char escaped[12];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(code));
            shown += escaped;
        } else {
            shown += bytes;
        }
    }
    return shown;
}

namespace {

std::string WithCode(std::string text, const Failure& failure) {
    if (failure.code) {
        text += ": " + failure.code.message();
    }
    return text;
}

std::string WriteFailureText(std::string what, const Failure& failure) {
    std::string text = WithCode(std::move(what), failure);
    if (failure.originalKept) {
        text += " (the existing file is unchanged)";
    }
    return text;
}

std::string NameAt(const std::vector<std::string>& names, std::size_t at) {
    return at < names.size() ? names[at] : std::string("?");
}

}  // namespace

std::string FailureText(const Failure& failure) {
    switch (failure.kind) {
        case FailureKind::NoSuchFile:
            return "no such file or folder";
        case FailureKind::IsFolder:
            return "is a folder, not a subtitle file";
        case FailureKind::NotRegularFile:
            return "not a regular file (a FIFO, device or socket); not read";
        case FailureKind::NotSubtitleFile:
            return "not a .srt, .ass or .ssa file";
        case FailureKind::OpenFailed:
            return WithCode("cannot open", failure);
        case FailureKind::ReadFailed:
            return WithCode("cannot read", failure);
        case FailureKind::TooLarge:
            return "larger than 256 MB, not a subtitle file";
        case FailureKind::Utf32:
            return "UTF-32 is not supported; save it as UTF-8 first";
        case FailureKind::EncodingUncertain:
            return "encoding uncertain: looks like " + textio::JoinNames(failure.names, " or ") +
                   "; name it with --encoding; nothing written";
        case FailureKind::MarkContradicts:
            return "its byte-order mark says " + NameAt(failure.names, 0) + ", but --encoding " +
                   "names " + NameAt(failure.names, 1) + "; nothing written";
        case FailureKind::InvalidBytes:
            return "holds bytes that are not text in its encoding; not written over the source "
                   "(write a "
                   "copy with -o, or name the encoding with --encoding)";
        case FailureKind::BeingShifted:
            return "being shifted by another run; not written";
        case FailureKind::ChangedBeforeReplace:
            return "another program wrote to it while it was being shifted; not replaced";
        case FailureKind::ChangedWhileRead:
            return "was changed by another program while it was being read; nothing written";
        case FailureKind::ListFolderFailed:
            return WithCode("cannot list the folder", failure);
        case FailureKind::Empty:
            return "the file is empty";
        case FailureKind::NoCueNumbers:
            return "no cue numbers: not a SubRip file";
        case FailureKind::NoTimeLines:
            return "no readable time line (such as 00:00:01,000 --> 00:00:02,000)";
        case FailureKind::NoScriptInfo:
            return "no [Script Info]: not an ASS/SSA file";
        case FailureKind::NothingLeft:
            return "every cue lies inside the cut or before zero; nothing written";
        case FailureKind::BadAmount:
            return "the amount or the opening's length is not a usable number";
        case FailureKind::TargetIsSource:
            return "the output folder is the file's own folder; use --overwrite to write over "
                   "the source";
        case FailureKind::TargetIsInput:
            return "its output would replace " + ShowPath(failure.other) +
                   ", another input of this run; nothing written";
        case FailureKind::TargetTaken:
            return "has the same name as " + ShowPath(failure.other) +
                   ", whose output goes to the same file; not written";
        case FailureKind::TargetReadOnly:
            return failure.code == std::errc::read_only_file_system
                       ? "it is on a read-only file system; not written"
                       : "the file to be replaced is read-only; not written";
        case FailureKind::SimplifierMissing:
            return "Traditional-to-Simplified conversion (OpenCC and its dictionary) could not be "
                   "loaded; not written";
        case FailureKind::HardLinked:
            return "has " + std::to_string(failure.links) +
                   " names (hard links); replacing it would split them; not written "
                   "(--break-links accepts the split)";
        case FailureKind::LinkUnresolved:
            return WithCode("cannot find the file this link points to", failure) + "; not written";
        case FailureKind::OutputDirNotFolder:
            return "the output folder " + ShowPath(failure.other) + " is not a folder";
        case FailureKind::OutputDirCreateFailed:
            return WithCode("cannot create the output folder " + ShowPath(failure.other), failure);
        case FailureKind::TargetIsFolder:
            return "a folder stands where the output goes";
        case FailureKind::TempCreateFailed:
            return WithCode("cannot create a temporary file beside the output", failure);
        case FailureKind::WriteFailed:
            return WriteFailureText("cannot write the output", failure);
        case FailureKind::ReplaceFailed:
            return WriteFailureText("cannot replace the output file", failure);
        case FailureKind::Unexpected:
            break;
    }
    return failure.detail.empty() ? "unexpected failure" : failure.detail;
}

}  // namespace orvane::cli
