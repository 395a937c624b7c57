#pragma once
// The host registry held in memory.
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "host/registry.h"

namespace support {

// (hive, key, value) -> text; starts empty, every write succeeds.
struct MemoryRegistry : host::Registry {
    std::map<std::tuple<host::Hive, std::string, std::string>, std::string> values;
    std::optional<std::string> read(host::Hive h, const std::string& k, const std::string& v) override {
        auto it = values.find({h, k, v});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool write(host::Hive h, const std::string& k, const std::string& v, const std::string& d) override {
        values[{h, k, v}] = d;
        return true;
    }
};

}  // namespace support
