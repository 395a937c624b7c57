#include "tools/rackplan/rackplan.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "app/startup_string.h"
#include "document/records.h"
#include "host/aut.h"
#include "host/project.h"
#include "host/registry.h"

namespace rackplan {
namespace {

namespace fs = std::filesystem;
using host::ObjectHandle;
using host::Project;

const char* kUsage =
    "Aufruf: rackplan BEFEHL PROJEKT ...\n"
    "  new PROJEKT [--name NAME]                 neues Projekt (Name der Umgebung: NAME, sonst der Dateiname)\n"
    "  add-station PROJEKT STATION               Station anlegen\n"
    "  add-module PROJEKT STATION --model CP731 --order \"9QX4 731-1L\" [--interface 81] [--interface-no 0]\n"
    "             [--name \"CP 731\"] --rack 0 --slot 5 [--address 2] [--online 0] [--io-address N]\n"
    "             [--extended] [--file NAME]     Baugruppe in der Station anlegen\n"
    "  list PROJEKT                              Stationen und Baugruppen auflisten\n"
    "  startup-string PROJEKT BAUGRUPPE          Start-Parameterzeichenkette (18 Angaben) ausgeben\n"
    "  open PROJEKT BAUGRUPPE                    vemtro_x für die Baugruppe starten\n"
    "  install ORDNER [--language A] [--release 5.0.0.0] [--host-version 5.1]\n"
    "                                            Registrierung der Host-Suite schreiben (QORB4_REGISTRY):\n"
    "                                            Programmordner, Sprache, Versionen\n"
    "BAUGRUPPE ist der Objektname (wie list ihn zeigt) oder die Objektnummer.\n";

struct Failure {
    std::string text;
};

std::unique_ptr<Project> openProject(const std::string& path) {
    std::string error;
    auto p = Project::open(path, false, &error);
    if (!p) throw Failure{error};
    return p;
}

// Options "--key value" (and flags "--key") after the positional arguments.
struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    bool has(const std::string& k) const { return values.count(k) != 0; }
    std::string get(const std::string& k, const std::string& fallback) const {
        auto it = values.find(k);
        return it == values.end() ? fallback : it->second;
    }
};

Options parseOptions(const std::vector<std::string>& args, std::initializer_list<const char*> flags) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            o.positional.push_back(a);
            continue;
        }
        std::string key = a.substr(2);
        if (auto eq = key.find('='); eq != std::string::npos) {
            o.values[key.substr(0, eq)] = key.substr(eq + 1);
            continue;
        }
        bool flag = false;
        for (const char* f : flags) flag = flag || key == f;
        if (flag) {
            o.values[key] = "1";
        } else {
            if (i + 1 >= args.size()) throw Failure{"Wert fehlt für --" + key};
            o.values[key] = args[++i];
        }
    }
    return o;
}

long number(const std::string& what, const std::string& text) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0') throw Failure{what + ": \"" + text + "\" ist keine Zahl"};
    return v;
}

// Commas separate the tokens of the start-up string, so no text may hold one.
std::string token(const std::string& what, const std::string& text) {
    if (text.find(',') != std::string::npos) throw Failure{what + " darf kein Komma enthalten: \"" + text + "\""};
    return text;
}

ObjectHandle environmentOf(Project& p) {
    for (const auto& r : p.objects())
        if (r.ids.objType == kEnvironmentType) return r.handle;
    throw Failure{"Projekt " + p.path() + " hat keine Umgebung"};
}

long nextObjectId(Project& p, long type) {
    long id = 0;
    for (const auto& r : p.objects())
        if (r.ids.objType == type) id = std::max(id, r.ids.objId);
    return id + 1;
}

ObjectHandle stationByName(Project& p, const std::string& name) {
    for (const auto& r : p.objects())
        if (r.ids.objType == kStationType && r.name == name) return r.handle;
    throw Failure{"Station \"" + name + "\" nicht gefunden"};
}

ObjectHandle moduleBy(Project& p, const std::string& key) {
    for (const auto& r : p.objects()) {
        bool module = r.ids.objType == kModuleType || r.ids.objType == kExtendedModuleType;
        if (module && (r.name == key || std::to_string(r.handle) == key)) return r.handle;
    }
    throw Failure{"Baugruppe \"" + key + "\" nicht gefunden"};
}

int cmdNew(const Options& o, std::string& out) {
    if (o.positional.size() != 1) throw Failure{"new: PROJEKT erwartet"};
    const std::string path = o.positional[0];
    if (fs::exists(path)) throw Failure{"Projekt " + path + " existiert bereits"};
    std::string error;
    auto p = Project::open(path, true, &error);
    if (!p) throw Failure{error};
    const std::string name = o.get("name", fs::path(path).stem().string());
    ObjectHandle env = p->create({kEnvironmentType, 1, 0, 0, 0, 0}, name, 0, 0);
    // The page layout the printout head reads its texts from.
    ObjectHandle layout = p->create({kPageLayoutObjectType, 1, 0, 0, 0, 0}, "Seitenlayout", env, 0);
    if (!env || !layout) throw Failure{p->lastError()};
    out += "Projekt " + path + " mit Umgebung " + name + " angelegt\n";
    return 0;
}

