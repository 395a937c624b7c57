// y5mklink: moves the program's data folder below the common application-data folder,
// keeps the old folder as a backup, puts a directory symbolic link in its place and gives
// the local users group change access to the new folder. Every step goes into a log.
//
// Command line: LINK_FOLDER [LOG_FILE]  (both trimmed of surrounding blanks)
//               -h | --help | --version
// An argument that starts with "-" is always an option, never a folder (a folder of such a name is
// given as ./-name); the first option decides: -h and --help print the usage on standard output,
// --version the program name and version, anything else is refused with the usage on standard
// error. None of them touches a folder. Without any argument the usage goes to standard error.
// The link folder has to exist: a missing one is refused before anything is created or granted.
//
// On this platform:
//   - the common application-data folder is $PROGRAMDATA when set and non-empty, else /var/lib;
//     it has to be an absolute path to an existing folder;
//   - the data folder T is <common>/Quenral/Automation/Qorb4/Vemtro, the link L is
//     <link folder>/Vemtro, a symbolic link to T;
//   - the users group is the local group "users";
//   - change access is read and write, plus execute on folders (and on files that already carry an
//     execute bit), granted as a POSIX access ACL entry for the group on T and everything below it
//     and as a default ACL entry on every folder, so new files and subfolders inherit it. Existing
//     ACL entries are kept; the group's entry only ever gains rights. Symbolic links below T are
//     never followed. The log shows the equivalent setfacl command line.
//
// The way down to T: from the common folder on, every folder is opened without following a
// symbolic link (and created when missing); a symbolic link anywhere below the common folder, T
// included, refuses the run before anything is copied, linked or granted (log line CREATE
// DIRECTORY with the reason, exit code kLinkFailed). The common folder itself may be a link.
// Files in T with more than one hard link are not granted; each gets a NOT GRANTED log line.
//
// One run at a time: a run holds an flock on <common>/Quenral/Automation/Qorb4/.Vemtro.lock from
// before it looks at T to its end; a second run finds it held, logs LOCK DATA DIRECTORY and ends
// with kLinkFailed, changing nothing.
//
// Copy: the old folder is copied into .Vemtro.staging beside T; complete, that is renamed to
// .Vemtro.ready, the old folder is renamed to its backup, and the copy is moved into place: as T
// by one rename when there is no T yet, else entry by entry into T, where folders merge into a
// folder of the same name and a file, symbolic link or folder whose name is already taken by
// something it cannot merge with gets the first free name of
//   name_1.ext, name_2.ext, ...   (folders and names without extension: name_1, name_2, ...)
// A rerun after a kill throws away a .Vemtro.staging (and a .Vemtro.ready whose old folder is
// still there) and copies afresh; a .Vemtro.ready whose old folder is gone is moved into place.
// So no file arrives twice however a run ends. Nothing that existed before is deleted or
// overwritten: the old folder stays as <link folder>/Vemtro_backup (or Vemtro_backup_1, _2, ...
// when taken). If the copy fails the old folder is left in place and the link is not made.
#pragma once

#include <sys/types.h>

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace mklink {

// Exit codes, as the installation reads them (the process exit status is their low byte).
inline constexpr int kDone = 0;
// No argument, or an option the tool does not know: the command line names nothing to run.
inline constexpr int kBadCommandLine = -1;
inline constexpr int kNoCommonFolder = -2;
inline constexpr int kLinkFailed = -3;
inline constexpr int kChangeDirOrGrantFailed = -4;
// The link folder does not exist; reported so only while a log is written, without a log the
// same case ends as kChangeDirOrGrantFailed.
inline constexpr int kLinkFolderMissing = -5;
inline constexpr int kUnsupportedSystem = -6;

inline constexpr const char* kDataFolderName = "Vemtro";
inline constexpr const char* kCommonSubPath = "Quenral/Automation/Qorb4";
inline constexpr const char* kDefaultCommonFolder = "/var/lib";
inline constexpr const char* kCommonFolderVariable = "PROGRAMDATA";
inline constexpr const char* kUsersGroup = "users";
// The operating-system generation this tool is made for; this system reports it always.
inline constexpr int kSupportedMajorVersion = 6;
// Highest number tried for a backup name or a renamed copy.
inline constexpr int kMaxNameNumber = 4998;

// Told of each entry a grant leaves out on purpose: its path below the granted folder and why.
using PassOverFn = std::function<void(const std::string& entry, const std::string& why)>;
// Grants change access on the folder tree open as `folder`; true when every entry it did not
// pass over got it.
using GrantFn = std::function<bool(int folder, gid_t group, const PassOverFn& passOver)>;

// Files with more than one hard link are passed over: another name of the same file may lie
// anywhere on the file system, and the grant would open it there too.
bool grantChangeAccess(int folder, gid_t group, const PassOverFn& passOver = {});

// What the tool takes from its surroundings, so that a run can be staged.
struct Environment {
    // An environment variable's value, or nothing when unset.
    std::function<std::optional<std::string>(const char* name)> variable;
    // The operating system's major version; the one source of it.
    std::function<int()> osMajorVersion;
    std::string usersGroup = kUsersGroup;
    GrantFn grant = grantChangeAccess;
    // Where the usage and the version go; the run itself writes only its log.
    std::ostream* out;
    std::ostream* err;

    Environment();
};

// args are the command-line arguments without the program name. Returns the exit code.
int run(const std::vector<std::string>& args, const Environment& env = Environment());

// The text -h and --help print: what the tool does, its arguments, environment, log and exit codes.
std::string usage();

// The common application-data folder, or nothing when it cannot be determined.
std::optional<std::string> commonAppDataFolder(const Environment& env);

// The command line equivalent to the grant, as the log shows it.
std::string permissionCommand(const std::string& target, const std::string& group);

}  // namespace mklink
