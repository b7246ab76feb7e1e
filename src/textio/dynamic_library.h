// SPDX-License-Identifier: GPL-3.0-or-later
// A shared library opened while the program runs, for a library that only a
// few runs need: loading it at every start would cost all the others.
#pragma once

#include <optional>

namespace orvane::textio {

class DynamicLibrary {
public:
    // Opens the library by the name the system's loader knows (a soname such
    // as "libopencc.so.1.1", a path, or a DLL's file name: on Windows only
    // the program's folder and the system folder are searched); nothing when
    // it is missing.
    // It stays loaded until the program ends, so that what was taken from
    // it may be used until then.
    static std::optional<DynamicLibrary> Open(const char* name);

    // An exported function, as its type; nullptr when there is none.
    template <typename Function>
    Function Find(const char* symbol) const {
        // Address() gives it as an object pointer, which both systems allow
        // to be cast back to a function pointer.
        return reinterpret_cast<Function>(Address(symbol));  // NOLINT
    }

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* Address(const char* symbol) const;

    void* handle_;
};

}  // namespace orvane::textio
