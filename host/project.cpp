#include "host/project.h"

#include <sqlite3.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/messages.h"

namespace host {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS objects (
  handle INTEGER PRIMARY KEY,
  obj_type INTEGER NOT NULL, obj_id INTEGER NOT NULL, unit_type INTEGER NOT NULL,
  unit_id INTEGER NOT NULL, env_type INTEGER NOT NULL, env_id INTEGER NOT NULL,
  name TEXT NOT NULL DEFAULT '',
  env_handle INTEGER NOT NULL DEFAULT 0,
  station_handle INTEGER NOT NULL DEFAULT 0,
  UNIQUE (obj_type, obj_id, unit_type, unit_id, env_type, env_id));
CREATE TABLE IF NOT EXISTS links (
  from_handle INTEGER NOT NULL, relation INTEGER NOT NULL, to_handle INTEGER NOT NULL,
  PRIMARY KEY (from_handle, relation, to_handle));
CREATE TABLE IF NOT EXISTS attributes (
  handle INTEGER NOT NULL, attr INTEGER NOT NULL, kind INTEGER NOT NULL, value,
  PRIMARY KEY (handle, attr));
)sql";

// A prepared statement that finalises itself.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) { ok_ = sqlite3_prepare_v2(db, sql, -1, &s_, nullptr) == SQLITE_OK; }
    ~Stmt() { sqlite3_finalize(s_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    explicit operator bool() const { return ok_; }
    sqlite3_stmt* get() { return s_; }
    Stmt& bind(int i, int64_t v) { sqlite3_bind_int64(s_, i, v); return *this; }
    Stmt& bind(int i, const std::string& v) { sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT); return *this; }
    int step() { return ok_ ? sqlite3_step(s_) : SQLITE_ERROR; }
    int64_t i64(int c) { return sqlite3_column_int64(s_, c); }
    std::string text(int c) {
        const unsigned char* t = sqlite3_column_text(s_, c);
        return t ? std::string(reinterpret_cast<const char*>(t), sqlite3_column_bytes(s_, c)) : std::string();
    }
private:
    sqlite3_stmt* s_ = nullptr;
    bool ok_ = false;
};

// What went wrong, in the words the user is shown: a project another program holds, a file
// that is no project or is damaged and a full disk each need a different remedy, so they are
// named apart; SQLite's own words follow for the log.
ProjectFault faultOf(sqlite3* db, int rc) {
    switch (rc & 0xFF) {
    case SQLITE_OK: case SQLITE_ROW: case SQLITE_DONE: return ProjectFault::None;
    case SQLITE_BUSY: case SQLITE_LOCKED: return ProjectFault::Locked;
    case SQLITE_NOTADB: case SQLITE_CORRUPT: return ProjectFault::Damaged;
    case SQLITE_FULL: return ProjectFault::Full;
    case SQLITE_READONLY: return ProjectFault::ReadOnly;
    case SQLITE_IOERR: {
        const int err = db ? sqlite3_system_errno(db) : 0;
        if (err == ENOSPC || err == EDQUOT) return ProjectFault::Full;
        return ProjectFault::Other;
    }
    default: return ProjectFault::Other;
    }
}

std::string faultText(ProjectFault fault, const std::string& detail) {
    std::string text;
    switch (fault) {
    case ProjectFault::Locked: text = "das Projekt ist gesperrt, ein anderes Programm arbeitet gerade darin"; break;
    case ProjectFault::Damaged: text = "keine Projektdatei oder beschädigt"; break;
    case ProjectFault::Full: text = "kein Platz mehr auf dem Datenträger"; break;
    case ProjectFault::ReadOnly: text = "das Projekt ist schreibgeschützt"; break;
    case ProjectFault::None: case ProjectFault::Other: return detail;
    }
    return detail.empty() ? text : text + " (" + detail + ")";
}

// How long a statement waits for another program's write before it reports the project busy.
constexpr int kBusyWaitMs = 2000;

std::unique_ptr<Project>& current() {
    static std::unique_ptr<Project> p;
    return p;
}

}  // namespace

