#pragma once
// Records every user-facing message (the platform's message sink) for as long as it lives,
// instead of showing it.

#include <string>
#include <vector>

#include "platform/core/message_box.h"

struct RecordedMessages {
    std::vector<std::u16string> texts;
    platform::ScopedMessageSink sink{[this](const std::u16string& text) { texts.push_back(text); }};
};
