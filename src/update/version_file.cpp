// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/version_file.h"

#include <algorithm>
#include <cctype>

namespace orvane::update {
namespace {

std::string_view Line(std::string_view text, std::size_t index) {
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return {};
        }
        text.remove_prefix(end + 1);
    }
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
    }
    return text;
}

// Spaces at both ends only, as the version has always been compared.
std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<VersionFile> ParseVersionFile(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    VersionFile file;
    file.version = std::string(Trim(Line(text, 0)));
    if (file.version.empty()) {
        return std::nullopt;
    }
    std::string digest(Trim(Line(text, 1)));
    std::transform(digest.begin(), digest.end(), digest.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (digest.size() == 64 && std::all_of(digest.begin(), digest.end(),
                                           [](unsigned char c) { return std::isxdigit(c) != 0; })) {
        file.sha256 = digest;
    }
    return file;
}

}  // namespace orvane::update
