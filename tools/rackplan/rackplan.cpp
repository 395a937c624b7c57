#include "tools/rackplan/rackplan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string_view>
#include <system_error>

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

// The commands with their arguments and options; a usage error prints this.
const char* kUsage =
    "Aufruf: rackplan BEFEHL ARGUMENTE [OPTIONEN]\n"
    "  new PROJEKT [--name NAME]\n"
    "      neue Projektdatei mit der Umgebung NAME (ohne --name: der Dateiname ohne Endung)\n"
    "  add-station PROJEKT STATION\n"
    "      Station in der Umgebung des Projekts anlegen\n"
    "  add-module PROJEKT STATION --model MODELL --order BESTELLNUMMER --rack R --slot S [OPTIONEN]\n"
    "      Baugruppe in der Station anlegen; ihr Objektname ist \"NAME (RR/SS)\", etwa \"CP 731 (R0/S5)\".\n"
    "      Ein belegter Steckplatz (gleicher Baugruppenträger und Steckplatz der Station) wird abgelehnt.\n"
    "      --model MODELL       CP730, CP731, CP830, CP8311 oder CP8312 (siehe Modelle)\n"
    "      --order NUMMER       Bestellnummer, etwa \"9QX4 731-1L\"; sie legt die angebotenen Protokolle fest\n"
    "      --rack R --slot S    Baugruppenträger (0 bis 7) und Steckplatz (0 bis 31)\n"
    "      --interface CODE     Schnittstellenkennung (siehe Schnittstellen; 0 bis 255, Vorgabe 0)\n"
    "      --interface-no N     Nummer der Schnittstelle (0 bis 255, Vorgabe 0; zeigt nur der CP 831-2)\n"
    "      --name NAME          Kurzname (Vorgabe \"CP \" und die ersten drei Ziffern des Modells, etwa \"CP 731\")\n"
    "      --address N          Stationsadresse für den Online-Betrieb (0 bis 255, Vorgabe 2)\n"
    "      --online 0|1         1: das Programm startet online, die Parameter sind nur anzusehen (Vorgabe 0)\n"
    "      --io-address N       E/A-Adresse der Baugruppe (0 bis 65535, Vorgabe 256 + 16 mal Steckplatz)\n"
    "      Zahlen sind dezimal, mit 0x davor hexadezimal; eine führende 0 macht sie nicht oktal.\n"
    "      --extended           Baugruppe mit erweiterten Funktionen (Objekttyp 1322005 statt 1322001)\n"
    "      --file NAME          erste Angabe der Start-Parameterzeichenkette: \"0\" heißt Parameter im Projekt\n"
    "                           (Vorgabe für CP 730, CP 731, CP 830), sonst der Name der Datenübergabedatei\n"
    "                           (Vorgabe für CP 831: STATION_RrSs.sdb im Ordner des Projekts)\n"
    "  list PROJEKT\n"
    "      alle Objekte: Objektnummer, Art, Name und die sechs Kennungen\n"
    "  startup-string PROJEKT BAUGRUPPE [--station STATION]\n"
    "      Start-Parameterzeichenkette der Baugruppe ausgeben (18 Angaben, durch Kommas getrennt)\n"
    "  open PROJEKT BAUGRUPPE [--station STATION]\n"
    "      vemtro_x für die Baugruppe starten, mit dieser Zeichenkette und QORB4_PROJECT=PROJEKT;\n"
    "      braucht einen Bildschirm: eine Desktop-Sitzung (DISPLAY oder WAYLAND_DISPLAY), ohne sie\n"
    "      \"xvfb-run -a rackplan open ...\"; ohne Fenster zeigt \"ptpcfg show\" dieselbe Baugruppe\n"
    "  install ORDNER [--language A] [--release 5.0.0.0] [--host-version 5.1]\n"
    "      Registrierung der Host-Suite schreiben (Ordner aus QORB4_REGISTRY): Programmordner ORDNER,\n"
    "      Sprachkennung A bis E, Versionen\n"
    "  help, --help, -h      diese Hilfe\n"
    "  --version             Programmname und Version\n"
    "BAUGRUPPE ist der Objektname, wie list ihn zeigt, oder die Objektnummer. Tragen Baugruppen in\n"
    "mehreren Stationen denselben Namen, wählt --station STATION oder die Objektnummer eine aus.\n";

