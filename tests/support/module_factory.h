#pragma once
// Modules as the tests need them: the start-up string the launcher passes for one module, a
// document opened from it, a module's default record, a document set up without a string.
#include <memory>
#include <string>

#include "app/app_settings.h"
#include "document/ptp_doc.h"
#include "document/records.h"
#include "host/project.h"
#include "tests/support/message_recorder.h"

namespace support {

// The eighteen tokens of a start-up string. The defaults name the module object of
// MemoryProject: a CP 731 with a V.24 interface in slot 5 of station S1, data in the project.
struct StartupLine {
    std::string file = "0";             // "0": the project holds the data; else the transfer file
    std::string model = "CP731";
    int interfaceCode = 81;
    int interfaceNo = 1;
    std::string name = "CP";
    std::string orderNo = "9QX4 731-1L";
    std::string station = "S1";
    int rack = 0, slot = 5;
    int online = 0;
    int address = 2;
    host::ObjectIds ids{1322001, 1, 3, 1, 1, 1};
};

std::string StartupString(const StartupLine& line);
// The usual variations: where the data lies, which module, interface and order number, online.
std::string StartupString(const std::string& file, const std::string& model, int interfaceCode,
                          const std::string& orderNo, int online = 0);

// A document that has parsed `line`; the running test fails when the string is refused.
std::unique_ptr<CPtpDoc> OpenDocument(AppSettings& app, const std::string& line);

// The default set the selection table gives a module type and protocol: CP 730 A/B/C, CP 830
// H/I, the others D (3964(R), RK 512), E (ASCII) and G (printer, loadable drivers).
DefaultSet DefaultSetFor(int moduleType, int protocol);
// The parameter record filled with that set, as a document stores it before any change.
CDb DefaultRecord(int moduleType, int protocol);

// A document for a module type, protocol and interface code, set up without a string; its
// messages go to `messages`.
struct ModuleDocument {
    ModuleDocument(int moduleType, int protocol, int interfaceCode, unsigned productVersion = 0);
    AppSettings app;
    MessageRecorder messages;
    CPtpDoc doc{app};
};

}  // namespace support
