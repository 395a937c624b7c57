#include "tests/support/full_disk.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace support {
namespace {

FullDisk* g_disk = nullptr;
sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;

// Our file wraps the real layer's file, which follows it in the same allocation.
struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
ShimFile* shim(sqlite3_file* f) { return reinterpret_cast<ShimFile*>(f); }
sqlite3_file* realOf(sqlite3_file* f) { return shim(f)->real(); }

bool diskFull() { return g_disk != nullptr && g_disk->full(); }

int xClose(sqlite3_file* f) { return realOf(f)->pMethods ? realOf(f)->pMethods->xClose(realOf(f)) : SQLITE_OK; }
int xRead(sqlite3_file* f, void* p, int n, sqlite3_int64 o) { return realOf(f)->pMethods->xRead(realOf(f), p, n, o); }
int xWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 o) {
    if (diskFull()) {
        errno = ENOSPC;
        return SQLITE_FULL;
    }
    return realOf(f)->pMethods->xWrite(realOf(f), p, n, o);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) { return realOf(f)->pMethods->xTruncate(realOf(f), size); }
int xSync(sqlite3_file* f, int flags) { return realOf(f)->pMethods->xSync(realOf(f), flags); }
int xFileSize(sqlite3_file* f, sqlite3_int64* size) { return realOf(f)->pMethods->xFileSize(realOf(f), size); }
int xLock(sqlite3_file* f, int l) { return realOf(f)->pMethods->xLock(realOf(f), l); }
int xUnlock(sqlite3_file* f, int l) { return realOf(f)->pMethods->xUnlock(realOf(f), l); }
int xCheckReservedLock(sqlite3_file* f, int* out) { return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out); }
int xFileControl(sqlite3_file* f, int op, void* arg) { return realOf(f)->pMethods->xFileControl(realOf(f), op, arg); }
int xSectorSize(sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); }
int xDeviceCharacteristics(sqlite3_file* f) { return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f)); }
int xShmMap(sqlite3_file* f, int r, int size, int extend, void volatile** p) {
    return realOf(f)->pMethods->xShmMap(realOf(f), r, size, extend, p);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags) { return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags); }
void xShmBarrier(sqlite3_file* f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); }
int xShmUnmap(sqlite3_file* f, int del) { return realOf(f)->pMethods->xShmUnmap(realOf(f), del); }

// Version 2 of the file methods: no memory mapping, so every page goes through xWrite.
const sqlite3_io_methods kMethods = {2,        xClose,      xRead,        xWrite,    xTruncate,
                                     xSync,    xFileSize,   xLock,        xUnlock,   xCheckReservedLock,
                                     xFileControl, xSectorSize, xDeviceCharacteristics, xShmMap, xShmLock,
                                     xShmBarrier, xShmUnmap, nullptr, nullptr};

int xOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    ShimFile* s = shim(f);
    s->base.pMethods = nullptr;
    const int rc = g_real->xOpen(g_real, name, s->real(), flags, outFlags);
    if (s->real()->pMethods) s->base.pMethods = &kMethods;
    return rc;
}

}  // namespace

FullDisk::FullDisk() {
    if (g_disk) throw std::logic_error("one FullDisk at a time");
    real_ = g_real = sqlite3_vfs_find(nullptr);
    g_vfs = *g_real;
    g_vfs.iVersion = 2;  // no system-call overrides: they would reach past the shim
    g_vfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + g_real->szOsFile;
    g_vfs.zName = "ptp_full_disk";
    g_vfs.pAppData = nullptr;
    g_vfs.xOpen = xOpen;
    // The remaining entries (delete, access, full path, randomness, time) are the real layer's
    // and are called with it.
    g_vfs.xDelete = [](sqlite3_vfs*, const char* name, int sync) { return g_real->xDelete(g_real, name, sync); };
    g_vfs.xAccess = [](sqlite3_vfs*, const char* name, int flags, int* out) {
        return g_real->xAccess(g_real, name, flags, out);
    };
    g_vfs.xFullPathname = [](sqlite3_vfs*, const char* name, int n, char* out) {
        return g_real->xFullPathname(g_real, name, n, out);
    };
    g_vfs.xDlOpen = [](sqlite3_vfs*, const char* name) { return g_real->xDlOpen(g_real, name); };
    g_vfs.xDlError = [](sqlite3_vfs*, int n, char* out) { g_real->xDlError(g_real, n, out); };
    g_vfs.xDlSym = [](sqlite3_vfs*, void* h, const char* sym) { return g_real->xDlSym(g_real, h, sym); };
    g_vfs.xDlClose = [](sqlite3_vfs*, void* h) { g_real->xDlClose(g_real, h); };
    g_vfs.xRandomness = [](sqlite3_vfs*, int n, char* out) { return g_real->xRandomness(g_real, n, out); };
    g_vfs.xSleep = [](sqlite3_vfs*, int us) { return g_real->xSleep(g_real, us); };
    g_vfs.xCurrentTime = [](sqlite3_vfs*, double* t) { return g_real->xCurrentTime(g_real, t); };
    g_vfs.xGetLastError = [](sqlite3_vfs*, int n, char* out) { return g_real->xGetLastError(g_real, n, out); };
    g_vfs.xCurrentTimeInt64 = [](sqlite3_vfs*, sqlite3_int64* t) { return g_real->xCurrentTimeInt64(g_real, t); };
    g_disk = this;
    sqlite3_vfs_register(&g_vfs, 1);
}

FullDisk::~FullDisk() {
    sqlite3_vfs_unregister(&g_vfs);
    sqlite3_vfs_register(real_, 1);
    g_disk = nullptr;
}

}  // namespace support
