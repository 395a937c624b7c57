#pragma once
// The host registry held in memory.
#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

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
    bool keyExists(host::Hive h, const std::string& k) override {
        for (const auto& [at, text] : values)
            if (std::get<0>(at) == h && (std::get<1>(at) == k || below(std::get<1>(at), k))) return true;
        return false;
    }
    // Sub-keys by name, ignoring case, as the registry enumerates them.
    std::vector<std::string> subKeys(host::Hive h, const std::string& k) override {
        std::vector<std::string> out;
        for (const auto& [at, text] : values) {
            const std::string& key = std::get<1>(at);
            if (std::get<0>(at) != h || !below(key, k)) continue;
            const size_t start = k.empty() ? 0 : k.size() + 1;
            std::string name = key.substr(start, key.find('\\', start) - start);
            if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
        }
        std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
            });
        });
        return out;
    }

private:
    // `key` lies below `parent`.
    static bool below(const std::string& key, const std::string& parent) {
        if (parent.empty()) return !key.empty();
        return key.size() > parent.size() + 1 && key.compare(0, parent.size(), parent) == 0 && key[parent.size()] == '\\';
    }
};

}  // namespace support
