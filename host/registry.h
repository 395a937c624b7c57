#pragma once
// The registry of the host suite: machine values (HKLM) and user values (HKCU), with the
// key paths the host uses ("Software\Quenral\...").
#include <optional>
#include <string>
#include <vector>

namespace host {

enum class Hive { LocalMachine, CurrentUser };

class Registry {
public:
    virtual ~Registry() = default;
    // The text of a value, at most 255 characters (the programs read into 256 bytes);
    // nullopt when the key or the value does not exist.
    virtual std::optional<std::string> read(Hive hive, const std::string& key, const std::string& value) = 0;
    virtual bool write(Hive hive, const std::string& key, const std::string& value, const std::string& data) = 0;
    // The key opens: it holds a value or a sub-key.
    virtual bool keyExists(Hive, const std::string&) { return false; }
    // The names of the key's sub-keys in enumeration order (by name, ignoring case); empty
    // when the key does not exist.
    virtual std::vector<std::string> subKeys(Hive, const std::string&) { return {}; }
};

// Two INI files, read and written through QSettings: "hklm.ini" and "hkcu.ini" in the
// folder named by QORB4_REGISTRY; without it the machine file lies in `installFolder` and
// the user file in the user's configuration folder.
class IniRegistry : public Registry {
public:
    explicit IniRegistry(const std::string& installFolder = ".");
    std::optional<std::string> read(Hive hive, const std::string& key, const std::string& value) override;
    bool write(Hive hive, const std::string& key, const std::string& value, const std::string& data) override;
    bool keyExists(Hive hive, const std::string& key) override;
    std::vector<std::string> subKeys(Hive hive, const std::string& key) override;
    const std::string& file(Hive hive) const { return hive == Hive::LocalMachine ? machine_ : user_; }

private:
    std::string machine_, user_;
};

}  // namespace host
