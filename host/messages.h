#pragma once
// The host's message output. One message service shows every message of the program:
// a message box in the window program, lines on standard error in ptpcfg, a scripted
// recorder in tests. Every message is also appended to the host's error log.
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace host {

// Buttons as the host returns them.
enum Button : int { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

// The buttons a message offers, from its resource class and style.
enum class Buttons { Ok, YesNo, YesNoCancel };

struct Message {
    int id = 0;                 // 0 for a plain message box with a fixed text
    std::string title;
    std::string text;           // inserts already put in
    std::vector<std::string> inserts;
    Buttons buttons = Buttons::Ok;
    int defaultButton = kOk;    // the preselected answer
    bool warning = false;       // exclamation style
};

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows the message and returns the pressed button.
    virtual int show(const Message& m) = 0;
};

// The service every message goes to; nullptr restores the default (standard error,
// answering with the button that changes nothing).
void setMessageService(MessageService* service);
MessageService& messageService();
bool messageServiceInstalled();
bool isMessageService(const MessageService* s);

// Where every shown message is appended; empty turns the log off.
void setErrorLogPath(const std::string& path);

// Shows message resource `id` from the string table with up to two inserts under the
// title set before. A message without a resource shows its id. Returns the button.
int showMessage(int id, const std::vector<std::string>& inserts = {});
int showMessage(const std::string& title, int id, const std::vector<std::string>& inserts = {});
// The same message with `added` as a paragraph of its own after the resource's text: the
// system's reason behind it (which file, no permission, disk full, ...).
int showMessageAdding(const std::string& title, int id, const std::string& added);

// A plain message box with a fixed text and one OK button.
void plainMessage(const std::string& title, const std::string& text);

// Prints each message to standard error as "<id>: <text>"; a question gets the answer
// given with --yes / --no, or the one that changes nothing (cancel, else no).
class StderrMessages : public MessageService {
public:
    enum class Answer { Default, Yes, No };
    explicit StderrMessages(Answer a = Answer::Default) : answer_(a) {}
    int show(const Message& m) override;
private:
    Answer answer_;
};

// Records every message and answers from a queue (then with the default button).
class RecordingMessages : public MessageService {
public:
    int show(const Message& m) override;
    void answer(int button) { answers_.push_back(button); }
    std::vector<Message> shown;
private:
    std::deque<int> answers_;
};

// Installs a service for the lifetime of the guard.
class ScopedMessageService {
public:
    explicit ScopedMessageService(MessageService& s) { setMessageService(&s); }
    ~ScopedMessageService() { setMessageService(nullptr); }
    ScopedMessageService(const ScopedMessageService&) = delete;
    ScopedMessageService& operator=(const ScopedMessageService&) = delete;
};

}  // namespace host

// The host's names for the same service.
void AUTSetErrorTitle(const std::string& title);
int AUTLogError(const std::string& appName, int messageId, int, int,
                const std::string& insert1 = {}, const std::string& insert2 = {});
