#include "app/cli.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

#include "app/configuration.h"
#include "document/ptp_doc.h"
#include "pages/apply_values.h"
#include "printer/messages_model.h"
#include "resources/strings.h"
#include "sdb/dump.h"
#include "view/printout.h"
#include "view/protocol_sheet.h"
#include "document/record_fields.h"
#include "host/messages.h"
#include "host/project.h"
#include "online/driver_info.h"
#include "online/driver_jobs.h"
#include "online/driver_load.h"
#include "online/firmware_session.h"
#include "online/online_connection.h"
#include "view/frame_commands.h"

namespace cli {
namespace {

const char* kUsage =
    "Aufruf: ptpcfg [--yes|--no] BEFEHL ...\n"
    "  show STARTUP                 Start und Laden wie im Programm, dann alle Felder als name=wert\n"
    "  show --pages STARTUP         die Seiten des Protokolldialogs mit ihren Werten, so wie set sie nimmt\n"
    "  set STARTUP [NAME=WERT ...]  Werte wie auf den Seiten übernehmen, prüfen und speichern\n"
    "      [--file DATEI|-]         (Werte auch zeilenweise aus einer Datei; ohne Werte: das Geladene speichern)\n"
    "  protocol STARTUP NAME        das Protokoll wechseln (mit Defaultwerten) und speichern\n"
    "  texts STARTUP import DATEI    Meldetexte aus einer Text-Datei (.ptp) in den Text-SDB und speichern\n"
    "  texts STARTUP export DATEI    die Meldetexte des Text-SDB als Text-Datei (.ptp) schreiben\n"
    "  print STARTUP [--pdf DATEI]  der Parameterausdruck des Moduls, Zeile für Zeile, oder gedruckt als PDF\n"
    "  sdb DATEI                    eine Datenübergabedatei entschlüsseln und ausgeben\n"
    "  online STARTUP firmware-update HEADER_UPD  die Firmware des Update-Satzes auf die Baugruppe laden\n"
    "  online STARTUP driver-info   Treiber-Name und -Version auf der Baugruppe und auf dem PG\n"
    "  online STARTUP driver-load   den ladbaren Treiber auf die Baugruppe laden\n"
    "  help [BEFEHL]                diese Übersicht oder die Beschreibung eines Befehls\n"
    "  --help                       diese Übersicht\n"
    "  --version                    Programmname und Version\n"
    "STARTUP ist die Start-Parameterzeichenkette (durch Kommas getrennt), wie rackplan startup-string sie ausgibt.\n"
    "Das Projekt ist das in QORB4_PROJECT genannte. Fragen beantwortet --yes oder --no (sonst die Antwort,\n"
    "die nichts ändert). Exit-Codes: 0 erledigt, 2 abgelehnt, 1 anderer Fehler.\n";

struct CommandHelp {
    const char* name;
    const char* text;
};

const CommandHelp kCommandHelp[] = {
    {"show",
     "ptpcfg show STARTUP\n"
     "  Startet wie das Programm mit der Start-Parameterzeichenkette STARTUP, lädt die gespeicherten Parameter\n"
     "  des Moduls und gibt die Kennung, jedes Feld des Protokoll-, Drucker- und Kopfsatzes, die Blocklängen und\n"
     "  den Zustand des Text-SDB aus, eine Zeile name=wert je Feld.\n"
     "ptpcfg show --pages STARTUP\n"
     "  Gibt die Seiten des Protokolldialogs des Moduls aus: je Seite eine Kommentarzeile \"# ...\", dann jedes\n"
     "  Feld als NAME=WERT in den Einheiten der Seite (Zeiten in ms, Baudrate in Bit/s, Listen mit ihrem Text,\n"
     "  Zeichen hexadezimal). Die Ausgabe kann unverändert an \"ptpcfg set STARTUP --file DATEI\" gegeben werden\n"
     "  und speichert dann denselben Block.\n"},
    {"set",
     "ptpcfg set STARTUP [NAME=WERT ...] [--file DATEI|-]\n"
     "  Lädt die Parameter des Moduls, öffnet dessen Protokolldialog und übernimmt jeden Wert so, wie die Seite,\n"
     "  die ihn hat, ihn nimmt: Seite für Seite in der Reihenfolge der Seiten, auf einer Seite die Auswahlfelder\n"
     "  vor den Werten, die von ihnen abhängen, gleich in welcher Reihenfolge die Werte angegeben sind. Dann\n"
     "  laufen die Prüfungen der Seiten und des Dialogs wie bei OK, und das Ergebnis wird gespeichert\n"
     "  (\"Speichern\"). Namen sind die Feldnamen des Protokollsatzes (mit oder ohne \"CDb.\"), beim Drucker auch\n"
     "  CDbdr.byLeftMargin, CDbdr.byLinesPerPage und CDbdr.byLineEnd; \"ptpcfg show --pages\" zeigt sie alle.\n"
     "  --file liest weitere NAME=WERT-Zeilen aus einer Datei (\"-\": Standardeingabe); Leerzeilen und Zeilen mit\n"
     "  \"#\" am Anfang zählen nicht. Ein abgelehnter Wert gibt seine Meldung aus, endet mit 2 und speichert nichts.\n"
     "  Ein doppelt angegebener oder unbekannter Name wird abgelehnt. Ohne Werte wird das Geladene gespeichert.\n"},
    {"protocol",
     "ptpcfg protocol STARTUP NAME\n"
     "  Lädt die Parameter des Moduls und wechselt sein Protokoll wie die Protokoll-Liste des Fensters: NAME ist\n"
     "  ein Eintrag der Liste (3964(R), ASCII, RK512, DRUCKER oder der Name eines installierten ladbaren\n"
     "  Treibers, Groß-/Kleinschreibung gleich). Die Daten des alten Protokolls gehen verloren, das neue wird mit\n"
     "  Defaultwerten geladen und gespeichert. Die Frage danach beantwortet der Befehl selbst mit Ja, mit --no\n"
     "  mit Nein (dann ändert sich nichts, Exit-Code 2). Ein Protokoll, das die Baugruppe nicht hat, wird\n"
     "  abgelehnt und die Liste ausgegeben. Ein CP 731 bis Erzeugnisstand 1 speichert einen neuen ladbaren\n"
     "  Treiber erst, wenn der Treiber auf die Baugruppe geladen ist (Frage 2044; mit Nein: nichts gespeichert,\n"
     "  Exit-Code 2).\n"},
    {"texts",
     "ptpcfg texts STARTUP import DATEI\n"
     "  Lädt die Parameter eines Moduls mit dem Druckerprotokoll und liest die Text-Datei DATEI so, wie der\n"
     "  Dialog Meldungen sie liest: erste Zeile die Versionsnummer n.n, dann je Zeile Nummer:Text (Zeichensatz\n"
     "  Windows-1252, Zeilenende CR LF oder LF). Die Meldungen des Dialogs (543, 544, 546, 548, 549) erscheinen\n"
     "  auf der Standardfehlerausgabe; eine mehrfach vorhandene Nummer behält ihren ersten Text, mit --yes\n"
     "  ersetzt der spätere ihn. Der Name des Text-SDB ist der Dateiname ohne Erweiterung in Großbuchstaben\n"
     "  (höchstens 8 Zeichen, sonst 540 und Exit-Code 2). Die gelesenen Meldungen ersetzen den Text-SDB des\n"
     "  Moduls, und das Ergebnis wird gespeichert (\"Speichern\"). Online wird nichts gespeichert (Exit-Code 2).\n"
     "ptpcfg texts STARTUP export DATEI\n"
     "  Schreibt die Meldetexte des Text-SDB des Moduls als Text-Datei DATEI, wie OK im Dialog Meldungen mit\n"
     "  \"Datei\" sie schreibt: die Versionsnummer des Text-SDB, dann je Meldung Nummer:Text, jede Zeile mit\n"
     "  CR LF. Ein Modul ohne Text-SDB ergibt eine Datei mit der Version 0.1 und ohne Meldungen. Eine so\n"
     "  geschriebene Datei wird von import unverändert wieder eingelesen.\n"},
    {"print",
     "ptpcfg print STARTUP [--pdf DATEI]\n"
     "  Startet wie das Programm mit der Start-Parameterzeichenkette STARTUP, lädt die gespeicherten Parameter\n"
     "  des Moduls und gibt den Parameterausdruck aus, wie Drucken und Seitenansicht ihn zeigen: Kopf mit der\n"
     "  Kennung des Moduls, dann der Abschnitt des Protokolls (beim Drucker mit Seitenlayout, Zeichensatz,\n"
     "  Steuerzeichen und Meldungstexten, bei einem ladbaren Treiber mit den Zeilen des Treibers), eine Zeile\n"
     "  je Ausdruckzeile. Es wird nichts gespeichert.\n"
     "  --pdf schreibt statt dessen die gedruckten Seiten in die PDF-Datei DATEI (A4, mit Seitenrahmen, den\n"
     "  Texten der Seiteneinrichtung und Seitennummern), ohne Bildschirm. Kann die Datei nicht geschrieben\n"
     "  werden, sagt der Befehl warum und endet mit 1; eine vorhandene Datei bleibt dann unverändert.\n"},
    {"sdb",
     "ptpcfg sdb DATEI\n"
     "  Entschlüsselt eine Datenübergabedatei (Datensatz-Container oder Abschnittsdatei) und gibt Verzeichnis,\n"
     "  Blockköpfe, Offset-Tabellen, Teilblocklängen, die Felder der Sätze und die Texte aus.\n"},
    {"online",
     "ptpcfg online STARTUP firmware-update HEADER_UPD\n"
     "  Startet wie das Programm, liest den Firmware-Stand der Baugruppe (über die Station, die der\n"
     "  Zugangspunkt Y5ONLINE nennt) und lädt die Firmware des Update-Satzes, dessen Index-Datei HEADER_UPD\n"
     "  ist (header.upd, daneben bg_abl.upd und die Firmware-Datei), wie \"&Firmware laden\" im Dialog\n"
     "  Firmware-Update: Prüfung des Update-Satzes, die CPU muss im STOP sein, dann die Blöcke in den\n"
     "  Datensatz 239. Der Fortschritt steht auf der Standardfehlerausgabe, die Meldungen ebenso. Die Frage\n"
     "  2033 beantwortet der Befehl selbst mit Ja, mit --no mit Nein. Exit-Code 0 nach 2035, 2 wenn der\n"
     "  Update-Satz, die Antwort oder der Zustand der CPU das Laden verhindert, sonst 1.\n"
     "ptpcfg online STARTUP driver-info\n"
     "  Startet wie das Programm und zeigt, was der Dialog des Treiber-Knopfes zeigt: den auf dem PG\n"
     "  installierten Treiber (pg.name, pg.version) und den Treiber auf der Baugruppe (module.name,\n"
     "  module.version, gelesen aus dem Datensatz 200; \"- - - -\" wenn die Baugruppe keinen hat). Beim\n"
     "  CP 831-2 statt der Baugruppe den im Projekt gespeicherten Treiber (project.name, project.version),\n"
     "  ohne Verbindung. Ohne Verbindung Meldung 2002 und Exit-Code 1.\n"
     "ptpcfg online STARTUP driver-load\n"
     "  Lädt den projektierten ladbaren Treiber wie \"Treiber laden\": die CPU muss im STOP sein, dann Code-,\n"
     "  Firmware- und Protokollteil aus den Treiberdateien blockweise in den Datensatz 200. Der Fortschritt\n"
     "  steht auf der Standardfehlerausgabe, die Meldungen ebenso; danach wird der Treiber der Baugruppe\n"
     "  gelesen und ausgegeben. Die Frage 606 beantwortet der Befehl selbst mit Ja, mit --no mit Nein.\n"
     "  Gespeichert wird nichts. Exit-Code 0 nach dem Laden, 2 wenn nichts geladen wurde (Nein, Treiber\n"
     "  schon vorhanden, kein Codeteil, CP 831-2), sonst 1.\n"},
    {"help",
     "ptpcfg help [BEFEHL]\n"
     "  Ohne BEFEHL die Übersicht aller Befehle, sonst die Beschreibung des Befehls.\n"},
};

// A file named on the command line that could not be read: missing, or why not.
std::string fileProblem(const std::string& path, int error) {
    if (error == ENOENT) return "die Datei " + path + " gibt es nicht (" + std::strerror(error) + ")";
    return "die Datei " + path + " kann nicht gelesen werden: " + std::strerror(error);
}

template <typename T>
void line(std::string& out, const char* name, const T& value) {
    out += name;
    out += '=';
    if constexpr (std::is_convertible_v<T, std::string>)
        out += value;
    else
        out += std::to_string(value);
    out += '\n';
}

// Draws the printed pages for print --pdf; set by the program that can.
PdfWriter g_pdfWriter = nullptr;

}  // namespace

std::string ExecutableFolder() {
    const std::string folder = config::ProgramFolder();
    return folder.empty() ? std::string("/") : folder;
}

void SetPdfWriter(PdfWriter writer) { g_pdfWriter = writer; }

std::string ShowDocument(const CPtpDoc& d) {
    std::string out;
    line(out, "m_szTransferFile", d.m_szTransferFile);
    line(out, "m_bFromProject", d.m_bFromProject);
    line(out, "m_nModuleType", d.m_nModuleType);
    line(out, "m_nProtocol", d.m_nProtocol);
    line(out, "m_nInterfaceCode", d.m_nInterfaceCode);
    line(out, "m_nInterfaceNo", d.m_nInterfaceNo);
    line(out, "m_szModuleName", d.m_szModuleName);
    line(out, "m_szOrderNo", d.m_szOrderNo);
    line(out, "m_szInterfaceName", d.m_szInterfaceName);
    line(out, "m_szStationName", d.m_szStationName);
    line(out, "m_strRack", d.m_strRack);
    line(out, "m_strSlot", d.m_strSlot);
    line(out, "m_nRack", d.m_nRack);
    line(out, "m_nSlot", d.m_nSlot);
    line(out, "m_bOnline", d.m_bOnline);
    line(out, "m_nStationAddress", d.m_nStationAddress);
    line(out, "m_hModuleObject", d.m_hModuleObject);
    line(out, "m_bExtendedModule", d.m_bExtendedModule);
    line(out, "m_nDriverParts", d.m_nDriverParts);
    line(out, "m_nDriverHwMask", d.m_nDriverHwMask);
    line(out, "m_strStationPath", d.m_strStationPath);
    line(out, "m_strModuleObjectName", d.m_strModuleObjectName);
    line(out, "m_nProductVersion", d.m_nProductVersion);
    line(out, "Title", d.GetTitle());
    line(out, "Modified", d.IsModified() ? 1 : 0);
    line(out, "m_bSaveOnExit", d.m_bSaveOnExit);
    out += FormatFields(DescribeDb(d.m_CurParams));
    out += FormatFields(DescribeHead(d.m_CurHead));
    if (d.m_nProtocol == kProtPrinter) out += FormatFields(DescribeDbdr(d.m_CurPrinter));
    std::string lengths;
    for (size_t i = 0; i < d.BlockLengths.size(); ++i) lengths += (i ? "," : "") + std::to_string(d.BlockLengths[i]);
    line(out, "BlockLengths", lengths);
    line(out, "m_bTextPresent", d.m_bTextPresent);
    out += FormatFields(DescribeHead(d.m_TextHead, "TextHead."));
    out += FormatFields(DescribeTex(d.m_CurTextName));
    return out;
}

namespace {

// Start-up as the window program does it; false when the program would end.
bool start(CPtpDoc& doc, const std::string& line) { return doc.ParseStartupString(line) == 0; }

// Start-up of a command that stores: the module's stored block is held from loading to
// storing, so a second run waits for this one and then loads what it stored, and nothing
// stored in between is overwritten unasked.
bool startToStore(CPtpDoc& doc, const std::string& line) {
    doc.m_bHoldStoredBlock = 1;
    doc.m_bAskBeforeOverwrite = 0;
    return start(doc, line);
}

// The application's configuration, as the window program reads it at start.
AppSettings configure() {
    host::IniRegistry registry(ExecutableFolder());
    return config::Configure(registry, "vemtro_x", nullptr).settings;
}

int runShow(const std::vector<std::string>& argsIn, std::string& out) {
    std::vector<std::string> a = argsIn;
    const bool pages = !a.empty() && a[0] == "--pages";
    if (pages) a.erase(a.begin());
    if (a.size() != 1) {
        std::fputs("ptpcfg show: genau eine Start-Parameterzeichenkette erwartet (ptpcfg help show)\n", stderr);
        return kFailure;
    }
    AppSettings app = configure();
    CPtpDoc doc(app);
    if (!start(doc, a[0])) return kFailure;
    if (!pages) {
        out += ShowDocument(doc);
        return kDone;
    }
    auto sheet = OpenProtocolSheet(doc);
    if (!sheet) {
        std::fputs("ptpcfg show --pages: für dieses Modul und Protokoll gibt es keine Parameterseiten\n", stderr);
        return kFailure;
    }
    for (const auto& notice : sheet->openingNotices())
        std::fprintf(stderr, "%d: %s\n", notice.messageId, rules::messageText(notice).c_str());
    out += rules::describePages(*sheet, doc.m_nProtocol == kProtPrinter ? &doc.m_CurPrinter : nullptr);
    return kDone;
}

int runPrint(const std::vector<std::string>& argsIn, std::string& out) {
    std::vector<std::string> a;
    std::string pdf;
    bool toPdf = false;
    for (size_t i = 0; i < argsIn.size(); ++i) {
        if (argsIn[i] != "--pdf") {
            a.push_back(argsIn[i]);
            continue;
        }
        if (toPdf || i + 1 >= argsIn.size() || argsIn[i + 1].empty()) {
            std::fputs("ptpcfg print: --pdf erwartet genau einen Dateinamen (ptpcfg help print)\n", stderr);
            return kFailure;
        }
        toPdf = true;
        pdf = argsIn[++i];
    }
    if (a.size() != 1) {
        std::fputs("ptpcfg print: genau eine Start-Parameterzeichenkette erwartet (ptpcfg help print)\n", stderr);
        return kFailure;
    }
    if (toPdf && !g_pdfWriter) {
        std::fputs("ptpcfg print: dieses Programm kann keine PDF-Dateien schreiben\n", stderr);
        return kFailure;
    }
    AppSettings app = configure();
    CPtpDoc doc(app);
    if (!start(doc, a[0])) return kFailure;
    if (toPdf) {
        const std::string problem = g_pdfWriter(doc, pdf);
        if (problem.empty()) return kDone;
        std::fprintf(stderr, "ptpcfg print: %s\n", problem.c_str());
        return kFailure;
    }
    for (const auto& l : printout::BuildPrintout(doc)) {
        out += l;
        out += '\n';
    }
    return kDone;
}

// Stores the document as "Speichern" does. A store the user declined (a CP 731 whose new
// driver is not loaded yet, question 2044 answered No) stores nothing and says so.
int store(CPtpDoc& doc, const char* command) {
    if (doc.Store() != 1 || !doc.ReleaseStoredBlock()) return kFailure;
    if (doc.IsModified()) {
        std::fprintf(stderr, "ptpcfg %s: es wurde nichts gespeichert\n", command);
        return kRefused;
    }
    return kDone;
}

// NAME=VALUE arguments and the lines of --file, in the order given.
bool readValues(const std::vector<std::string>& a, std::vector<rules::NameValue>& values) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--file") {
            if (i + 1 >= a.size()) {
                std::fputs("ptpcfg set: --file ohne Datei\n", stderr);
                return false;
            }
            const std::string& file = a[++i];
            std::string text;
            if (file == "-") {
                text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
            } else {
                std::ifstream in(file, std::ios::binary);
                if (!in) {
                    std::fprintf(stderr, "ptpcfg set: %s\n", fileProblem(file, errno).c_str());
                    return false;
                }
                text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
            const rules::ParsedLines lines = rules::parseLines(text);
            if (lines.badLine) {
                std::fprintf(stderr, "ptpcfg set: %s, Zeile %d ist keine Angabe NAME=WERT\n", file.c_str(), lines.badLine);
                return false;
            }
            values.insert(values.end(), lines.values.begin(), lines.values.end());
            continue;
        }
        auto nv = rules::parseAssignment(a[i]);
        if (!nv) {
            std::fprintf(stderr, "ptpcfg set: \"%s\" ist keine Angabe NAME=WERT (ptpcfg help set)\n", a[i].c_str());
            return false;
        }
        values.push_back(*nv);
    }
    return true;
}

