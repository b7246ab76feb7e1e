// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/ffmpeg_library.h"

#include <array>
#include <mutex>
#include <optional>

#include "media/shared_library.h"

namespace orvane::media {
namespace {

#define ORVANE_TEXT(x) #x
#define ORVANE_NUMBER(x) ORVANE_TEXT(x)

// The versions the program was built against: their structures are read
// directly, so no other major version will do.
#ifdef _WIN32
constexpr std::array<const char*, 4> kLibraries{
    "avutil-" ORVANE_NUMBER(LIBAVUTIL_VERSION_MAJOR) ".dll",
    "swresample-" ORVANE_NUMBER(LIBSWRESAMPLE_VERSION_MAJOR) ".dll",
    "avcodec-" ORVANE_NUMBER(LIBAVCODEC_VERSION_MAJOR) ".dll",
    "avformat-" ORVANE_NUMBER(LIBAVFORMAT_VERSION_MAJOR) ".dll"};
#else
constexpr std::array<const char*, 4> kLibraries{
    "libavutil.so." ORVANE_NUMBER(LIBAVUTIL_VERSION_MAJOR),
    "libswresample.so." ORVANE_NUMBER(LIBSWRESAMPLE_VERSION_MAJOR),
    "libavcodec.so." ORVANE_NUMBER(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." ORVANE_NUMBER(LIBAVFORMAT_VERSION_MAJOR)};
#endif

struct Loaded {
    std::optional<FfmpegFunctions> functions;
    std::string missing;
};

Loaded Load() {
    Loaded loaded;
    std::array<void*, kLibraries.size()> libraries{};
    for (std::size_t i = 0; i < kLibraries.size(); ++i) {
        libraries[i] = OpenLibrary(kLibraries[i]);
        if (libraries[i] == nullptr) {
            loaded.missing = kLibraries[i];
            return loaded;
        }
    }
    // Each function from whichever of the four holds it.
    const auto find = [&](const char* symbol) -> void* {
        for (void* library : libraries) {
            if (void* function = FindSymbol(library, symbol)) {
                return function;
            }
        }
        return nullptr;
    };
    FfmpegFunctions functions;
#define ORVANE_FFMPEG_FIND(name)                                                    \
    functions.name = reinterpret_cast<decltype(&::name)>(find(#name)); /* NOLINT */ \
    if (functions.name == nullptr) {                                                \
        loaded.missing = #name;                                                     \
        return loaded;                                                              \
    }
    ORVANE_FFMPEG_FUNCTIONS(ORVANE_FFMPEG_FIND)
#undef ORVANE_FFMPEG_FIND
    loaded.functions = functions;
    return loaded;
}

}  // namespace

const FfmpegFunctions* LoadFfmpeg(std::string& missing) {
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = Load(); });
    missing = loaded.missing;
    return loaded.functions ? &*loaded.functions : nullptr;
}

}  // namespace orvane::media