int cmdAddStation(const Options& o, std::string& out) {
    if (o.positional.size() != 2) throw Failure{"add-station: PROJEKT STATION erwartet"};
    auto p = openProject(o.positional[0]);
    const std::string name = token("Stationsname", o.positional[1]);
    ObjectHandle env = environmentOf(*p);
    for (const auto& r : p->objects())
        if (r.ids.objType == kStationType && r.name == name) throw Failure{"Station \"" + name + "\" existiert bereits"};
    ObjectHandle st = p->create({kStationType, nextObjectId(*p, kStationType), 0, 0, kEnvironmentType, 1}, name, env, 0);
    if (!st) throw Failure{p->lastError()};
    out += "Station " + name + " angelegt (Objekt " + std::to_string(st) + ")\n";
    return 0;
}

int cmdAddModule(const Options& o, std::string& out) {
    if (o.positional.size() != 2) throw Failure{"add-module: PROJEKT STATION erwartet"};
    auto p = openProject(o.positional[0]);
    ObjectHandle station = stationByName(*p, o.positional[1]);
    auto st = p->row(station);

    const std::string model = token("Modell", o.get("model", ""));
    int type = 0, protocol = 0;
    if (!startup::LookupModule(model, type, protocol))
        throw Failure{"--model: unbekanntes Modell \"" + model + "\" (CP730, CP731, CP830, CP8311, CP8312)"};
    if (!o.has("order")) throw Failure{"--order: Bestellnummer fehlt"};
    if (!o.has("rack") || !o.has("slot")) throw Failure{"--rack und --slot sind anzugeben"};
    const std::string order = token("Bestellnummer", o.get("order", ""));
    const long rack = number("--rack", o.get("rack", "0"));
    const long slot = number("--slot", o.get("slot", "0"));
    if (rack < 0 || slot < 0) throw Failure{"--rack und --slot dürfen nicht negativ sein"};
    const long iface = number("--interface", o.get("interface", "0"));
    const long ifaceNo = number("--interface-no", o.get("interface-no", "0"));
    const long address = number("--address", o.get("address", "2"));
    const long online = number("--online", o.get("online", "0"));
    const long io = number("--io-address", o.get("io-address", std::to_string(256 + 16 * slot)));
    const std::string shortName = token("--name", o.get("name", "CP " + model.substr(2, 3)));
    const std::string file = token("--file", o.get("file", isCP831(type) ? "" : "0"));

    const long objType = o.has("extended") ? kExtendedModuleType : kModuleType;
    const long objId = nextObjectId(*p, objType);
    const std::string name = shortName + " (R" + std::to_string(rack) + "/S" + std::to_string(slot) + ")";
    ObjectHandle m = p->create({objType, objId, kUnitRackType, st->ids.objId, kEnvironmentType, 1}, name, st->env, station);
    if (!m) throw Failure{p->lastError()};
    p->link(station, 1, m);

    // Address record: flag byte (bit 0 input, bit 1 output), input and output address.
    uint8_t rec[9] = {3};
    for (int i = 0; i < 4; ++i) {
        rec[1 + i] = static_cast<uint8_t>((io >> (8 * i)) & 0xFF);
        rec[5 + i] = static_cast<uint8_t>((io >> (8 * i)) & 0xFF);
    }
    bool ok = p->setBinary(m, kAttrModuleAddress, rec, sizeof rec) && p->setByte(m, kAttrSubnet, 1);
    // What the launcher needs to build the start-up string again.
    ok = ok && p->setString(m, 1, model) && p->setString(m, 2, order) && p->setLong(m, 3, iface) &&
         p->setLong(m, 4, ifaceNo) && p->setString(m, 5, shortName) && p->setLong(m, 6, rack) &&
         p->setLong(m, 7, slot) && p->setLong(m, 8, address) && p->setLong(m, 9, online);
    if (!file.empty()) ok = ok && p->setString(m, 10, file);
    if (!ok) throw Failure{p->lastError()};
    out += "Baugruppe \"" + name + "\" angelegt (Objekt " + std::to_string(m) + ")\n";
    return 0;
}

int cmdList(const Options& o, std::string& out) {
    if (o.positional.size() != 1) throw Failure{"list: PROJEKT erwartet"};
    auto p = openProject(o.positional[0]);
    for (const auto& r : p->objects()) {
        const char* kind = r.ids.objType == kEnvironmentType ? "Umgebung"
                           : r.ids.objType == kStationType   ? "Station"
                           : r.ids.objType == kModuleType || r.ids.objType == kExtendedModuleType ? "Baugruppe"
                                                                                                   : "Objekt";
        out += std::to_string(r.handle) + "\t" + kind + "\t" + r.name + "\t" + std::to_string(r.ids.objType) + "," +
               std::to_string(r.ids.objId) + "," + std::to_string(r.ids.unitType) + "," + std::to_string(r.ids.unitId) +
               "," + std::to_string(r.ids.envType) + "," + std::to_string(r.ids.envId) + "\n";
    }
    return 0;
}

