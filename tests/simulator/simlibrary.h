#pragma once

#include "adaptercore/tsrwl.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>

// The built libtsrwl.so, loaded the way the program loads it: by path, every function by name.
struct SimLibrary {
#define SIMTEST_POINTER(name, result, args) name##_t name = nullptr;
    TSRWL_FUNCTIONS(SIMTEST_POINTER)
#undef SIMTEST_POINTER
    TSRWL_GetLastConnectError_t TSRWL_GetLastConnectError = nullptr; // optional
    void* handle = nullptr;
    int found = 0;

    static std::string Path()
    {
        const char* dir = getenv("WLANUTIL_BIN_DIR");
        return std::string(dir ? dir : ".") + "/libtsrwl.so";
    }

    bool Load()
    {
        return LoadFrom(Path());
    }

    bool LoadFrom(const std::string& path)
    {
        handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return false;
#define SIMTEST_RESOLVE(fn, result, args)                                                                    \
    fn = reinterpret_cast<fn##_t>(dlsym(handle, #fn));                                                       \
    found += fn != nullptr;
        TSRWL_FUNCTIONS(SIMTEST_RESOLVE)
#undef SIMTEST_RESOLVE
        TSRWL_GetLastConnectError =
            reinterpret_cast<TSRWL_GetLastConnectError_t>(dlsym(handle, "TSRWL_GetLastConnectError"));
        return found == TSRWL_FUNCTION_COUNT;
    }
};
