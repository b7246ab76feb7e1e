// SPDX-License-Identifier: GPL-3.0-or-later
// The download server's version file: the version on its first line, and on
// its second the SHA-256 of the update archive, which is installed only when
// it matches.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane::update {

struct VersionFile {
    std::string version;                // the first line without its spaces
    std::optional<std::string> sha256;  // 64 hex digits in lower case, when well formed
};

// Nothing when the first line is empty: such a file announces nothing.
std::optional<VersionFile> ParseVersionFile(std::string_view text);

}  // namespace orvane::update
