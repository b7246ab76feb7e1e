// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cue_text.h"

#include "textio/simplify.h"

namespace orvane::engine {

std::string SimplifyOutsideMarkup(std::string_view line) {
    // An opener closes only when its closer comes later somewhere: known
    // from the last closers, so that a long run of unclosed openers is
    // passed over once, not searched to the end of the line for each.
    const std::size_t lastBrace = line.rfind('}');
    const std::size_t lastAngle = line.rfind('>');
    auto isClosed = [&](std::size_t open) {
        const std::size_t last = line[open] == '{' ? lastBrace : lastAngle;
        return last != std::string_view::npos && last > open;
    };
    std::string out;
    out.reserve(line.size());
    std::size_t pos = 0;
    while (pos < line.size()) {
        std::size_t open = line.find_first_of("{<", pos);
        while (open != std::string_view::npos && !isClosed(open)) {
            open = line.find_first_of("{<", open + 1);  // unclosed: it is text
        }
        const std::size_t close = open == std::string_view::npos
                                      ? open
                                      : line.find(line[open] == '{' ? '}' : '>', open + 1);
        const std::size_t textEnd = open == std::string_view::npos ? line.size() : open;
        out += textio::ToSimplified(line.substr(pos, textEnd - pos));
        if (open == std::string_view::npos) {
            break;
        }
        out += line.substr(open, close - open + 1);
        pos = close + 1;
    }
    return out;
}

}  // namespace orvane::engine
