#pragma once
// The stored block of one module (project attribute 110706 or the data transfer file) as
// a store sees it: what a read found, and exclusive access while it is read, compared and
// written, so that two programs storing the same module never lose one of the changes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace host {
class Project;
}

namespace stored {

// What one read of the stored block found. Two reads found the same block when equal.
struct Snapshot {
    bool present = false;        // false: nothing stored, or it could not be read
    std::vector<uint8_t> bytes;  // as read, up to the reader's limit
    bool operator==(const Snapshot&) const = default;
};

// Exclusive access to a stored block. Destroying a hold gives it up: a project hold is
// rolled back, a file lock released.
class Hold {
public:
    virtual ~Hold() = default;
    // Ends the hold and keeps what was written under it; false with the reason when the
    // project cannot take it.
    virtual bool keep(std::string* why) = 0;
};

// Holds the project for this program: another program's write waits until the hold ends
// (or fails after its own wait). Waits up to `waitMs` for a hold of another program.
// Null with the reason when the project stays busy or reports an error.
std::unique_ptr<Hold> HoldProject(host::Project& project, int waitMs, std::string* why);

// An advisory lock for the data transfer file `path`, taken on the file itself (and
// checked, once granted, to be still the file the path names, since a store replaces the
// file) or, while there is no file yet, on its folder. Programs that store the file take
// it; waits up to `waitMs`. Null with the reason when it stays busy or cannot be taken.
std::unique_ptr<Hold> HoldFile(const std::string& path, int waitMs, std::string* why);

}  // namespace stored
