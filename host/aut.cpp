#include "host/aut.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

using host::currentProject;

bool g_errorPending = false;
std::string g_pendingError;

void noteError() {
    g_errorPending = true;
    if (host::Project* p = currentProject()) g_pendingError = p->lastError();
}

std::optional<host::ObjectRow> rowOf(HAUTOBJ o) {
    host::Project* p = currentProject();
    if (!p || o == 0) return std::nullopt;
    return p->row(o);
}

}  // namespace

int AUTRegisterApp() { return 0; }
int AUTUnregisterApp() { return 0; }

HAUTSET AUTOpenObjectSet(int mode) { return currentProject() ? mode : 0; }
HAUTOBJ AUTEnterObjectSet(HAUTOBJ object) { return rowOf(object) ? object : 0; }
void AUTSetCurrentObjectSet(HAUTSET) {}
void AUTCloseObjectSet(HAUTSET) {}

int AUTSaveObjectSet(int) {
    host::Project* p = currentProject();
    if (!p) return 1;
    if (!p->save()) {
        noteError();
        return 1;
    }
    return g_errorPending ? 1 : 0;
}

void AUTFlushDelayedError(int, int) {
    if (!g_errorPending) return;
    g_errorPending = false;
    host::plainMessage("Projekt", "Fehler beim Schreiben in das Projekt: " +
                                      (g_pendingError.empty() ? std::string("unbekannt") : g_pendingError));
    g_pendingError.clear();
}

HAUTOBJ AUTGetObject(long objType, long objId, long unitType, long unitId, long envType, long envId) {
    host::Project* p = currentProject();
    return p ? p->find({objType, objId, unitType, unitId, envType, envId}) : 0;
}

long AUTGetObjectType(HAUTOBJ o) { auto r = rowOf(o); return r ? r->ids.objType : 0; }
long AUTGetObjectID(HAUTOBJ o) { auto r = rowOf(o); return r ? r->ids.objId : 0; }
long AUTGetUnitType(HAUTOBJ o) { auto r = rowOf(o); return r ? r->ids.unitType : 0; }
long AUTGetUnitID(HAUTOBJ o) { auto r = rowOf(o); return r ? r->ids.unitId : 0; }
long AUTGetEnvType(HAUTOBJ o) { auto r = rowOf(o); return r ? r->ids.envType : 0; }
long AUTGetEnvID(HAUTOBJ o) { auto r = rowOf(o); return r ? r->ids.envId : 0; }

int AUTGetName(HAUTOBJ o, std::string& name) {
    auto r = rowOf(o);
    if (!r) return -1;
    name = r->name;
    return 0;
}

HAUTOBJ AUTGetEnvObject(HAUTOBJ o) { auto r = rowOf(o); return r ? r->env : 0; }
HAUTOBJ AUTHwGethHwStation(HAUTOBJ o) { auto r = rowOf(o); return r ? r->station : 0; }

AutObjectArray* AUTObjectArrayCreate() { return new AutObjectArray; }
long AUTObjectArraySize(const AutObjectArray* a) { return a ? static_cast<long>(a->objects.size()) : 0; }
HAUTOBJ AUTObjectArrayGetAt(const AutObjectArray* a, long i) {
    return a && i >= 0 && i < static_cast<long>(a->objects.size()) ? a->objects[i] : 0;
}
void AUTObjectArrayDelete(AutObjectArray* a) { delete a; }

int AUTGetLinkedObjects(HAUTOBJ o, int, int relation, AutObjectArray* array) {
    host::Project* p = currentProject();
    if (!p || !array) return -1;
    auto list = p->linked(o, relation);
    if (!list) return -1;
    array->objects = *list;
    return static_cast<int>(list->size());
}

long AUTGetLongBinaryAttribute(HAUTOBJ o, long attr, uint8_t* buffer, long capacity) {
    host::Project* p = currentProject();
    if (!p || !buffer || capacity <= 0) return -1;
    auto data = p->binary(o, attr, static_cast<size_t>(capacity));
    if (!data) return -1;
    long n = std::min<long>(capacity, static_cast<long>(data->size()));
    if (n > 0) std::memcpy(buffer, data->data(), static_cast<size_t>(n));
    return n;
}

long AUTSetLongBinaryAttribute(HAUTOBJ o, long attr, const uint8_t* buffer, long length) {
    host::Project* p = currentProject();
    if (!p || length < 0 || (length > 0 && !buffer)) return -1;
    if (!p->setBinary(o, attr, buffer, static_cast<size_t>(length))) {
        noteError();
        return -1;
    }
    return length;
}

int AUTGetLongAttribute(HAUTOBJ o, long attr, long& value) {
    host::Project* p = currentProject();
    auto v = p ? p->getLong(o, attr) : std::nullopt;
    if (!v) return -1;
    value = *v;
    return 0;
}

int AUTSetLongAttribute(HAUTOBJ o, long attr, long value) {
    host::Project* p = currentProject();
    if (!p || !p->setLong(o, attr, value)) return -1;
    return 0;
}

int AUTGetByteAttribute(HAUTOBJ o, long attr, uint8_t& value) {
    host::Project* p = currentProject();
    auto v = p ? p->getByte(o, attr) : std::nullopt;
    if (!v) return -1;
    value = *v;
    return 0;
}

int AUTGetStringAttribute(HAUTOBJ o, long attr, std::string& value) {
    host::Project* p = currentProject();
    auto v = p ? p->getString(o, attr) : std::nullopt;
    if (!v) return -1;
    value = *v;
    return 0;
}

int AUTSetStringAttribute(HAUTOBJ o, long attr, const std::string& value) {
    host::Project* p = currentProject();
    if (!p || !p->setString(o, attr, value)) return -1;
    return 0;
}