std::unique_ptr<Project> Project::open(const std::string& path, bool create, std::string* error) {
    auto fail = [&](const std::string& why, sqlite3* db) -> std::unique_ptr<Project> {
        if (error) *error = why;
        if (db) sqlite3_close(db);
        return nullptr;
    };
    // A project that is not there is told apart from one that cannot be opened.
    struct stat st;
    if (!create && ::stat(path.c_str(), &st) != 0) {
        const int err = errno;
        return fail("Projekt " + path + " fehlt: " + std::strerror(err), nullptr);
    }
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    sqlite3* db = nullptr;
    if (const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr); rc != SQLITE_OK)
        return fail("Projekt " + path + " kann nicht geöffnet werden: " +
                        (db ? faultText(faultOf(db, rc), sqlite3_errmsg(db)) : std::string("kein Speicher")),
                    db);
    sqlite3_busy_timeout(db, kBusyWaitMs);
    char* msg = nullptr;
    if (create) {
        if (const int rc = sqlite3_exec(db, kSchema, nullptr, nullptr, &msg); rc != SQLITE_OK) {
            std::string why = msg ? msg : sqlite3_errmsg(db);
            sqlite3_free(msg);
            return fail("Projekt " + path + " kann nicht angelegt werden: " + faultText(faultOf(db, rc), why), db);
        }
    }
    // A file that is not a project (or is damaged) shows up here; so does one another program
    // holds locked, which is not damaged and must not be called so.
    {
        Stmt check(db, "SELECT count(*) FROM objects");
        const int rc = check ? check.step() : sqlite3_errcode(db);
        if (rc != SQLITE_ROW) {
            const std::string why = sqlite3_errmsg(db);
            switch (faultOf(db, rc)) {
            case ProjectFault::Locked:
                return fail("Projekt " + path + " ist gesperrt, ein anderes Programm arbeitet gerade darin: " + why, db);
            case ProjectFault::Full:
                return fail("Projekt " + path + " kann nicht gelesen werden: " + faultText(ProjectFault::Full, why), db);
            default:
                return fail("Projekt " + path + " ist keine Projektdatei oder beschädigt: " + why, db);
            }
        }
    }
    return std::unique_ptr<Project>(new Project(db, path));
}

Project::~Project() { sqlite3_close(db_); }

bool Project::exec(const char* sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &msg);
    if (rc == SQLITE_OK) return true;
    fail(rc, msg ? msg : sqlite3_errmsg(db_));
    sqlite3_free(msg);
    return false;
}

void Project::fail(int rc, const std::string& detail) {
    fault_ = faultOf(db_, rc);
    error_ = faultText(fault_, detail);
}

void Project::fail(int rc) { fail(rc, sqlite3_errmsg(db_)); }

