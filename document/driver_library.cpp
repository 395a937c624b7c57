#include "document/driver_library.h"

#include <dlfcn.h>

bool DriverLibrary::Open(const std::string& path) {
    Close();
    // a name without a folder would make the loader search the system's library paths
    if (path.find('/') == std::string::npos) return false;
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle_ != nullptr;
}

void DriverLibrary::Close() {
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
}

void* DriverLibrary::Symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }
