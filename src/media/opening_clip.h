// SPDX-License-Identifier: GPL-3.0-or-later
// The opening clip: which dropped or chosen file is a video, how long it may be,
// and the texts the window shows for it. Free of Qt, so the window and the
// command-line tool share the same rules; all texts are UTF-8.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvane::media {

// Longest opening that may be cut; exactly 120 seconds is still accepted.
inline constexpr double kMaxOpeningSeconds = 120.0;

inline constexpr std::string_view kOpeningTooLongMessage = "片头时间太长，超过120秒限制，请更换！";
// A clip whose length cannot be read would otherwise become a cut of 0 seconds.
inline constexpr std::string_view kOpeningUnreadableMessage = "无法读取片头视频的时长，请更换！";

// `LHead` before any clip is chosen, and its tag (the amount cut mode removes).
inline constexpr std::string_view kDefaultHeadCaption =
    "片头视频文件未指定(片头时长不超过120秒，支持文件拖放)  /时长：12秒";
inline constexpr std::string_view kDefaultOpeningText = "12.000";
// Between the clip's path and its duration in the `LHead` caption.
inline constexpr std::string_view kHeadCaptionSeparator = "  /时长";

// The `MenuHead` dialog.
inline constexpr std::string_view kOpeningDialogTitle = "指定片头文件";
inline constexpr std::string_view kOpeningFilterLabel = "常见视频";
inline constexpr std::string_view kOpeningVideoPatterns =
    "*.avi;*.mp4;*.wmv;*.flv;*.rmvb;*.rm;*.mpeg;*.3gp;*.mkv;*.asf;*.dat;*.qt";

// The dialog filter in the form QFileDialog takes:
// "常见视频 (*.avi *.mp4 *.wmv ... *.qt)".
std::string OpeningDialogFilter();

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

// The `LHead` caption for a chosen clip: path + "  /时长" + text + "秒".
std::string HeadCaption(std::string_view clipPath, std::string_view durationText);

// The clip's path from an `LHead` caption: the text before the last "  /时长",
// or empty when the caption has none.
std::string_view ClipPathFromHeadCaption(std::string_view caption);

enum class OpeningVerdict {
    kAccepted,    // use it: caption, tag and (ChMove clear) TShift get durationText
    kTooLong,     // over 120 seconds: show `error`, change nothing
    kUnreadable,  // no length could be read: show `error`, change nothing
};

struct OpeningMeasure {
    bool ok = false;  // verdict == kAccepted
    OpeningVerdict verdict = OpeningVerdict::kUnreadable;
    double seconds = 0;        // as measured (0 when unreadable)
    std::string durationText;  // FormatDurationText(seconds), also when refused
    std::string error;         // the message box text when !ok, else empty
};

// The verdict on a measured length.
OpeningMeasure JudgeOpening(double seconds);

// Measures the clip with GetMediaDuration and judges it.
OpeningMeasure MeasureOpening(const std::filesystem::path& path);

}  // namespace orvane::media
