// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cue_text.h"

#include "textio/simplify.h"

namespace orvane::engine {

std::string SimplifyOutsideMarkup(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    std::size_t pos = 0;
    while (pos < line.size()) {
        std::size_t open = line.find_first_of("{<", pos);
        std::size_t close = std::string_view::npos;
        while (open != std::string_view::npos) {
            close = line.find(line[open] == '{' ? '}' : '>', open + 1);
            if (close != std::string_view::npos) {
                break;
            }
            open = line.find_first_of("{<", open + 1);  // unclosed: it is text
        }
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