// What the models and interface codes mean, and an example; --help prints it after the usage.
const char* kDetails =
    "\n"
    "Modelle (--model, Groß- und Kleinschreibung gleich):\n"
    "  CP730    CP 730; Schnittstelle aus der Bestellnummer (730-1K.. RS 232, 730-1L.. TTY, 730-1N.. RS 422/485),\n"
    "           Parameter im Projekt; etwa --order \"9QX4 730-1KM02\"\n"
    "  CP731    CP 731; Schnittstelle aus der Bestellnummer (731-1K.., 731-1L.., 731-1N.. wie beim CP 730),\n"
    "           auch ladbare Treiber, Parameter im Projekt; etwa --order \"9QX4 731-1LE02\"\n"
    "  CP830    CP 830; immer RS 422/485, Parameter im Projekt; erstes Protokoll ASCII\n"
    "  CP8311   CP 831-1; Schnittstelle aus --interface, Parameter in einer Datenübergabedatei;\n"
    "           etwa --order \"9QX4 831-1KK02\"\n"
    "  CP8312   CP 831-2; Schnittstelle aus --interface, auch ladbare Treiber, Parameter in einer\n"
    "           Datenübergabedatei; etwa --order \"9QX4 831-2KK02\"\n"
    "\n"
    "Schnittstellen (--interface CODE):\n"
    "  81   RS 232\n"
    "  67   TTY\n"
    "  66   RS 422/485 (X27)\n"
    "  0    keine Schnittstelle (\"Kein Modul\")\n"
    "  rackplan gibt den Code unverändert als dritte Angabe der Start-Parameterzeichenkette weiter.\n"
    "  CP 831-1 und CP 831-2 nehmen ihn als ihre Schnittstelle; ein anderer Code erscheint als \"xxx\".\n"
    "  CP 730 und CP 731 nehmen die Schnittstelle aus der Bestellnummer, der CP 830 hat immer RS 422/485;\n"
    "  bei ihnen zählt der Code nicht.\n"
    "\n"
    "Beispiel:\n"
    "  rackplan new P1.qorb\n"
    "  rackplan add-station P1.qorb S1\n"
    "  rackplan add-module P1.qorb S1 --model CP731 --order \"9QX4 731-1L\" --name \"CP 731\" --rack 0 --slot 5\n"
    "  rackplan add-module P1.qorb S1 --model CP8312 --order \"9QX4 831-2KK02\" --interface 66 --rack 0 --slot 6\n"
    "  rackplan list P1.qorb\n"
    "  rackplan startup-string P1.qorb \"CP 731 (R0/S5)\"\n"
    "  rackplan open P1.qorb \"CP 731 (R0/S5)\"\n"
    "\n"
    "Exit-Codes: 0 erledigt, 1 Fehler (Meldung auf der Standardfehlerausgabe).\n";

struct Failure {
    std::string text;
    bool usage = false;  // a call that does not fit the usage: the usage follows the message
};

Failure usageError(const std::string& text) { return Failure{text, true}; }

// A missing file is told apart from one that is there but is no project.
std::unique_ptr<Project> openProject(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        if (!ec) ec = std::make_error_code(std::errc::no_such_file_or_directory);
        throw Failure{"Projekt " + path + " fehlt: " + ec.message()};
    }
    if (fs::is_directory(status)) throw Failure{"Projekt " + path + " ist ein Ordner, keine Projektdatei"};
    if (::access(path.c_str(), R_OK | W_OK) != 0)
        throw Failure{"Projekt " + path + " kann nicht geöffnet werden: " + std::strerror(errno)};
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

// `valued` and `flags` are the options the command knows; any other is a usage error.
Options parseOptions(const std::vector<std::string>& args, std::initializer_list<const char*> valued,
                     std::initializer_list<const char*> flags) {
    auto known = [](std::initializer_list<const char*> list, const std::string& key) {
        return std::ranges::any_of(list, [&](const char* k) { return key == k; });
    };
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            o.positional.push_back(a);
            continue;
        }
        std::string key = a.substr(2);
        std::optional<std::string> value;
        if (auto eq = key.find('='); eq != std::string::npos) {
            value = key.substr(eq + 1);
            key.resize(eq);
        }
        if (known(flags, key)) {
            if (value) throw usageError("--" + key + " nimmt keinen Wert");
            o.values[key] = "1";
        } else if (known(valued, key)) {
            if (!value && i + 1 >= args.size()) throw usageError("Wert fehlt für --" + key);
            o.values[key] = value ? *value : args[++i];
        } else {
            throw usageError("unbekannte Option --" + key);
        }
    }
    return o;
}

// The numbers an option takes, as far as the module and its start-up string can carry them.
struct Range {
    long min, max;
};
constexpr Range kRackRange{0, 7};          // rack and slot share one byte online: rack × 32 + slot
constexpr Range kSlotRange{0, 31};
constexpr Range kByteRange{0, 255};        // interface code and number, station address: one byte each
constexpr Range kFlagRange{0, 1};
constexpr Range kIoAddressRange{0, 65535};  // the module address is 16 bits wide