int runSet(const std::vector<std::string>& a, std::string& out) {
    if (a.empty()) {
        std::fputs("ptpcfg set: Start-Parameterzeichenkette erwartet (ptpcfg help set)\n", stderr);
        return kFailure;
    }
    std::vector<rules::NameValue> values;
    if (!readValues(std::vector<std::string>(a.begin() + 1, a.end()), values)) return kFailure;
    AppSettings app = configure();
    CPtpDoc doc(app);
    if (!startToStore(doc, a[0])) return kFailure;
    if (doc.m_bOnline) {
        std::fputs("ptpcfg set: online wird nichts gespeichert\n", stderr);
        return kRefused;
    }
    if (!values.empty()) {
        const rules::ApplyResult r = rules::applyValues(SheetContextFor(doc), doc.m_CurParams, doc.m_CurPrinter, values);
        for (const auto& notice : r.notices) std::fprintf(stderr, "%d: %s\n", notice.messageId, rules::messageText(notice).c_str());
        if (!r.ok) {
            std::fprintf(stderr, "%d: %s\n", r.refusal.messageId, r.text.c_str());
            if (!r.correction.empty()) std::fprintf(stderr, "ptpcfg set: %s\n", r.correction.c_str());
            return kRefused;
        }
        doc.m_CurParams = r.db;
        doc.m_CurPrinter = r.dr;
    }
    doc.SetModifiedFlag(true);
    if (const int rc = store(doc, "set"); rc != kDone) return rc;
    out += "gespeichert\n";
    return kDone;
}