std::string startupString(Project& p, ObjectHandle m) {
    auto r = p.row(m);
    auto st = p.row(r->station);
    auto s = [&](long attr) { return p.getString(m, attr).value_or(""); };
    auto n = [&](long attr) { return std::to_string(p.getLong(m, attr).value_or(0)); };
    std::string file = s(10);
    if (file.empty()) {
        // A CP 831 keeps its blocks in a data transfer file next to the project.
        fs::path dir = fs::absolute(p.path()).parent_path();
        file = (dir / (st->name + "_R" + n(6) + "S" + n(7) + ".sdb")).string();
    }
    const std::vector<std::string> tokens = {
        file, s(1), n(3), n(4), s(5), s(2), st ? st->name : "", n(6), n(7), n(9), "0", n(8),
        std::to_string(r->ids.objType), std::to_string(r->ids.objId), std::to_string(r->ids.unitType),
        std::to_string(r->ids.unitId), std::to_string(r->ids.envType), std::to_string(r->ids.envId)};
    std::string out;
    for (size_t i = 0; i < tokens.size(); ++i) out += (i ? "," : "") + tokens[i];
    return out;
}

int cmdStartupString(const Options& o, std::string& out) {
    if (o.positional.size() != 2) throw Failure{"startup-string: PROJEKT BAUGRUPPE erwartet"};
    auto p = openProject(o.positional[0]);
    out += startupString(*p, moduleBy(*p, o.positional[1])) + "\n";
    return 0;
}

int cmdOpen(const Options& o, std::string& err, const std::string& self) {
    if (o.positional.size() != 2) throw Failure{"open: PROJEKT BAUGRUPPE erwartet"};
    const std::string projectPath = fs::absolute(o.positional[0]).string();
    std::string line;
    {
        auto p = openProject(projectPath);
        line = startupString(*p, moduleBy(*p, o.positional[1]));
    }
    fs::path program = fs::path(self).parent_path() / "vemtro_x";
    if (self.empty() || !fs::exists(program)) program = "vemtro_x";
    setenv("QORB4_PROJECT", projectPath.c_str(), 1);
    execlp(program.c_str(), "vemtro_x", line.c_str(), static_cast<char*>(nullptr));
    err += "vemtro_x kann nicht gestartet werden (" + program.string() + ")\n";
    return 1;
}

int cmdInstall(const Options& o, std::string& out) {
    if (o.positional.size() != 1) throw Failure{"install: ORDNER erwartet"};
    const fs::path folder = fs::absolute(o.positional[0]);
    if (!fs::is_directory(folder)) throw Failure{"Ordner " + folder.string() + " existiert nicht"};
    const std::string language = o.get("language", "A");
    if (language.size() != 1 || language[0] < 'A' || language[0] > 'E') throw Failure{"--language: A bis E"};
    host::IniRegistry registry(folder.string());
    using host::Hive;
    const std::string general = "Software\\Quenral\\QORB4\\2.0\\General\\";
    const std::string program = "Software\\Quenral\\QORB4\\2.0\\Applications\\vemtro";
    const bool ok = registry.write(Hive::LocalMachine, general + "Languages", "Current", "Deutsch") &&
                    registry.write(Hive::LocalMachine, general + "LangExtensions", "Deutsch", language) &&
                    registry.write(Hive::LocalMachine, general + "Paths", "QORB4_Dir", folder.string()) &&
                    registry.write(Hive::LocalMachine, program, "SubPath", "/") &&
                    registry.write(Hive::LocalMachine, program, "ReleaseVersion", o.get("release", "5.0.0.0")) &&
                    registry.write(Hive::LocalMachine, "Software\\Quenral\\AUTSW\\CPPARL", "VersionString", "V5.0") &&
                    registry.write(Hive::LocalMachine, "Software\\Quenral\\AUTSW\\QORB4", "Version",
                                   o.get("host-version", "5.1")) &&
                    registry.write(Hive::LocalMachine, "Software\\Quenral\\AUTSW\\QORB4", "TechnVersion", "5.1.0");
    if (!ok) throw Failure{"Registrierung " + registry.file(Hive::LocalMachine) + " kann nicht geschrieben werden"};
    out += "Registrierung in " + registry.file(Hive::LocalMachine) + " geschrieben\n";
    return 0;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::string& out, std::string& err, const std::string& self) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? err : out) += kUsage;
        return args.empty() ? 1 : 0;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        const Options o = parseOptions(rest, {"extended"});
        const std::string& c = args[0];
        if (c == "new") return cmdNew(o, out);
        if (c == "add-station") return cmdAddStation(o, out);
        if (c == "add-module") return cmdAddModule(o, out);
        if (c == "list") return cmdList(o, out);
        if (c == "startup-string") return cmdStartupString(o, out);
        if (c == "open") return cmdOpen(o, err, self);
        if (c == "install") return cmdInstall(o, out);
        err += "rackplan: unbekannter Befehl \"" + c + "\"\n" + kUsage;
        return 1;
    } catch (const Failure& f) {
        err += "rackplan: " + f.text + "\n";
        return 1;
    }
}

}  // namespace rackplan