// Undoes an open transaction after a failure. SQLite may have rolled it back already (a full
// disk does that); either way the error that caused it stays the one reported.
void Project::rollback() {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

ObjectHandle Project::find(const ObjectIds& ids) {
    Stmt s(db_, "SELECT handle FROM objects WHERE obj_type=? AND obj_id=? AND unit_type=? AND unit_id=? "
                "AND env_type=? AND env_id=?");
    s.bind(1, ids.objType).bind(2, ids.objId).bind(3, ids.unitType).bind(4, ids.unitId).bind(5, ids.envType).bind(6, ids.envId);
    return s.step() == SQLITE_ROW ? s.i64(0) : 0;
}

ObjectHandle Project::findByName(const std::string& name) {
    Stmt s(db_, "SELECT handle FROM objects WHERE name=? ORDER BY handle LIMIT 1");
    s.bind(1, name);
    return s.step() == SQLITE_ROW ? s.i64(0) : 0;
}

ObjectHandle Project::create(const ObjectIds& ids, const std::string& name, ObjectHandle env, ObjectHandle station) {
    Stmt s(db_, "INSERT INTO objects (obj_type, obj_id, unit_type, unit_id, env_type, env_id, name, env_handle, "
                "station_handle) VALUES (?,?,?,?,?,?,?,?,?)");
    s.bind(1, ids.objType).bind(2, ids.objId).bind(3, ids.unitType).bind(4, ids.unitId).bind(5, ids.envType)
        .bind(6, ids.envId).bind(7, name).bind(8, env).bind(9, station);
    if (const int rc = s.step(); rc != SQLITE_DONE) {
        fail(rc);
        return 0;
    }
    return sqlite3_last_insert_rowid(db_);
}

std::optional<ObjectRow> Project::row(ObjectHandle h) {
    Stmt s(db_, "SELECT handle, obj_type, obj_id, unit_type, unit_id, env_type, env_id, name, env_handle, "
                "station_handle FROM objects WHERE handle=?");
    s.bind(1, h);
    if (s.step() != SQLITE_ROW) return std::nullopt;
    ObjectRow r;
    r.handle = s.i64(0);
    r.ids = {static_cast<long>(s.i64(1)), static_cast<long>(s.i64(2)), static_cast<long>(s.i64(3)),
             static_cast<long>(s.i64(4)), static_cast<long>(s.i64(5)), static_cast<long>(s.i64(6))};
    r.name = s.text(7);
    r.env = s.i64(8);
    r.station = s.i64(9);
    return r;
}

std::vector<ObjectRow> Project::objects() {
    std::vector<ObjectRow> rows;
    Stmt s(db_, "SELECT handle FROM objects ORDER BY handle");
    std::vector<ObjectHandle> handles;
    while (s.step() == SQLITE_ROW) handles.push_back(s.i64(0));
    for (ObjectHandle h : handles)
        if (auto r = row(h)) rows.push_back(*r);
    return rows;
}

bool Project::link(ObjectHandle from, int relation, ObjectHandle to) {
    Stmt s(db_, "INSERT OR IGNORE INTO links (from_handle, relation, to_handle) VALUES (?,?,?)");
    s.bind(1, from).bind(2, relation).bind(3, to);
    if (const int rc = s.step(); rc != SQLITE_DONE) {
        fail(rc);
        return false;
    }
    return true;
}

std::optional<std::vector<ObjectHandle>> Project::linked(ObjectHandle from, int relation) {
    if (!row(from)) return std::nullopt;
    Stmt s(db_, "SELECT to_handle FROM links WHERE from_handle=? AND (relation=? OR ?=0) ORDER BY rowid");
    s.bind(1, from).bind(2, relation).bind(3, relation);
    std::vector<ObjectHandle> out;
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) out.push_back(s.i64(0));
    if (rc != SQLITE_DONE) return std::nullopt;
    return out;
}

bool Project::setAttr(ObjectHandle h, long attr, AttrKind kind, const void* blob, size_t size, long number,
                      const std::string* text) {
    if (!row(h)) {
        error_ = "Objekt " + std::to_string(h) + " existiert nicht";
        fault_ = ProjectFault::Other;
        return false;
    }
    // Under a hold the write is a savepoint of the hold's transaction, else a transaction of its own.
    const bool held = holding();
    if (!exec(held ? "SAVEPOINT attr" : "BEGIN IMMEDIATE")) return false;
    auto undo = [&] {
        if (!held) return rollback();
        sqlite3_exec(db_, "ROLLBACK TO attr", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "RELEASE attr", nullptr, nullptr, nullptr);
    };
    Stmt s(db_, "INSERT OR REPLACE INTO attributes (handle, attr, kind, value) VALUES (?,?,?,?)");
    s.bind(1, h).bind(2, attr).bind(3, static_cast<int>(kind));
    if (kind == AttrKind::Binary)
        sqlite3_bind_blob(s.get(), 4, blob, static_cast<int>(size), SQLITE_TRANSIENT);
    else if (kind == AttrKind::String)
        s.bind(4, *text);
    else
        s.bind(4, number);
    if (const int rc = s.step(); rc != SQLITE_DONE) {
        fail(rc);
        undo();
        return false;
    }
    if (!exec(held ? "RELEASE attr" : "COMMIT")) {
        undo();
        return false;
    }
    return true;
}

namespace {
// Reads one attribute of the given kind; nullopt when absent or of another kind.
template <typename F>
auto readAttr(sqlite3* db, ObjectHandle h, long attr, AttrKind kind, F take) -> std::optional<decltype(take(nullptr))> {
    Stmt s(db, "SELECT value FROM attributes WHERE handle=? AND attr=? AND kind=?");
    s.bind(1, h).bind(2, attr).bind(3, static_cast<int>(kind));
    if (s.step() != SQLITE_ROW) return std::nullopt;
    return take(s.get());
}
}  // namespace

bool Project::setBinary(ObjectHandle h, long attr, const uint8_t* data, size_t size) {
    if (size > kMaxBinary) {
        error_ = "Attribut zu lang";
        fault_ = ProjectFault::Other;
        return false;
    }
    return setAttr(h, attr, AttrKind::Binary, data, size, 0, nullptr);
}

