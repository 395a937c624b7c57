#include "host/messages.h"

#include <cstdio>
#include <ctime>
#include <fstream>

#include "resources/strings.h"

namespace host {
namespace {

MessageService* g_service = nullptr;
std::string g_logPath;
std::string g_title;

void appendToLog(const Message& m, int answer) {
    if (g_logPath.empty()) return;
    std::ofstream log(g_logPath, std::ios::app | std::ios::binary);
    if (!log) return;
    char stamp[32] = {};
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
    std::string text = m.text;
    for (auto& c : text)
        if (c == '\n') c = ' ';
    log << stamp << " [" << m.id << "] " << m.title << ": " << text << " -> " << answer << "\n";
}

Message fromResource(const std::string& title, int id, const std::vector<std::string>& inserts) {
    Message m;
    m.id = id;
    m.title = title;
    m.inserts = inserts;
    const res::StringEntry* e = res::find(id);
    if (!e) {
        m.text = "Meldung " + std::to_string(id);
        return m;
    }
    m.text = res::format(e->text, inserts);
    if (e->kind == 2) {
        switch (e->style & 0x0F) {
        case 3: m.buttons = Buttons::YesNoCancel; m.defaultButton = kYes; break;
        case 4: m.buttons = Buttons::YesNo; m.defaultButton = kYes; break;
        default: m.buttons = Buttons::Ok; break;
        }
        if (e->style & 0x100) m.defaultButton = kNo;
        m.warning = (e->style & 0xF0) == 0x30;
    }
    return m;
}

int deliver(const Message& m) {
    int answer = messageService().show(m);
    appendToLog(m, answer);
    return answer;
}

}  // namespace

void setMessageService(MessageService* service) { g_service = service; }

MessageService& messageService() {
    static StderrMessages fallback;
    return g_service ? *g_service : fallback;
}

bool messageServiceInstalled() { return g_service != nullptr; }
bool isMessageService(const MessageService* s) { return g_service == s; }

void setErrorLogPath(const std::string& path) { g_logPath = path; }

int showMessage(const std::string& title, int id, const std::vector<std::string>& inserts) {
    return deliver(fromResource(title, id, inserts));
}

int showMessageAdding(const std::string& title, int id, const std::string& added) {
    Message m = fromResource(title, id, {});
    if (!added.empty()) m.text += "\n\n" + added;
    return deliver(m);
}

int showMessage(int id, const std::vector<std::string>& inserts) { return showMessage(g_title, id, inserts); }

void plainMessage(const std::string& title, const std::string& text) {
    Message m;
    m.title = title;
    m.text = text;
    deliver(m);
}

int StderrMessages::show(const Message& m) {
    std::fprintf(stderr, "%d: %s\n", m.id, m.text.c_str());
    if (m.buttons == Buttons::Ok) return kOk;
    switch (answer_) {
    case Answer::Yes: return kYes;
    case Answer::No: return kNo;
    case Answer::Default: break;
    }
    return m.buttons == Buttons::YesNoCancel ? kCancel : kNo;
}

int RecordingMessages::show(const Message& m) {
    shown.push_back(m);
    if (m.buttons == Buttons::Ok) return kOk;
    if (answers_.empty()) return m.defaultButton;
    int a = answers_.front();
    answers_.pop_front();
    return a;
}

}  // namespace host

void AUTSetErrorTitle(const std::string& title) { host::g_title = title; }

int AUTLogError(const std::string& /*appName*/, int messageId, int, int, const std::string& insert1,
                const std::string& insert2) {
    std::vector<std::string> inserts;
    if (!insert1.empty() || !insert2.empty()) inserts.push_back(insert1);
    if (!insert2.empty()) inserts.push_back(insert2);
    return host::showMessage(host::g_title, messageId, inserts);
}