// Upper case of the ASCII letters, for comparing list texts.
std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Naming the protocol is the user's Yes to the question before the change (561); every other
// question is answered as --yes / --no say.
class ConfirmProtocolChange : public host::MessageService {
public:
    explicit ConfirmProtocolChange(host::StderrMessages::Answer answer) : answer_(answer), next_(answer) {}
    int show(const host::Message& m) override {
        if (m.id != kProtocolChangeQuestion || answer_ == host::StderrMessages::Answer::No) return next_.show(m);
        std::fprintf(stderr, "%d: %s\n", m.id, m.text.c_str());
        return host::kYes;
    }

private:
    static constexpr int kProtocolChangeQuestion = 561;
    host::StderrMessages::Answer answer_;
    host::StderrMessages next_;
};

int runProtocol(const std::vector<std::string>& a, std::string& out, host::StderrMessages::Answer answer) {
    ConfirmProtocolChange confirm(answer);
    host::ScopedMessageService scope(confirm);
    if (a.size() != 2) {
        std::fputs("ptpcfg protocol: Start-Parameterzeichenkette und Protokoll erwartet (ptpcfg help protocol)\n", stderr);
        return kFailure;
    }
    AppSettings app = configure();
    CPtpDoc doc(app);
    if (!startToStore(doc, a[0])) return kFailure;
    if (doc.m_bOnline) {
        std::fputs("ptpcfg protocol: online kann das Protokoll nicht gewechselt werden\n", stderr);
        return kRefused;
    }
    const ProtocolItem* chosen = nullptr;
    std::string offered;
    for (const auto& item : doc.m_ProtocolList) {
        if (upper(item.text) == upper(a[1])) chosen = &item;
        offered += (offered.empty() ? "" : ", ") + item.text;
    }
    if (!chosen) {
        std::fprintf(stderr, "ptpcfg protocol: \"%s\" ist kein Protokoll dieser Baugruppe; möglich: %s\n", a[1].c_str(),
                     offered.c_str());
        return kRefused;
    }
    switch (doc.ChangeProtocol(chosen->code)) {
    case CPtpDoc::ProtocolChange::Unchanged:
        out += "unverändert: " + chosen->text + "\n";
        return kDone;
    case CPtpDoc::ProtocolChange::Declined: return kRefused;
    case CPtpDoc::ProtocolChange::Failed: return kFailure;
    case CPtpDoc::ProtocolChange::Changed: break;
    }
    if (const int rc = store(doc, "protocol"); rc != kDone) return rc;
    out += "gespeichert: " + chosen->text + "\n";
    return kDone;
}

