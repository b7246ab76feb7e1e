// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/opening_clip.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

#include "media/media_duration.h"

namespace orvane::media {
namespace {

// Lower-case, dot included, in the order of the dialog's pattern list.
constexpr std::array<std::string_view, 12> kVideoExtensions = {
    ".avi", ".mp4", ".wmv", ".flv", ".rmvb", ".rm", ".mpeg", ".3gp", ".mkv", ".asf", ".dat", ".qt",
};

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view LastComponent(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string OpeningDialogFilter() {
    std::string filter(kOpeningFilterLabel);
    filter += " (";
    for (std::size_t i = 0; i < kVideoExtensions.size(); ++i) {
        if (i > 0) {
            filter += ' ';
        }
        filter += '*';
        filter += kVideoExtensions[i];
    }
    filter += ')';
    return filter;
}

bool IsOpeningVideoName(std::string_view path) {
    const std::string_view name = LastComponent(path);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    std::string extension(name.substr(dot));
    for (char& c : extension) {
        c = AsciiLower(c);
    }
    for (const std::string_view known : kVideoExtensions) {
        if (extension == known) {
            return true;
        }
    }
    return false;
}

std::optional<std::filesystem::path> PickDroppedClip(std::span<const std::filesystem::path> items) {
    for (const std::filesystem::path& item : items) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(item, error) || error) {
            continue;
        }
        // The name as UTF-8: on Windows native() is a wide string.
        const std::u8string u8 = item.u8string();
        const std::string utf8(u8.begin(), u8.end());
        const std::string_view name = LastComponent(utf8);
        if (name.empty() || name.front() == '.') {
            continue;
        }
        if (IsOpeningVideoName(name)) {
            return item;
        }
    }
    return std::nullopt;
}

std::string FormatDurationText(double seconds) {
    if (seconds == 0 || !std::isfinite(seconds)) {
        return "0";  // also turns -0 into "0"
    }
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), seconds,
                                            std::chars_format::general, 15);
    if (error != std::errc{}) {
        return "0";
    }
    return std::string(buffer.data(), end);
}

std::string HeadCaption(std::string_view clipPath, std::string_view durationText) {
    std::string caption(clipPath);
    caption += kHeadCaptionSeparator;
    caption += durationText;
    caption += "秒";
    return caption;
}

std::string_view ClipPathFromHeadCaption(std::string_view caption) {
    const std::size_t at = caption.rfind(kHeadCaptionSeparator);
    return at == std::string_view::npos ? std::string_view{} : caption.substr(0, at);
}

OpeningMeasure JudgeOpening(double seconds) {
    OpeningMeasure measure;
    if (!(seconds > 0) || !std::isfinite(seconds)) {
        measure.verdict = OpeningVerdict::kUnreadable;
        measure.durationText = FormatDurationText(0);
        measure.error = kOpeningUnreadableMessage;
        return measure;
    }
    measure.seconds = seconds;
    measure.durationText = FormatDurationText(seconds);
    if (seconds > kMaxOpeningSeconds) {
        measure.verdict = OpeningVerdict::kTooLong;
        measure.error = kOpeningTooLongMessage;
        return measure;
    }
    measure.ok = true;
    measure.verdict = OpeningVerdict::kAccepted;
    return measure;
}

OpeningMeasure MeasureOpening(const std::filesystem::path& path) {
    return JudgeOpening(GetMediaDuration(path));
}

}  // namespace orvane::media
