#pragma once
// The project file: the host's objects with their identifiers, names, environment and
// station relations, links and attributes, kept in one SQLite database. Every write is
// one transaction, so a crash never leaves half an attribute behind.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace host {

using ObjectHandle = int64_t;  // 0 = no object

struct ObjectIds {
    long objType = 0, objId = 0, unitType = 0, unitId = 0, envType = 0, envId = 0;
    bool operator==(const ObjectIds&) const = default;
};

struct ObjectRow {
    ObjectHandle handle = 0;
    ObjectIds ids;
    std::string name;
    ObjectHandle env = 0;      // environment object
    ObjectHandle station = 0;  // hardware station
};

enum class AttrKind { Binary, Long, Byte, String };

// Why the last operation on a project failed, as far as the user can do something about it.
enum class ProjectFault {
    None,
    Locked,    // another program holds the project; trying again later helps
    Damaged,   // not a project file, or a damaged one
    Full,      // no space left on the disk (or the quota is used up)
    ReadOnly,  // the file or its folder may not be written
    Other,
};

class Project {
public:
    static constexpr size_t kMaxBinary = 65536;

    // Opens an existing project file (or ":memory:"); `create` makes a new one.
    // Returns nullptr and sets `error` when the file is missing, locked or not a project.
    static std::unique_ptr<Project> open(const std::string& path, bool create, std::string* error = nullptr);
    ~Project();
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    const std::string& path() const { return path_; }
    // The first error of the last failed operation (never that of the clean-up after it).
    const std::string& lastError() const { return error_; }
    ProjectFault lastFault() const { return fault_; }

    ObjectHandle find(const ObjectIds& ids);
    ObjectHandle findByName(const std::string& name);
    ObjectHandle create(const ObjectIds& ids, const std::string& name, ObjectHandle env, ObjectHandle station);
    std::optional<ObjectRow> row(ObjectHandle h);
    std::vector<ObjectRow> objects();

    bool link(ObjectHandle from, int relation, ObjectHandle to);
    std::optional<std::vector<ObjectHandle>> linked(ObjectHandle from, int relation);

    bool setBinary(ObjectHandle h, long attr, const uint8_t* data, size_t size);
    // At most `limit` bytes of a binary attribute: a larger stored value is never read whole.
    std::optional<std::vector<uint8_t>> binary(ObjectHandle h, long attr, size_t limit = kMaxBinary);
    bool setLong(ObjectHandle h, long attr, long value);
    std::optional<long> getLong(ObjectHandle h, long attr);
    bool setByte(ObjectHandle h, long attr, uint8_t value);
    std::optional<uint8_t> getByte(ObjectHandle h, long attr);
    bool setString(ObjectHandle h, long attr, const std::string& value);
    std::optional<std::string> getString(ObjectHandle h, long attr);

    // Makes the file durable (checkpoint); false when the database reports an error. Under a
    // hold there is nothing to do before the hold ends.
    bool save();

    // Holds the project for this program from now until release: a write of another program
    // waits for it. Waits up to `waitMs` for another program's hold; false (lastError) when
    // the project stays busy or reports an error. Writes under the hold become part of it.
    bool hold(int waitMs);
    // Ends the hold: `keep` commits its writes (false with lastError when that fails; they
    // are then rolled back), otherwise they are rolled back.
    bool release(bool keep);
    bool holding() const;

private:
    explicit Project(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
    bool exec(const char* sql);
    void fail(int rc, const std::string& detail);
    void fail(int rc);
    void rollback();
    bool setAttr(ObjectHandle h, long attr, AttrKind kind, const void* blob, size_t size, long number,
                 const std::string* text);
    sqlite3* db_;
    std::string path_;
    std::string error_;
    ProjectFault fault_ = ProjectFault::None;
};

// The project the program works on, as OpenProjectFromEnvironment or a test set it; null
// when there is none.
Project* currentProject();
// Replaces the current project (tests use an in-memory one); nullptr closes it.
void setCurrentProject(std::unique_ptr<Project> p);

enum class ProjectOpening {
    NotNamed,  // QORB4_PROJECT is unset or empty: the current project stays as it is
    Opened,    // the named project is the current one, its error log beside it
    Failed,    // the named project cannot be opened; nothing changed
};

// The start of both programs: opens the project that QORB4_PROJECT names, makes it the
// current project and appends the error log to "<project>.errors.log". On Failed `error`
// says which file and why, in the words the user is shown.
ProjectOpening OpenProjectFromEnvironment(std::string* error = nullptr);

}  // namespace host
