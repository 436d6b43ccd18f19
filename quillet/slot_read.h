#pragma once
// What one read of a storage slot found, as the inbox (inbox.h) needs it.

#include <string>

#include "quillet/message_text.h"
#include "quillet/read_answer.h"

struct SlotRead {
    SlotAnswer answer = SlotAnswer::kUndecided;  // kUndecided: the modem fell silent undecided
    bool received = false;  // a received message, read or not; else one the user stored or sent
    std::u16string sender;
    ReceivedText text;
    // The header line and the text as they came: a message reads the same every time.
    std::u16string fingerprint;
};