std::optional<std::vector<uint8_t>> Project::binary(ObjectHandle h, long attr, size_t limit) {
    // The row comes without its value; blob I/O then reads only the first `limit` bytes, so an
    // oversized value costs no more memory than the caller's buffer.
    Stmt s(db_, "SELECT rowid, typeof(value) FROM attributes WHERE handle=? AND attr=? AND kind=?");
    s.bind(1, h).bind(2, attr).bind(3, static_cast<int>(AttrKind::Binary));
    if (s.step() != SQLITE_ROW) return std::nullopt;
    const int64_t rowid = s.i64(0);
    const std::string type = s.text(1);
    if (type == "null") return std::vector<uint8_t>();
    if (type != "blob" && type != "text") return std::nullopt;
    sqlite3_blob* blob = nullptr;
    if (sqlite3_blob_open(db_, "main", "attributes", "value", rowid, 0, &blob) != SQLITE_OK) {
        sqlite3_blob_close(blob);
        return std::nullopt;
    }
    std::vector<uint8_t> out(std::min<size_t>(static_cast<size_t>(sqlite3_blob_bytes(blob)), limit));
    const int rc = out.empty() ? SQLITE_OK : sqlite3_blob_read(blob, out.data(), static_cast<int>(out.size()), 0);
    sqlite3_blob_close(blob);
    if (rc != SQLITE_OK) return std::nullopt;
    return out;
}

bool Project::setLong(ObjectHandle h, long attr, long value) { return setAttr(h, attr, AttrKind::Long, nullptr, 0, value, nullptr); }
std::optional<long> Project::getLong(ObjectHandle h, long attr) {
    return readAttr(db_, h, attr, AttrKind::Long, [](sqlite3_stmt* s) { return static_cast<long>(sqlite3_column_int64(s, 0)); });
}
bool Project::setByte(ObjectHandle h, long attr, uint8_t value) { return setAttr(h, attr, AttrKind::Byte, nullptr, 0, value, nullptr); }
std::optional<uint8_t> Project::getByte(ObjectHandle h, long attr) {
    return readAttr(db_, h, attr, AttrKind::Byte, [](sqlite3_stmt* s) { return static_cast<uint8_t>(sqlite3_column_int(s, 0)); });
}
bool Project::setString(ObjectHandle h, long attr, const std::string& value) {
    return setAttr(h, attr, AttrKind::String, nullptr, 0, 0, &value);
}
std::optional<std::string> Project::getString(ObjectHandle h, long attr) {
    return readAttr(db_, h, attr, AttrKind::String, [](sqlite3_stmt* s) {
        const unsigned char* t = sqlite3_column_text(s, 0);
        return t ? std::string(reinterpret_cast<const char*>(t), sqlite3_column_bytes(s, 0)) : std::string();
    });
}

bool Project::save() {
    if (holding()) return true;
    int rc = sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    if (rc != SQLITE_OK && rc != SQLITE_BUSY) {
        fail(rc);
        return false;
    }
    return true;
}

bool Project::hold(int waitMs) {
    if (holding()) {
        error_ = "Projekt " + path_ + " wird bereits gehalten";
        fault_ = ProjectFault::Other;
        return false;
    }
    sqlite3_busy_timeout(db_, waitMs);
    const bool ok = exec("BEGIN IMMEDIATE");
    sqlite3_busy_timeout(db_, kBusyWaitMs);
    return ok;
}

bool Project::release(bool keep) {
    if (!holding()) return true;
    if (!keep) {
        rollback();
        return true;
    }
    if (exec("COMMIT")) return save();
    rollback();
    return false;
}

bool Project::holding() const { return sqlite3_get_autocommit(db_) == 0; }

Project* currentProject() { return current().get(); }

void setCurrentProject(std::unique_ptr<Project> p) { current() = std::move(p); }

ProjectOpening OpenProjectFromEnvironment(std::string* error) {
    const char* path = std::getenv("QORB4_PROJECT");
    if (!path || !*path) return ProjectOpening::NotNamed;
    std::string why;
    auto opened = Project::open(path, false, &why);
    if (!opened) {
        if (error) *error = why;
        return ProjectOpening::Failed;
    }
    setCurrentProject(std::move(opened));
    setErrorLogPath(std::string(path) + ".errors.log");
    return ProjectOpening::Opened;
}

}  // namespace host
