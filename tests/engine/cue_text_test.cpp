// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cue_text.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane::engine {
namespace {

struct MarkupCase {
    const char* name;
    std::string line;
    std::string expected;
};

class SimplifyMarkup : public ::testing::TestWithParam<MarkupCase> {};

TEST_P(SimplifyMarkup, ConvertsOnlyTheTextOutsideIt) {
    EXPECT_EQ(SimplifyOutsideMarkup(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SimplifyMarkup,
    ::testing::Values(
        MarkupCase{"override_and_tag_kept", "{\\fn微軟正黑體}電視<font face=\"體\">節目</font>",
                   "{\\fn微軟正黑體}电视<font face=\"體\">节目</font>"},
        MarkupCase{"unclosed_opener_is_text", "{電視", "{电视"},
        MarkupCase{"unclosed_before_a_closed_block", "<電{\\b1體}視", "<电{\\b1體}视"},
        MarkupCase{"closer_before_opener_is_text", "}電{視", "}电{视"},
        MarkupCase{"angle_closed_only_before", "<a>電<視", "<a>电<视"},
        MarkupCase{"many_unclosed_openers", std::string(10000, '{') + "電",
                   std::string(10000, '{') + "电"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::engine
