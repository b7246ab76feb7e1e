// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sstream>

#include "cli/runner.h"

// The version printed is the one the build was configured with.
TEST(Version, IsTheProjectVersion) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(orvane::cli::Run({"--version"}, out, err), orvane::cli::kExitOk);
    EXPECT_EQ(out.str(), std::string("orvane-shift ") + ORVANE_PROJECT_VERSION + "\n");
    EXPECT_EQ(err.str(), "");
}
