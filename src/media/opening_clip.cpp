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
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("/\\");
#else
    const std::size_t slash = path.find_last_of('/');
#endif
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

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

OpeningMeasure JudgeOpening(double seconds) {
    OpeningMeasure measure;
    if (!(seconds > 0) || !std::isfinite(seconds)) {
        measure.verdict = OpeningVerdict::kUnreadable;
        measure.durationText = FormatDurationText(0);
        return measure;
    }
    measure.seconds = seconds;
    measure.durationText = FormatDurationText(seconds);
    if (seconds > kMaxOpeningSeconds) {
        measure.verdict = OpeningVerdict::kTooLong;
        return measure;
    }
    measure.ok = true;
    measure.verdict = OpeningVerdict::kAccepted;
    return measure;
}

OpeningMeasure MeasureOpening(const std::filesystem::path& path) {
    const MediaFacts facts = ReadMediaFacts(path);
    OpeningMeasure measure = JudgeOpening(facts.seconds);
    measure.frameRate = facts.frameRate;
    return measure;
}

}  // namespace orvane::media
