// The German language library vemtro_A.so: the program's string table, loaded at start.
#include "resources/strings.h"

extern "C" __attribute__((visibility("default"))) const res::StringEntry* vemtro_string_table(size_t* count) {
    const auto& table = res::all();
    *count = table.size();
    return table.data();
}
