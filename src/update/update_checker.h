// SPDX-License-Identifier: GPL-3.0-or-later
// The check for a newer version that the window runs once at start-up.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace orvane::update {

struct UpdateCheckResult {
    bool newerVersionFound = false;
    std::string announcedVersion;  // the server's version text, when one was read
};

class UpdateChecker {
public:
    virtual ~UpdateChecker() = default;

    // Asks whether a version other than `ownVersion` is offered. Downloads go
    // into `workDir`. Blocks until it knows; never throws, a failure is
    // simply "nothing found".
    virtual UpdateCheckResult Check(std::string_view ownVersion,
                                    const std::filesystem::path& workDir) = 0;
};

// The checker the program uses.
std::unique_ptr<UpdateChecker> MakeDefaultUpdateChecker();

}  // namespace orvane::update
