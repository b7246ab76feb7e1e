// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/dynamic_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace orvane::textio {

#ifdef _WIN32

std::optional<DynamicLibrary> DynamicLibrary::Open(const char* name) {
    // Not the current folder: a DLL planted beside a subtitle file must not
    // be loaded.
    const DWORD where = LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;
    if (HMODULE module = LoadLibraryExA(name, nullptr, where)) {
        return DynamicLibrary(reinterpret_cast<void*>(module));
    }
    return std::nullopt;
}

void* DynamicLibrary::Address(const char* symbol) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), symbol));
}

#else

std::optional<DynamicLibrary> DynamicLibrary::Open(const char* name) {
    if (void* handle = dlopen(name, RTLD_NOW | RTLD_LOCAL)) {
        return DynamicLibrary(handle);
    }
    return std::nullopt;
}

void* DynamicLibrary::Address(const char* symbol) const {
    return dlsym(handle_, symbol);
}

#endif

}  // namespace orvane::textio
