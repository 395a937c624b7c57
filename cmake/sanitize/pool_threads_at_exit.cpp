// Linked into every program of the sanitizer build only.
//
// Qt's raster painter fills large areas in the threads of Qt's global thread pool. When the
// application object goes, Qt stops those threads and waits for them, but each thread still
// releases its thread data for a moment after Qt stopped waiting. The leak check at the very end
// of the process, if it runs in that moment, finds the data through no thread any more and
// reports it as lost, now and then, in any program that painted. This object's destructor runs
// after everything else the program ends with and before the leak check: it waits until no pool
// thread is left, so the check sees a settled process. It waits at most two seconds.
#include <dirent.h>
#include <time.h>

#include <cstdio>
#include <cstring>

namespace {

// Qt names the threads of a thread pool so (the name the system keeps, cut to 15 characters).
constexpr const char kPoolThreadName[] = "Thread (pooled)";

bool AnyPoolThread() {
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return false;
    bool found = false;
    while (const dirent* task = readdir(tasks)) {
        if (task->d_name[0] == '.') continue;
        char path[64];
        std::snprintf(path, sizeof path, "/proc/self/task/%s/comm", task->d_name);
        std::FILE* comm = std::fopen(path, "r");
        if (!comm) continue;  // the thread has just ended
        char name[32] = {};
        const bool read = std::fgets(name, sizeof name, comm) != nullptr;
        std::fclose(comm);
        if (read && std::strncmp(name, kPoolThreadName, sizeof kPoolThreadName - 1) == 0) {
            found = true;
            break;
        }
    }
    closedir(tasks);
    return found;
}

struct WaitForPoolThreadsAtExit {
    ~WaitForPoolThreadsAtExit() {
        const timespec millisecond{0, 1000000};
        for (int i = 0; i < 2000 && AnyPoolThread(); ++i) nanosleep(&millisecond, nullptr);
    }
} waitAtExit;

}  // namespace
