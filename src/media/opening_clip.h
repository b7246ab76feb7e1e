// SPDX-License-Identifier: GPL-3.0-or-later
// The opening clip: which dropped or chosen file is a video and how long it
// may be. Free of Qt, so the window and the command-line tool share the same
// rules.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvane::media {

// Longest opening that may be cut; exactly 120 seconds is still accepted.
inline constexpr double kMaxOpeningSeconds = 120.0;

// The types the opening-clip dialog offers, as its pattern list.
inline constexpr std::string_view kOpeningVideoPatterns =
    "*.avi;*.mp4;*.wmv;*.flv;*.rmvb;*.rm;*.mpeg;*.3gp;*.mkv;*.asf;*.dat;*.qt";

// True when the file name's extension (from its last ".", compared without
// regard to case) is one of the accepted video types. Only the last path
// component is looked at; a name without "." is not a video.
bool IsOpeningVideoName(std::string_view path);

// The first dropped item that is an existing ordinary file (symbolic links
// followed), not hidden (name starting with "."), with a video extension.
// Items that cannot be examined are skipped; nullopt when none qualifies.
std::optional<std::filesystem::path> PickDroppedClip(std::span<const std::filesystem::path> items);

// Seconds in their shortest decimal form, at most 15 significant digits:
// 12.345 -> "12.345", 12.0 -> "12", 0 -> "0".
std::string FormatDurationText(double seconds);

enum class OpeningVerdict {
    kAccepted,    // use it as the length of the opening
    kTooLong,     // over 120 seconds: refused
    kUnreadable,  // no length could be read: refused (it would be a cut of 0 s)
};

// Each front end words a refusal in its own language.
struct OpeningMeasure {
    bool ok = false;  // verdict == kAccepted
    OpeningVerdict verdict = OpeningVerdict::kUnreadable;
    double seconds = 0;        // as measured (0 when unreadable)
    std::string durationText;  // FormatDurationText(seconds), also when refused
    std::string frameRate;     // the video's, as ReadMediaFacts gives it; may be empty
};

// The verdict on a measured length.
OpeningMeasure JudgeOpening(double seconds);

// Measures the clip with GetMediaDuration and judges it.
OpeningMeasure MeasureOpening(const std::filesystem::path& path);

}  // namespace orvane::media