// Shows a message of the messages dialog under its caption; true for Yes to a question.
bool showTextMessage(const printer::TextMessage& m) {
    return host::showMessage(res::text(printer::kMsgCaption), m.id, m.inserts) == host::kYes;
}

// The message texts of a printer module: a text file read into the text SDB as the messages
// dialog reads it, then stored; or the text SDB written as a text file.
int runTexts(const std::vector<std::string>& a, std::string& out) {
    if (a.size() != 3 || (a[1] != "import" && a[1] != "export")) {
        std::fputs("ptpcfg texts: Start-Parameterzeichenkette, import oder export und eine Datei erwartet (ptpcfg help texts)\n",
                   stderr);
        return kFailure;
    }
    const bool import = a[1] == "import";
    const std::string& file = a[2];
    std::string title, contents;
    if (import) {
        // the checks of the file dialog before the messages dialog opens
        title = std::filesystem::path(file).stem().string();
        if (const auto refusal = printer::CheckFileTitle(title)) {
            showTextMessage(*refusal);
            return kRefused;
        }
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "ptpcfg texts: %s\n", fileProblem(file, errno).c_str());
            return kFailure;
        }
        contents = printer::ReadTextFile(file);
    }
    AppSettings app = configure();
    CPtpDoc doc(app);
    if (!(import ? startToStore(doc, a[0]) : start(doc, a[0]))) return kFailure;
    if (doc.m_nProtocol != kProtPrinter && !doc.DriverHasTexts()) {
        std::fputs("ptpcfg texts: das Protokoll des Moduls druckt keine Meldetexte\n", stderr);
        return kRefused;
    }
    if (import && doc.m_bOnline) {
        std::fputs("ptpcfg texts: online wird nichts gespeichert\n", stderr);
        return kRefused;
    }
    const auto data = printer::TextDataOf(doc);
    printer::MessagesModel::Setup setup;
    setup.source = import ? printer::TextSource::File : printer::TextSource::Sdb;
    setup.limits = printer::LimitsOf(doc);
    setup.data = data.get();
    setup.fileTitle = title;
    setup.fileContents = contents;
    printer::MessagesModel model(setup, showTextMessage);
    const std::string count = std::to_string(model.list().count()) + " Meldungen";
    if (!import) {
        const printer::BuiltTextFile built = printer::BuildTextFile(model.version(), model.list());
        if (built.refusal) {
            showTextMessage(*built.refusal);
            return kRefused;
        }
        std::string error;
        if (!printer::WriteTextFile(file, built.bytes, &error)) {
            std::fprintf(stderr, "ptpcfg texts: die Datei kann nicht geschrieben werden: %s\n", error.c_str());
            return kFailure;
        }
        out += "geschrieben: " + count + "\n";
        return kDone;
    }
    // OK with "SDB": the checks of OK, then the text SDB built from the list
    if (!model.checkOk(showTextMessage).accepted) return kRefused;
    model.finishToSdb();
    printer::ApplyTextData(doc, model.result());
    if (const int rc = store(doc, "texts"); rc != kDone) return rc;
    out += "gespeichert: " + count + "\n";
    return kDone;
}

