// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/shared_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace orvane::media {

#ifdef _WIN32
void* OpenLibrary(const char* name) {
    return reinterpret_cast<void*>(  // NOLINT
        LoadLibraryExA(name, nullptr,
                       LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
}

void* FindSymbol(void* library, const char* symbol) {
    return reinterpret_cast<void*>(  // NOLINT
        GetProcAddress(static_cast<HMODULE>(library), symbol));
}
#else
void* OpenLibrary(const char* name) {
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* FindSymbol(void* library, const char* symbol) {
    return dlsym(library, symbol);
}
#endif

}  // namespace orvane::media
