#pragma once
// A project held in memory and installed as the current project while the object lives.
#include <string>

#include "host/project.h"

namespace support {

// The module object of the project: its six identifiers and its name.
struct ModuleObject {
    host::ObjectIds ids{1322001, 1, 3, 1, 1, 1};
    std::string name = "CP";
};

class MemoryProject {
public:
    // Environment P1 with its page layout object, station S1 and `module` in it.
    explicit MemoryProject(const ModuleObject& module = {});
    // A project without any object.
    struct Empty {};
    explicit MemoryProject(Empty);
    // Leaves the program without a current project.
    ~MemoryProject();
    MemoryProject(const MemoryProject&) = delete;
    MemoryProject& operator=(const MemoryProject&) = delete;

    host::Project& project() const;

    host::ObjectHandle env = 0, layout = 0, station = 0, module = 0;
};

}  // namespace support