// A number as the user writes it: decimal, or hexadecimal after "0x"; a leading zero does not
// make it octal. Anything outside `range` is refused with the option and its range, never
// cut or wrapped.
long number(const std::string& what, const std::string& text, Range range) {
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    unsigned long long magnitude = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (digits.empty() || end != digits.data() + digits.size() || ec == std::errc::invalid_argument)
        throw Failure{what + ": \"" + text + "\" ist keine Zahl"};
    // Too large for any type is as far outside as too large for the option.
    const bool fits = ec == std::errc() && magnitude <= static_cast<unsigned long long>(range.max) + (negative ? 1 : 0);
    const long value = fits ? (negative ? -static_cast<long>(magnitude) : static_cast<long>(magnitude)) : 0;
    if (!fits || value < range.min || value > range.max)
        throw Failure{what + ": \"" + text + "\" liegt nicht im Bereich " + std::to_string(range.min) + " bis " +
                      std::to_string(range.max)};
    return value;
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

bool isModule(const host::ObjectRow& r) { return r.ids.objType == kModuleType || r.ids.objType == kExtendedModuleType; }

std::string stationName(Project& p, ObjectHandle station) {
    auto st = p.row(station);
    return st ? st->name : "";
}

// A module by its object name or object number, within `station` when one is named. A name
// that fits several modules is refused with the list of them, never resolved to the first.
ObjectHandle moduleBy(Project& p, const std::string& key, const std::string& station) {
    std::vector<host::ObjectRow> found;
    for (const auto& r : p.objects())
        if (isModule(r) && (r.name == key || std::to_string(r.handle) == key) &&
            (station.empty() || stationName(p, r.station) == station))
            found.push_back(r);
    const std::string where = station.empty() ? "" : " in Station \"" + station + "\"";
    if (found.empty()) throw Failure{"Baugruppe \"" + key + "\"" + where + " nicht gefunden"};
    if (found.size() > 1) {
        std::string text = "Baugruppe \"" + key + "\"" + where + " ist nicht eindeutig, so heißen " +
                           std::to_string(found.size()) + " Baugruppen:\n";
        for (const auto& r : found)
            text += "  Objekt " + std::to_string(r.handle) + "  \"" + r.name + "\"  in Station \"" +
                    stationName(p, r.station) + "\"\n";
        text += "Eine davon wählt die Objektnummer statt des Namens oder --station STATION.";
        throw Failure{text};
    }
    return found.front().handle;
}

int cmdNew(const Options& o, std::string& out) {
    if (o.positional.size() != 1) throw usageError("new: PROJEKT erwartet");
    const std::string path = o.positional[0];
    if (fs::exists(path)) throw Failure{"Projekt " + path + " existiert bereits"};
    const std::string name = o.get("name", fs::path(path).stem().string());

    // The project is made whole under a temporary name beside it and only then given its own:
    // a disk that fills up on the way leaves nothing behind that would block the next try.
    const fs::path target(path);
    std::string temp = (target.parent_path() / ("." + target.filename().string() + ".neu-XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw Failure{"Projekt " + path + " kann nicht angelegt werden: " + std::strerror(errno)};
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0644 & ~mask);  // as SQLite would have made it, not private like a temporary file
    ::close(fd);
    struct RemoveTemp {
        const std::string& file;
        ~RemoveTemp() {
            for (const char* suffix : {"", "-journal", "-wal", "-shm"}) ::unlink((file + suffix).c_str());
        }
    } removeTemp{temp};
    {
        std::string error;
        auto p = Project::open(temp, true, &error);
        if (!p) {
            // the words of the failure name the project, not the temporary file
            for (size_t at = error.find(temp); at != std::string::npos; at = error.find(temp, at + path.size()))
                error.replace(at, temp.size(), path);
            throw Failure{error};
        }
        ObjectHandle env = p->create({kEnvironmentType, 1, 0, 0, 0, 0}, name, 0, 0);
        // The page layout the printout head reads its texts from.
        ObjectHandle layout = env ? p->create({kPageLayoutObjectType, 1, 0, 0, 0, 0}, "Seitenlayout", env, 0) : 0;
        if (!env || !layout)
            throw Failure{"Projekt " + path + " kann nicht angelegt werden: " + p->lastError()};
    }
    // link() never replaces: a project another run made in the meantime stays as it is.
    if (::link(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        if (err == EEXIST) throw Failure{"Projekt " + path + " existiert bereits"};
        throw Failure{"Projekt " + path + " kann nicht angelegt werden: " + std::strerror(err)};
    }
    out += "Projekt " + path + " mit Umgebung " + name + " angelegt\n";
    return 0;
}

int cmdAddStation(const Options& o, std::string& out) {
    if (o.positional.size() != 2) throw usageError("add-station: PROJEKT STATION erwartet");
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
    if (o.positional.size() != 2) throw usageError("add-module: PROJEKT STATION erwartet");
    auto p = openProject(o.positional[0]);
    ObjectHandle station = stationByName(*p, o.positional[1]);
    auto st = p->row(station);

    const std::string model = token("Modell", o.get("model", ""));
    int type = 0, protocol = 0;
    if (!startup::LookupModule(model, type, protocol))
        throw usageError("--model: unbekanntes Modell \"" + model + "\" (CP730, CP731, CP830, CP8311, CP8312)");
    if (!o.has("order")) throw usageError("--order: Bestellnummer fehlt");
    if (!o.has("rack") || !o.has("slot")) throw usageError("--rack und --slot sind anzugeben");
    const std::string order = token("Bestellnummer", o.get("order", ""));
    const long rack = number("--rack", o.get("rack", "0"), kRackRange);
    const long slot = number("--slot", o.get("slot", "0"), kSlotRange);
    const long iface = number("--interface", o.get("interface", "0"), kByteRange);
    const long ifaceNo = number("--interface-no", o.get("interface-no", "0"), kByteRange);
    const long address = number("--address", o.get("address", "2"), kByteRange);
    const long online = number("--online", o.get("online", "0"), kFlagRange);
    const long io = number("--io-address", o.get("io-address", std::to_string(256 + 16 * slot)), kIoAddressRange);
    const std::string shortName = token("--name", o.get("name", "CP " + model.substr(2, 3)));
    const std::string file = token("--file", o.get("file", isCP831(type) ? "" : "0"));

    // One module per slot: a second one would share the slot's address and data transfer file.
    for (const auto& r : p->objects()) {
        if (!isModule(r) || r.station != station) continue;
        if (p->getLong(r.handle, 6) == rack && p->getLong(r.handle, 7) == slot)
            throw Failure{"Steckplatz R" + std::to_string(rack) + "/S" + std::to_string(slot) + " der Station \"" +
                          st->name + "\" ist belegt von Baugruppe \"" + r.name + "\" (Objekt " +
                          std::to_string(r.handle) + ", " + p->getString(r.handle, 1).value_or("?") + ")"};
    }

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
    if (o.positional.size() != 1) throw usageError("list: PROJEKT erwartet");
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
    if (!r) throw Failure{"Baugruppe (Objekt " + std::to_string(m) + ") nicht gefunden"};
    auto st = p.row(r->station);
    auto s = [&](long attr) { return p.getString(m, attr).value_or(""); };
    auto n = [&](long attr) { return std::to_string(p.getLong(m, attr).value_or(0)); };
    std::string file = s(10);
    if (file.empty()) {
        // A CP 831 keeps its blocks in a data transfer file next to the project, named after
        // its station: without the station there is no name to give.
        if (!st)
            throw Failure{"Baugruppe \"" + r->name + "\" (Objekt " + std::to_string(m) + "): ihre Station (Objekt " +
                          std::to_string(r->station) +
                          ") fehlt im Projekt, die Datenübergabedatei hat deshalb keinen Namen"};
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
    if (o.positional.size() != 2) throw usageError("startup-string: PROJEKT BAUGRUPPE erwartet");
    auto p = openProject(o.positional[0]);
    out += startupString(*p, moduleBy(*p, o.positional[1], o.get("station", ""))) + "\n";
    return 0;
}

// A word for the shell, in single quotes when it needs them.
std::string shellWord(const std::string& text) {
    const bool plain = !text.empty() && std::ranges::all_of(text, [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+=:@%", c) != nullptr;
    });
    if (plain) return text;
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int cmdOpen(const Options& o, std::string& err, const std::string& self) {
    if (o.positional.size() != 2) throw usageError("open: PROJEKT BAUGRUPPE erwartet");
    const std::string projectPath = fs::absolute(o.positional[0]).string();
    std::string line;
    {
        auto p = openProject(projectPath);
        line = startupString(*p, moduleBy(*p, o.positional[1], o.get("station", "")));
    }
    // Without a display the window program's toolkit aborts; say what would work instead.
    const std::string missing = MissingDisplay([](const char* name) { return std::getenv(name); });
    if (!missing.empty()) {
        std::string again = "rackplan open " + shellWord(o.positional[0]) + " " + shellWord(o.positional[1]);
        if (o.has("station")) again += " --station " + shellWord(o.get("station", ""));
        err += "rackplan: Das Fenster von vemtro_x braucht einen Bildschirm: " + missing + ".\n"
               "Es öffnet sich\n"
               "  - in einer Desktop-Sitzung (X11 oder Wayland) mit demselben Aufruf,\n"
               "  - ohne Desktop auf einem virtuellen Bildschirm:\n"
               "      xvfb-run -a " + again + "\n"
               "Dieselbe Baugruppe ohne Fenster zeigt ptpcfg show (Kennung und alle Parameter als name=wert):\n"
               "      QORB4_PROJECT=" + shellWord(projectPath) + " ptpcfg show " + shellWord(line) + "\n";
        return 1;
    }
    fs::path program = fs::path(self).parent_path() / "vemtro_x";
    if (self.empty() || !fs::exists(program)) program = "vemtro_x";
    setenv("QORB4_PROJECT", projectPath.c_str(), 1);
    execlp(program.c_str(), "vemtro_x", line.c_str(), static_cast<char*>(nullptr));
    err += "vemtro_x kann nicht gestartet werden (" + program.string() + ")\n";
    return 1;
}

int cmdInstall(const Options& o, std::string& out) {
    if (o.positional.size() != 1) throw usageError("install: ORDNER erwartet");
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

std::string MissingDisplay(const std::function<const char*(const char*)>& env) {
    auto set = [&](const char* name) {
        const char* v = env(name);
        return v != nullptr && *v != '\0';
    };
    const bool x11 = set("DISPLAY"), wayland = set("WAYLAND_DISPLAY");
    const std::string platforms = set("QT_QPA_PLATFORM") ? env("QT_QPA_PLATFORM") : "";
    if (platforms.empty()) {
        if (x11 || wayland) return "";
        return "weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt";
    }
    // QT_QPA_PLATFORM may name several platforms ("wayland;xcb"), each with options after ':'.
    static const char* const kWithoutDisplay[] = {"offscreen", "minimal", "minimalegl", "vnc", "linuxfb", "eglfs",
                                                  "vkkhrdisplay"};
    size_t from = 0;
    while (from <= platforms.size()) {
        size_t end = platforms.find(';', from);
        if (end == std::string::npos) end = platforms.size();
        const std::string entry = platforms.substr(from, end - from);
        const std::string name = entry.substr(0, entry.find(':'));
        if (name == "xcb" && x11) return "";
        if (name.rfind("wayland", 0) == 0 && wayland) return "";
        if (std::ranges::any_of(kWithoutDisplay, [&](const char* n) { return name == n; })) return "";
        from = end + 1;
    }
    return "QT_QPA_PLATFORM=" + platforms + " braucht einen Bildschirm, aber " +
           (x11 || wayland ? std::string(x11 ? "nur DISPLAY" : "nur WAYLAND_DISPLAY") + " ist gesetzt"
                           : "weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt");
}

int Run(const std::vector<std::string>& args, std::string& out, std::string& err, const std::string& self) {
    auto asksForHelp = [](const std::string& a) { return a == "--help" || a == "-h"; };
    if (!args.empty() && (args[0] == "help" || std::ranges::any_of(args, asksForHelp))) {
        out += std::string(kUsage) + kDetails;
        return 0;
    }
    if (!args.empty() && args[0] == "--version") {
        out += "rackplan " PTP_VERSION "\n";
        return 0;
    }
    if (args.empty()) {
        err += std::string("rackplan: BEFEHL fehlt\n") + kUsage;
        return 1;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        const std::string& c = args[0];
        if (c == "new") return cmdNew(parseOptions(rest, {"name"}, {}), out);
        if (c == "add-station") return cmdAddStation(parseOptions(rest, {}, {}), out);
        if (c == "add-module")
            return cmdAddModule(parseOptions(rest,
                                             {"model", "order", "rack", "slot", "interface", "interface-no", "name",
                                              "address", "online", "io-address", "file"},
                                             {"extended"}),
                                out);
        if (c == "list") return cmdList(parseOptions(rest, {}, {}), out);
        if (c == "startup-string") return cmdStartupString(parseOptions(rest, {"station"}, {}), out);
        if (c == "open") return cmdOpen(parseOptions(rest, {"station"}, {}), err, self);
        if (c == "install") return cmdInstall(parseOptions(rest, {"language", "release", "host-version"}, {}), out);
        throw usageError("unbekannter Befehl \"" + c + "\"");
    } catch (const Failure& f) {
        err += "rackplan: " + f.text + "\n";
        if (f.usage) err += kUsage;
        return 1;
    }
}

}  // namespace rackplan
