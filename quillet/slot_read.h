#pragma once
// What one read of a storage slot found, as the inbox (inbox.h) needs it.

#include <string>

#include "quillet/message_text.h"
#include "quillet/read_answer.h"

struct SlotRead {
    SlotAnswer answer = SlotAnswer::kUndecided;  // kUndecided: the modem fell silent undecided
    std::u16string status;  // "REC READ", "REC UNREAD", "STO SENT", ...; empty without a message
    std::u16string sender;
    ReceivedText text;
    // The header line and the text as they came: a message reads the same every time.
    std::u16string fingerprint;

    // A received message, read or not; else one the user stored or sent.
    bool IsReceived() const { return status == u"REC READ" || status == u"REC UNREAD"; }
};
