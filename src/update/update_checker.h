// SPDX-License-Identifier: GPL-3.0-or-later
// The check for a newer version that the window runs once at start-up. It
// never holds the window: the answer comes later, or never.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orvane::update {

struct UpdateCheckResult {
    bool newerVersionFound = false;
    std::string announcedVersion;       // the server's version text, when one was read
    std::optional<std::string> sha256;  // of the update archive, when the server gave it
};

class UpdateChecker {
public:
    virtual ~UpdateChecker() = default;

    // Asks whether a version other than `ownVersion` is offered; the version
    // file goes into `workDir`. Returns at once. `done` runs on the calling
    // thread once an answer is known; a failed or silent server gives none.
    virtual void Check(std::string ownVersion, std::filesystem::path workDir,
                       std::function<void(const UpdateCheckResult&)> done) = 0;
};

// The checker the program uses: over the network when a download server is
// configured, else one that never finds anything.
std::unique_ptr<UpdateChecker> MakeDefaultUpdateChecker();

}  // namespace orvane::update
