#pragma once
// A loadable driver's library, loaded for one call of its functions and freed again.
#include <string>

class DriverLibrary {
public:
    DriverLibrary() = default;
    ~DriverLibrary() { Close(); }
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    // Loads the library file at `path`; false when it cannot be loaded.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }

    // The exported function of that name, or null.
    template <typename Fn>
    Fn Function(const char* name) const {
        return reinterpret_cast<Fn>(Symbol(name));
    }

private:
    void* Symbol(const char* name) const;
    void* handle_ = nullptr;
};
