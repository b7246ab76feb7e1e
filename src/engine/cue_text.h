// SPDX-License-Identifier: GPL-3.0-or-later
// Editing the text of a cue: Traditional-to-Simplified conversion that leaves
// markup alone.
#pragma once

#include <string>
#include <string_view>

namespace orvane::engine {

// Converts each run of text outside "{...}" override blocks and "<...>" tags
// on its own, so font names such as {\fn微軟正黑體} and tag attributes are
// never touched. An unclosed "{" or "<" is text.
std::string SimplifyOutsideMarkup(std::string_view line);

}  // namespace orvane::engine
