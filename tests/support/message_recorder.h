#pragma once
// The message service of a test: records every message, answers from a script.
#include <vector>

#include "host/messages.h"

namespace support {

// Installed as the program's message service while it lives; `answer()` queues the buttons
// the next questions get, the rest get their default button.
class MessageRecorder : public host::RecordingMessages {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // The ids of the messages shown so far, in order.
    std::vector<int> ids() const;
};

}  // namespace support
