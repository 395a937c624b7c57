#include "app/cli.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/configuration.h"
#include "document/ptp_doc.h"
#include "pages/apply_values.h"
#include "sdb/dump.h"
#include "document/record_fields.h"
#include "host/messages.h"
#include "host/project.h"

namespace cli {
namespace {

const char* kUsage =
    "Aufruf: ptpcfg [--yes|--no] BEFEHL ...\n"
    "  show STARTUP                 Start und Laden wie im Programm, dann alle Felder als name=wert\n"
    "  set STARTUP [NAME=WERT ...]  Werte wie auf den Seiten übernehmen, prüfen und speichern\n"
    "                               (ohne Werte: das Geladene speichern)\n"
    "  sdb DATEI                    eine Datenübergabedatei entschlüsseln und ausgeben\n"
    "  --help                       diese Übersicht\n"
    "STARTUP ist die Start-Parameterzeichenkette (durch Kommas getrennt), wie rackplan startup-string sie ausgibt.\n"
    "Das Projekt ist das in QORB4_PROJECT genannte. Exit-Codes: 0 erledigt, 2 abgelehnt, 1 anderer Fehler.\n";

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

}  // namespace

std::string ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

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

// The application's configuration, as the window program reads it at start.
AppSettings configure() {
    host::IniRegistry registry(ExecutableFolder());
    return config::Configure(registry, "vemtro_x", nullptr).settings;
}

int runShow(const std::vector<std::string>& a, std::string& out) {
    if (a.size() != 1) {
        std::fputs("ptpcfg show: genau eine Start-Parameterzeichenkette erwartet\n", stderr);
        return kFailure;
    }
    AppSettings app = configure();
    CPtpDoc doc(app);
    if (!start(doc, a[0])) return kFailure;
    out += ShowDocument(doc);
    return kDone;
}

int runSet(const std::vector<std::string>& a, std::string& out) {
    if (a.empty()) {
        std::fputs("ptpcfg set: Start-Parameterzeichenkette erwartet\n", stderr);
        return kFailure;
    }
    AppSettings app = configure();
    CPtpDoc doc(app);
    if (!start(doc, a[0])) return kFailure;
    if (doc.m_bOnline) {
        std::fputs("ptpcfg set: online wird nichts gespeichert\n", stderr);
        return kRefused;
    }
    std::vector<rules::NameValue> values;
    for (auto it = a.begin() + 1; it != a.end(); ++it) {
        auto nv = rules::parseAssignment(*it);
        if (!nv) {
            std::fprintf(stderr, "ptpcfg set: \"%s\" ist keine Angabe NAME=WERT\n", it->c_str());
            return kFailure;
        }
        values.push_back(*nv);
    }
    if (!values.empty()) {
        const rules::CheckContext ctx = rules::makeCheckContext(doc.m_nModuleType, doc.m_nInterfaceCode,
                                                                doc.m_nProductVersion, doc.m_bExtendedModule,
                                                                app.hostNewFeatures != 0, doc.m_bOnline != 0);
        const rules::ApplyResult r = rules::applyValues(ctx, doc.m_nProtocol, doc.m_CurParams, doc.m_CurPrinter, values);
        for (const auto& notice : r.notices) std::fprintf(stderr, "%d: %s\n", notice.messageId, rules::messageText(notice).c_str());
        if (!r.ok) {
            std::fprintf(stderr, "%d: %s\n", r.refusal.messageId, r.text.c_str());
            return kRefused;
        }
        doc.m_CurParams = r.db;
        doc.m_CurPrinter = r.dr;
    }
    doc.SetModifiedFlag(true);
    if (doc.Store() != 1) return kFailure;
    out += "gespeichert\n";
    return kDone;
}

int runSdb(const std::vector<std::string>& a, std::string& out) {
    if (a.size() != 1) {
        std::fputs("ptpcfg sdb: genau eine Datei erwartet\n", stderr);
        return kFailure;
    }
    transfer::ReadResult r = transfer::ReadFile(a[0], CPtpDoc::kSectionBufferSize);
    if (r.status != transfer::ReadStatus::Ok) {
        std::fprintf(stderr, "ptpcfg sdb: %s kann nicht gelesen werden\n", a[0].c_str());
        return kFailure;
    }
    out += sdb::DumpDataTransferFile(r.bytes);
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
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        out += kUsage;
        return args.empty() ? kFailure : kDone;
    }
    host::StderrMessages messages(answer);
    host::ScopedMessageService scope(messages);
    // A project that is named but cannot be opened is an error of the call, not a module without data.
    std::string error;
    if (host::OpenProjectFromEnvironment(&error) == host::ProjectOpening::Failed) {
        std::fprintf(stderr, "ptpcfg: %s\n", error.c_str());
        return kFailure;
    }

    const std::string command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "show") return runShow(rest, out);
    if (command == "set") return runSet(rest, out);
    if (command == "sdb") return runSdb(rest, out);
    std::fprintf(stderr, "ptpcfg: unbekannter Befehl \"%s\"\n%s", command.c_str(), kUsage);
    return kFailure;
}

}  // namespace cli
