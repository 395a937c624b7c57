#include "tests/support/message_recorder.h"

namespace support {

MessageRecorder::MessageRecorder() { host::setMessageService(this); }

MessageRecorder::~MessageRecorder() {
    if (host::isMessageService(this)) host::setMessageService(nullptr);
}

std::vector<int> MessageRecorder::ids() const {
    std::vector<int> v;
    for (const auto& m : shown) v.push_back(m.id);
    return v;
}

}  // namespace support