// Naming the command is the user's Yes to the question before it acts; every other question is
// answered as --yes / --no say.
class ConfirmQuestion : public host::MessageService {
public:
    ConfirmQuestion(int id, host::StderrMessages::Answer answer) : id_(id), answer_(answer), next_(answer) {}
    int show(const host::Message& m) override {
        if (m.id != id_ || answer_ == host::StderrMessages::Answer::No) return next_.show(m);
        std::fprintf(stderr, "%d: %s\n", m.id, m.text.c_str());
        return host::kYes;
    }

private:
    int id_;
    host::StderrMessages::Answer answer_;
    host::StderrMessages next_;
};

// The progress of a transfer as one line on standard error, rewritten in place.
class FirmwareProgress : public online::HostFirmwareView {
public:
    void Message(int id, const std::vector<std::string>& inserts) override {
        endLine();
        HostFirmwareView::Message(id, inserts);
    }
    void Progress(int percent) override {
        if (percent == last_) return;
        last_ = percent;
        std::fprintf(stderr, "\rFirmware laden: %3d %%", percent);
        std::fflush(stderr);
        open_ = true;
    }
    void endLine() {
        if (open_) std::fputc('\n', stderr);
        open_ = false;
    }

private:
    int last_ = -1;
    bool open_ = false;
};

