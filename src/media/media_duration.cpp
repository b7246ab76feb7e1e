// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/media_duration.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// The library is loaded when a clip is first measured, not when the program
// starts: it pulls in some forty further libraries (network, TLS, ...) that
// would otherwise slow every start of the program and the command-line tool.
// MediaInfoDLL.h is the library's own loader for that. Its header uses size_t
// without including its definition, so <cstddef> comes first; it declares the
// wide-character entry points only under UNICODE.
#ifndef UNICODE
#define UNICODE
#endif
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-variable"
#include <MediaInfoDLL/MediaInfoDLL.h>
#pragma GCC diagnostic pop

#include <mutex>

namespace orvane::media {
namespace {

// The library keeps a file open between MediaInfo_Open and MediaInfo_Close,
// and the handle itself until MediaInfo_Delete.
struct MediaInfoRelease {
    void operator()(void* handle) const {
        MediaInfo_Close(handle);
        MediaInfo_Delete(handle);
    }
};
using MediaInfoHandle = std::unique_ptr<void, MediaInfoRelease>;

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileClose>;

#ifdef _WIN32
FileHandle OpenRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return nullptr;
    }
    return FileHandle(_wfopen(path.c_str(), L"rb"));
}

// Windows names are wide already, and the library opens them as they are.
std::wstring NameForLibrary(const std::filesystem::path& path, std::FILE*) {
    return path.wstring();
}
#else
// Opens without blocking (a pipe would otherwise wait for a writer) and keeps
// the file only when it is an ordinary file.
FileHandle OpenRegularFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return nullptr;
    }
    FileHandle file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    return file;
}

// The library turns the wide name back into bytes with the current C locale
// (wcstombs). The name is handed over as is only when that round trip gives the
// same bytes; otherwise (a Chinese name under the "C" locale, bytes that are
// not valid in the locale's encoding) the library gets the already open file
// through /proc instead, so the measure never depends on the locale.
std::optional<std::wstring> WideNameForLibrary(const std::string& bytes) {
    std::mbstate_t state{};
    const char* source = bytes.c_str();
    const std::size_t length = std::mbsrtowcs(nullptr, &source, 0, &state);
    if (length == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    std::wstring wide(length, L'\0');
    state = std::mbstate_t{};
    source = bytes.c_str();
    std::mbsrtowcs(wide.data(), &source, length, &state);

    const wchar_t* back = wide.c_str();
    state = std::mbstate_t{};
    const std::size_t narrow = std::wcsrtombs(nullptr, &back, 0, &state);
    if (narrow != bytes.size()) {
        return std::nullopt;
    }
    std::string again(narrow, '\0');
    back = wide.c_str();
    state = std::mbstate_t{};
    std::wcsrtombs(again.data(), &back, narrow, &state);
    if (again != bytes) {
        return std::nullopt;
    }
    return wide;
}

std::wstring NameForLibrary(const std::filesystem::path& path, std::FILE* file) {
    if (auto wide = WideNameForLibrary(path.native())) {
        return *std::move(wide);
    }
    return L"/proc/self/fd/" + std::to_wstring(::fileno(file));
}

#endif

// Seconds from the general stream's "Duration" field: milliseconds as decimal
// text ("120040", or "7500.000" from some parsers), rounded to whole
// milliseconds; 0 for an empty, malformed, negative or non-finite value.
double SecondsFromDurationField(std::wstring_view milliseconds) {
    while (!milliseconds.empty() && milliseconds.front() == L' ') {
        milliseconds.remove_prefix(1);
    }
    while (!milliseconds.empty() && milliseconds.back() == L' ') {
        milliseconds.remove_suffix(1);
    }
    if (milliseconds.empty() || milliseconds.size() > 64) {
        return 0;
    }
    std::string ascii;
    for (const wchar_t c : milliseconds) {
        if (c <= 0 || c > 0x7F) {
            return 0;
        }
        ascii.push_back(static_cast<char>(c));
    }
    double value = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [stop, error] = std::from_chars(ascii.data(), end, value);
    if (error != std::errc{} || stop != end || !std::isfinite(value) || value <= 0) {
        return 0;
    }
    return std::round(value) / 1000.0;
}

// Digits and at most one point, nothing else: a field worth passing on.
std::string AsciiNumber(std::wstring_view field) {
    std::string ascii;
    for (const wchar_t c : field) {
        if (!((c >= L'0' && c <= L'9') || c == L'.') || ascii.size() > 16) {
            return {};
        }
        ascii.push_back(static_cast<char>(c));
    }
    return ascii.find('.') == ascii.rfind('.') ? ascii : std::string();
}

// The video's frame rate as text: "24000/1001" when the library gives the
// fraction (newer versions do), otherwise its rounded "23.976"; empty when
// it gives neither, as for a variable rate without a nominal one.
std::string FrameRateFromFields(std::wstring_view numerator, std::wstring_view denominator,
                                std::wstring_view rounded) {
    const std::string num = AsciiNumber(numerator);
    const std::string den = AsciiNumber(denominator);
    if (!num.empty() && !den.empty() && num.find('.') == std::string::npos &&
        den.find('.') == std::string::npos) {
        return den == "1" ? num : num + "/" + den;
    }
    // "25.000" is 25, "29.970" 29.97: as the rates are usually written.
    std::string text = AsciiNumber(rounded);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text;
}

// Loads the library once; false when it is not installed.
bool LibraryLoaded() {
    static std::once_flag once;
    static bool loaded = false;
    std::call_once(once, [] { loaded = MediaInfoDLL_Load() == 1 && MediaInfoDLL_IsLoaded() == 1; });
    return loaded;
}

}  // namespace

MediaFacts ReadMediaFacts(const std::filesystem::path& path) {
    if (!LibraryLoaded()) {
        return {};
    }
    const FileHandle file = OpenRegularFile(path);
    if (!file) {
        return {};
    }
    const std::wstring name = NameForLibrary(path, file.get());

    const MediaInfoHandle handle(MediaInfo_New());
    if (!handle) {
        return {};
    }
    if (MediaInfo_Open(handle.get(), name.c_str()) == 0) {
        return {};
    }
    // A subtitle or image file has a length of sorts too (an SRT file renamed
    // .mp4 reports its last cue's end), but nothing that plays.
    const std::size_t all = static_cast<std::size_t>(-1);
    const std::size_t videos = MediaInfo_Count_Get(handle.get(), MediaInfo_Stream_Video, all);
    if (videos == 0 && MediaInfo_Count_Get(handle.get(), MediaInfo_Stream_Audio, all) == 0) {
        return {};
    }
    // The returned text lives in the handle's buffer until the next call:
    // copy it at once.
    const auto field = [&handle](MediaInfo_stream_C stream, const wchar_t* what) {
        const wchar_t* text =
            MediaInfo_Get(handle.get(), stream, 0, what, MediaInfo_Info_Text, MediaInfo_Info_Name);
        return text == nullptr ? std::wstring() : std::wstring(text);
    };
    MediaFacts facts;
    facts.seconds = SecondsFromDurationField(field(MediaInfo_Stream_General, L"Duration"));
    if (videos > 0) {
        facts.frameRate = FrameRateFromFields(field(MediaInfo_Stream_Video, L"FrameRate_Num"),
                                              field(MediaInfo_Stream_Video, L"FrameRate_Den"),
                                              field(MediaInfo_Stream_Video, L"FrameRate"));
    }
    return facts;
}

double GetMediaDuration(const std::filesystem::path& path) {
    return ReadMediaFacts(path).seconds;
}

}  // namespace orvane::media
