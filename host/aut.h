#pragma once
// The host object interface: objects, object sets and attributes of the current project
// (host::currentProject()). Results follow the host: a null handle for a missing object,
// a byte count below 1 for a failed binary read, a negative result for a failed write.
#include <cstdint>
#include <string>
#include <vector>

#include "host/messages.h"
#include "host/project.h"

using HAUTOBJ = host::ObjectHandle;  // 0 = none
using HAUTSET = int64_t;             // 0 = none

struct AutObjectArray {
    std::vector<HAUTOBJ> objects;
};

// Attribute numbers the program uses.
enum AutAttribute : long {
    kAttrParameterBlock = 110706,
    kAttrModuleAddress = 111033,
    kAttrSubnet = 110816,
    kAttrLinkKind = 110660,
    kAttrConnection = 121,
};

// Object type of the page-layout object.
constexpr long kPageLayoutObjectType = 1150992;

int AUTRegisterApp();
int AUTUnregisterApp();

HAUTSET AUTOpenObjectSet(int mode);
HAUTOBJ AUTEnterObjectSet(HAUTOBJ object);
void AUTSetCurrentObjectSet(HAUTSET set);
void AUTCloseObjectSet(HAUTSET set);
int AUTSaveObjectSet(int mode);
void AUTFlushDelayedError(int, int);

HAUTOBJ AUTGetObject(long objType, long objId, long unitType, long unitId, long envType, long envId);
long AUTGetObjectType(HAUTOBJ o);
long AUTGetObjectID(HAUTOBJ o);
long AUTGetUnitType(HAUTOBJ o);
long AUTGetUnitID(HAUTOBJ o);
long AUTGetEnvType(HAUTOBJ o);
long AUTGetEnvID(HAUTOBJ o);
// 0 on success, negative when the object is missing.
int AUTGetName(HAUTOBJ o, std::string& name);
HAUTOBJ AUTGetEnvObject(HAUTOBJ o);
HAUTOBJ AUTHwGethHwStation(HAUTOBJ o);

AutObjectArray* AUTObjectArrayCreate();
long AUTObjectArraySize(const AutObjectArray* a);
HAUTOBJ AUTObjectArrayGetAt(const AutObjectArray* a, long i);
void AUTObjectArrayDelete(AutObjectArray* a);
// Number of linked objects put into the array; negative on failure. Relation 0 means all.
int AUTGetLinkedObjects(HAUTOBJ o, int, int relation, AutObjectArray* array);

long AUTGetLongBinaryAttribute(HAUTOBJ o, long attr, uint8_t* buffer, long capacity);
long AUTSetLongBinaryAttribute(HAUTOBJ o, long attr, const uint8_t* buffer, long length);
// 0 on success, negative on failure.
int AUTGetLongAttribute(HAUTOBJ o, long attr, long& value);
int AUTSetLongAttribute(HAUTOBJ o, long attr, long value);
int AUTGetByteAttribute(HAUTOBJ o, long attr, uint8_t& value);
int AUTGetStringAttribute(HAUTOBJ o, long attr, std::string& value);
int AUTSetStringAttribute(HAUTOBJ o, long attr, const std::string& value);
