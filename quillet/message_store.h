#pragma once
// What the inbox (inbox.h) asks of the modem's message storage. The modem reads and deletes in
// one storage at a time (the first of AT+CPMS), and may file arrivals in another.
//
//   AT+CPMS?             +CPMS: "SM",1,20,"SM",1,20,"ME",2,25    (read, write, receive storage)
//   AT+CPMS="ME"         reads and deletes now reach "ME"; the other two stay
//   AT+CMGD=?            +CMGD: (0-19),(0-4)    the indices a slot can have: from 0 or from 1
//   AT+CNMI?             +CNMI: 2,1,0,0,0       <mt> 1: each message stored is announced
//   AT+CNMA              takes a routed message, for a modem that waits for that (AT+CSMS=1)
// The production implementation runs the commands on the channel (modem_store.h); the inbox's
// tests script the answers.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SlotRead;

struct StorageUse {
    std::u16string name;  // upper case; empty when the modem does not name it
    std::int32_t used = 0;
    std::int32_t total = 0;
};

// A slot: its storage's name (empty: the one that reads reach, unnamed) and its index.
struct SlotPlace {
    std::u16string storage;
    std::int32_t index = 0;
    bool operator<(const SlotPlace& other) const {
        return storage != other.storage ? storage < other.storage : index < other.index;
    }
    bool operator==(const SlotPlace& other) const {
        return storage == other.storage && index == other.index;
    }
};

struct IndexRange {
    std::int32_t first = 1;
    std::int32_t last = 0;
};

class MessageStore {
public:
    virtual ~MessageStore() = default;

    // In the storage that reads reach now.
    virtual void Read(std::int32_t index, SlotRead& read) = 0;
    virtual bool Delete(std::int32_t index) = 0;
    // Each storage that AT+CPMS? names, once, in its order; nothing when the modem refuses it or
    // answers in a form not understood.
    virtual std::optional<std::vector<StorageUse>> Usage() = 0;
    virtual bool SelectForReading(const std::u16string& storage) = 0;
    virtual std::optional<IndexRange> Indices() = 0;
    // Whether the modem announces each message it stores (+CMTI).
    virtual bool AnnouncesArrivals() = 0;
    virtual void AcknowledgeRouted() = 0;
    // Whether the modem left the last of these commands unanswered: it has fallen silent, and
    // every further command would cost its whole silence.
    virtual bool FellSilent() const = 0;
};
