// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/simplify.h"

#include <opencc/opencc.h>

#include <memory>
#include <mutex>
#include <optional>

#include "textio/dynamic_library.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

// OpenCC's functions, taken from the library when a conversion is first
// wanted: most runs convert nothing.
struct OpenCc {
    decltype(&opencc_open) open = nullptr;
    decltype(&opencc_close) close = nullptr;
    decltype(&opencc_convert_utf8) convert = nullptr;
    decltype(&opencc_convert_utf8_free) free = nullptr;

    static std::optional<OpenCc> Load() {
        const std::optional<DynamicLibrary> library = DynamicLibrary::Open(ORVANE_OPENCC_LIBRARY);
        if (!library) {
            return std::nullopt;
        }
        OpenCc opencc;
        opencc.open = library->Find<decltype(opencc.open)>("opencc_open");
        opencc.close = library->Find<decltype(opencc.close)>("opencc_close");
        opencc.convert = library->Find<decltype(opencc.convert)>("opencc_convert_utf8");
        opencc.free = library->Find<decltype(opencc.free)>("opencc_convert_utf8_free");
        if (!opencc.open || !opencc.close || !opencc.convert || !opencc.free) {
            return std::nullopt;
        }
        return opencc;
    }
};

struct Simplifier {
    std::optional<OpenCc> opencc = OpenCc::Load();
    opencc_t handle = nullptr;
    std::mutex mutex;  // OpenCC does not promise that one handle is thread-safe

    Simplifier() {
        if (!opencc) {
            return;
        }
        opencc_t opened = opencc->open(OPENCC_DEFAULT_CONFIG_TRAD_TO_SIMP);
        // OpenCC's failure value is (opencc_t)-1.
        if (opened != reinterpret_cast<opencc_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
            handle = opened;
        }
    }
    ~Simplifier() {
        if (handle) {
            opencc->close(handle);
        }
    }
    Simplifier(const Simplifier&) = delete;
    Simplifier& operator=(const Simplifier&) = delete;
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
    const std::unique_ptr<char, decltype(OpenCc::free)> converted(
        simplifier.opencc->convert(simplifier.handle, piece.data(), piece.size()),
        simplifier.opencc->free);
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
