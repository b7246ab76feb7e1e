// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a shared library while the program runs (dlopen, LoadLibraryEx).
#pragma once

namespace orvane::media {

// The library by the name the system's loader knows (a soname, or a DLL
// looked for in the program's folder and the system folder only); nullptr
// when it is missing. It stays loaded until the program ends, so that its
// functions may be used until then.
void* OpenLibrary(const char* name);

// An exported symbol's address; nullptr when there is none.
void* FindSymbol(void* library, const char* symbol);

}  // namespace orvane::media
