// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/simplify.h"

#include <opencc/opencc.h>

#include <memory>
#include <mutex>

#include "textio/utf8.h"

namespace orvane::textio {
namespace {

struct OpenCcCloser {
    void operator()(void* handle) const { opencc_close(static_cast<opencc_t>(handle)); }
};
using OpenCcPtr = std::unique_ptr<void, OpenCcCloser>;

struct OpenCcStringFree {
    void operator()(char* s) const { opencc_convert_utf8_free(s); }
};
using OpenCcString = std::unique_ptr<char, OpenCcStringFree>;

struct Simplifier {
    OpenCcPtr handle;
    std::mutex mutex;  // OpenCC does not promise that one handle is thread-safe

    Simplifier() {
        opencc_t opened = opencc_open(OPENCC_DEFAULT_CONFIG_TRAD_TO_SIMP);
        // OpenCC's failure value is (opencc_t)-1.
        if (opened != reinterpret_cast<opencc_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
            handle.reset(opened);
        }
    }
};

Simplifier& Instance() {
    static Simplifier simplifier;  // the dictionaries take a while to load: once
    return simplifier;
}

bool HasOnlyAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string ConvertPiece(Simplifier& simplifier, std::string_view piece) {
    OpenCcString converted(
        opencc_convert_utf8(simplifier.handle.get(), piece.data(), piece.size()));
    return converted ? std::string(converted.get()) : std::string(piece);
}

}  // namespace

bool SimplifierAvailable() {
    return Instance().handle != nullptr;
}

std::string ToSimplified(std::string_view utf8) {
    if (HasOnlyAscii(utf8)) {
        return std::string(utf8);  // nothing to convert; skip the lock and the copy out
    }
    // OpenCC trusts a lead byte's length and reads past a character that is
    // cut off. Text read from a file is always whole UTF-8 by now; anything
    // else is left as it is rather than handed over.
    if (!IsValidUtf8(utf8)) {
        return std::string(utf8);
    }
    Simplifier& simplifier = Instance();
    if (!simplifier.handle) {
        return std::string(utf8);
    }
    std::lock_guard lock(simplifier.mutex);
    // OpenCC returns a NUL-terminated text, so convert around any NUL.
    std::string out;
    out.reserve(utf8.size());
    std::size_t start = 0;
    while (true) {
        const std::size_t nul = utf8.find('\0', start);
        out += ConvertPiece(simplifier, utf8.substr(start, nul - start));
        if (nul == std::string_view::npos) {
            break;
        }
        out += '\0';
        start = nul + 1;
    }
    return out;
}

}  // namespace orvane::textio
