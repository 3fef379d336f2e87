// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opening a library when it is first needed rather than at the start of every
// process: by its file name, through the loader's search path (never the
// working folder), kept open for the life of the process.

#include <dlfcn.h>

namespace ze {

// Sets *out to the function `name` of the library; false when it has none.
template <class Function>
bool FindFunction(void* handle, const char* name, Function* out) {
    *out = reinterpret_cast<Function>(dlsym(handle, name));
    return *out != nullptr;
}

// The functions of the library `soname` (the version the program was built
// against, by its file name), which `find` fills in from its handle with
// FindFunction; a Library of null functions when the library cannot be opened
// or `find` misses one.
template <class Library, class Find>
Library OpenSharedLibrary(const char* soname, Find find) {
    void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return {};
    Library library;
    if (find(handle, &library)) return library;
    dlclose(handle);
    return {};
}

}  // namespace ze
