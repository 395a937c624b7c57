#include "tests/support/memory_project.h"

#include <stdexcept>

#include "host/aut.h"

namespace support {

namespace {
std::unique_ptr<host::Project> openInMemory() {
    auto p = host::Project::open(":memory:", true);
    if (!p) throw std::runtime_error("no in-memory project");
    return p;
}
}  // namespace

MemoryProject::MemoryProject(const ModuleObject& m) {
    auto p = openInMemory();
    env = p->create({1, 1, 0, 0, 0, 0}, "P1", 0, 0);
    layout = p->create({kPageLayoutObjectType, 1, 0, 0, 0, 0}, "Layout", env, 0);
    station = p->create({2, 1, 0, 0, 1, 1}, "S1", env, 0);
    module = p->create(m.ids, m.name, env, station);
    host::setCurrentProject(std::move(p));
}

MemoryProject::MemoryProject(Empty) { host::setCurrentProject(openInMemory()); }

MemoryProject::~MemoryProject() { host::setCurrentProject(nullptr); }

host::Project& MemoryProject::project() const { return *host::currentProject(); }

}  // namespace support