// The firmware update of the module: its version, then the transfer as "&Firmware laden" runs it.
int runFirmwareUpdate(CPtpDoc& doc, const std::string& indexPath, std::string& out) {
    if (!FirmwareUpdateEnabled(doc)) {
        std::fputs("ptpcfg online: diese Baugruppe hat kein Firmware-Update (oder das Modul ist online)\n", stderr);
        return kRefused;
    }
    if (const int refusal = FirmwareUpdateRefusal(doc)) {
        host::showMessage(res::text(614), refusal);
        return kRefused;
    }
    AUTSetErrorTitle(res::text(online::kFwCaption));
    const online::ModuleInfo info = online::ReadModuleInfo(doc);
    if (info.connected) out += "aktueller BG-FW-Stand: " + info.version.value_or(online::kNoVersion) + "\n";
    out += "ausgewählter FW-Stand: " + online::SelectUpdateSet(indexPath).version + "\n";
    online::FirmwareTarget target;
    target.smallRecord = online::FirmwareModelOf(doc).first;
    target.moduleAddress = online::FirmwareModuleAddress(doc);
    target.mpiAddress = doc.m_nStationAddress;
    target.moduleWithoutFirmware = info.connected && !info.version;
    host::IniRegistry registry(ExecutableFolder());
    FirmwareProgress view;
    online::FirmwareConnection connection(doc, online::FirmwareConnection::Purpose::Transfer);
    online::FirmwareTransfer transfer(connection.Channel(), target, indexPath, view, &registry);
    const auto outcome = online::RunFirmwareTransfer(
        transfer, [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
    view.endLine();
    doc.m_bFirmwareMissing = outcome.firmwareMissing ? 1 : 0;
    if (outcome.success) {
        out += "geladen: " + std::to_string(outcome.bytesSent) + " Bytes\n";
        return kDone;
    }
    return outcome.refused ? kRefused : kFailure;
}

// The module's channel while a driver command runs: the library route, else the direct route.
struct DriverConnection {
    explicit DriverConnection(CPtpDoc& doc) : connection(doc) {
        if (!connection.OpenConnection(true, false, handle, direct)) connection.OpenConnection(true, true, handle, direct);
        if (connection.Connected()) channel = connection.Channel();
    }
    ~DriverConnection() {
        channel.reset();
        if (connection.Connected()) connection.CloseConnection(handle, direct);
    }
    online::COnlineConnection connection;
    std::uint32_t handle = 0, direct = 0;
    std::unique_ptr<online::ModuleChannel> channel;
};

// Passes every message on to the service in force and notes whether a driver job showed one.
class DriverMessages : public host::MessageService {
public:
    DriverMessages() : next_(host::messageService()) {}
    int show(const host::Message& m) override {
        if (m.id >= online::driver::kCaption) driverMessage = true;
        return next_.show(m);
    }
    bool driverMessage = false;

private:
    host::MessageService& next_;
};

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void driverLines(std::string& out, const char* prefix, const online::DriverShown& d) {
    out += std::string(prefix) + ".name=" + d.name + "\n";
    out += std::string(prefix) + ".version=" + d.version + "\n";
}

// What the TREIBER button's dialog shows: the installed driver and the module's (CP 831-2: the
// project's, without going online).
int runDriverInfo(CPtpDoc& doc, std::string& out) {
    if (!isLoadableDriver(doc.m_nProtocol)) {
        std::fputs("ptpcfg online: das Protokoll des Moduls ist kein ladbarer Treiber\n", stderr);
        return kRefused;
    }
    if (doc.m_nModuleType == kCP8312) {
        driverLines(out, "pg", online::InstalledDriver(doc));
        driverLines(out, "project", online::ProjectDriver(doc));
        return kDone;
    }
    // a module without a loadable driver says so without a message; a failed read shows one
    DriverMessages seen;
    host::ScopedMessageService scope(seen);
    DriverConnection c(doc);
    const online::DriverDialogStart start = online::StartDriverDialog(doc, c.channel.get(), sleepMs);
    driverLines(out, "pg", start.installed);
    driverLines(out, "module", start.module);
    return c.channel && !seen.driverMessage ? kDone : kFailure;
}

// "Treiber laden": the question, the load with its progress on standard error, the read-back.
int runDriverLoad(CPtpDoc& doc, std::string& out) {
    if (!isLoadableDriver(doc.m_nProtocol) || doc.m_nModuleType == kCP8312) {
        std::fputs("ptpcfg online: auf diese Baugruppe wird kein Treiber geladen\n", stderr);
        return kRefused;
    }
    DriverConnection c(doc);
    const online::DriverDialogStart start = online::StartDriverDialog(doc, c.channel.get(), sleepMs);
    if (!c.channel) return kFailure;
    driverLines(out, "pg", start.installed);
    if (!online::ConfirmDriverLoad(res::text(online::driver::kCaption))) return kRefused;
    online::DriverLoadJob job(*c.channel, online::DriverModuleAddress(doc), online::DriverComponentsOf(doc));
    std::string shown;  // the progress line as last written
    for (;;) {
        const auto step = job.Next();
        // (past the last component the status text is empty: nothing more to show)
        if (job.total() != 0 && *job.statusText() != '\0') {
            const std::string line = std::string(job.statusText()) + " " +
                                     std::to_string(online::LoadPercent(job.total(), job.remaining())) + " %";
            if (line != shown) std::fprintf(stderr, "%s\n", line.c_str());
            shown = line;
        }
        if (step.done) break;
        if (step.waitMs > 0) sleepMs(step.waitMs);
    }
    const online::ReadBack back = online::ReadBackAfterLoad(doc, *c.channel, sleepMs);
    driverLines(out, "module", back.module);
    switch (job.end()) {
    case online::DriverLoadJob::End::Loaded: return kDone;
    case online::DriverLoadJob::End::Failed: return kFailure;
    default: return kRefused;
    }
}

int runOnline(const std::vector<std::string>& a, std::string& out, host::StderrMessages::Answer answer) {
    if (a.size() < 2) {
        std::fputs("ptpcfg online: Start-Parameterzeichenkette und Auftrag erwartet (ptpcfg help online)\n", stderr);
        return kFailure;
    }
    const std::string& job = a[1];
    if (job == "firmware-update" && a.size() != 3) {
        std::fputs("ptpcfg online: firmware-update erwartet genau eine Index-Datei header.upd\n", stderr);
        return kFailure;
    }
    if (job == "driver-info" || job == "driver-load") {
        if (a.size() != 2) {
            std::fprintf(stderr, "ptpcfg online: %s erwartet nichts weiter\n", job.c_str());
            return kFailure;
        }
        ConfirmQuestion confirm(online::driver::kMsgLoadQuestion, answer);
        host::ScopedMessageService scope(confirm);
        AppSettings app = configure();
        CPtpDoc doc(app);
        if (!start(doc, a[0])) return kFailure;
        return job == "driver-info" ? runDriverInfo(doc, out) : runDriverLoad(doc, out);
    }
    if (job != "firmware-update") {
        std::fprintf(stderr, "ptpcfg online: unbekannter Auftrag \"%s\" (ptpcfg help online)\n", job.c_str());
        return kFailure;
    }
    ConfirmQuestion confirm(online::kFwLoadQuestion, answer);
    host::ScopedMessageService scope(confirm);
    AppSettings app = configure();
    CPtpDoc doc(app);
    if (!start(doc, a[0])) return kFailure;
    return runFirmwareUpdate(doc, a[2], out);
}

int runHelp(const std::vector<std::string>& a, std::string& out) {
    if (a.empty()) {
        out += kUsage;
        return kDone;
    }
    for (const auto& h : kCommandHelp)
        if (a[0] == h.name) {
            out += h.text;
            return kDone;
        }
    std::fprintf(stderr, "ptpcfg help: unbekannter Befehl \"%s\"\n%s", a[0].c_str(), kUsage);
    return kFailure;
}

int runSdb(const std::vector<std::string>& a, std::string& out) {
    if (a.size() != 1) {
        std::fputs("ptpcfg sdb: genau eine Datei erwartet\n", stderr);
        return kFailure;
    }
    transfer::ReadResult r = transfer::ReadFile(a[0], CPtpDoc::kSectionBufferSize);
    if (r.status == transfer::ReadStatus::NotRegular) {
        std::fprintf(stderr, "ptpcfg sdb: %s %s\n", a[0].c_str(), r.why.c_str());
        return kFailure;
    }
    if (r.status != transfer::ReadStatus::Ok) {
        std::fprintf(stderr, "ptpcfg sdb: %s\n", fileProblem(a[0], r.error).c_str());
        return kFailure;
    }
    bool recognised = false;
    out += sdb::DumpDataTransferFile(r.bytes, &recognised);
    if (!recognised) {
        std::fprintf(stderr, "ptpcfg sdb: %s ist weder ein Datensatz-Container noch eine Abschnittsdatei\n", a[0].c_str());
        return kFailure;
    }
    return kDone;
}

}  // namespace

int Run(const std::vector<std::string>& argsIn, std::string& out) {
    std::vector<std::string> args;
    host::StderrMessages::Answer answer = host::StderrMessages::Answer::Default;
    for (const auto& a : argsIn) {
        if (a == "--yes") answer = host::StderrMessages::Answer::Yes;
        else if (a == "--no") answer = host::StderrMessages::Answer::No;
        else args.push_back(a);
    }
    if (!args.empty() && args[0] == "--version") {
        out += std::string("ptpcfg ") + PTP_VERSION + "\n";
        return kDone;
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        out += kUsage;
        return args.empty() ? kFailure : kDone;
    }
    const std::string command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "help") return runHelp(rest, out);
    if (rest.size() == 1 && (rest[0] == "--help" || rest[0] == "-h")) return runHelp({command}, out);

    host::StderrMessages messages(answer);
    host::ScopedMessageService scope(messages);
    // A project that is named but cannot be opened is an error of the call, not a module without data.
    std::string error;
    if (host::OpenProjectFromEnvironment(&error) == host::ProjectOpening::Failed) {
        std::fprintf(stderr, "ptpcfg: %s\n", error.c_str());
        return kFailure;
    }

    if (command == "show") return runShow(rest, out);
    if (command == "set") return runSet(rest, out);
    if (command == "protocol") return runProtocol(rest, out, answer);
    if (command == "texts") return runTexts(rest, out);
    if (command == "print") return runPrint(rest, out);
    if (command == "sdb") return runSdb(rest, out);
    if (command == "online") return runOnline(rest, out, answer);
    std::fprintf(stderr, "ptpcfg: unbekannter Befehl \"%s\"\n%s", command.c_str(), kUsage);
    return kFailure;
}

}  // namespace cli
