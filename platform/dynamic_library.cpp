#include "platform/dynamic_library.h"

#include <dlfcn.h>

HMODULE LoadLibraryA(const char* name)
{
    // dlopen(nullptr) would hand back the program itself; a library needs a name.
    if (name == nullptr || *name == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* handle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(handle);
}

FARPROC GetProcAddress(HMODULE module, const char* name)
{
    if (module == nullptr || name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* symbol = dlsym(module, name);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

bool FreeLibrary(HMODULE module)
{
    if (module == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return dlclose(module) == 0;
}
