// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/update_checker.h"

namespace orvane::update {
namespace {

// No download server is configured yet, so there is never anything to find.
class NoUpdateChecker final : public UpdateChecker {
public:
    UpdateCheckResult Check(std::string_view, const std::filesystem::path&) override { return {}; }
};

}  // namespace

std::unique_ptr<UpdateChecker> MakeDefaultUpdateChecker() {
    return std::make_unique<NoUpdateChecker>();
}

}  // namespace orvane::update
