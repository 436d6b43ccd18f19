#pragma once
// The message storage of the modem on the channel (message_store.h).

#include "quillet/message_store.h"

class CModem;

class ModemStore : public MessageStore {
public:
    explicit ModemStore(CModem& modem) : m_modem(modem) {}

    void Read(std::int32_t index, SlotRead& read) override;
    bool Delete(std::int32_t index) override;
    std::optional<std::vector<StorageUse>> Usage() override;
    bool SelectForReading(const std::u16string& storage) override;
    std::optional<IndexRange> Indices() override;
    bool AnnouncesArrivals() override;
    void AcknowledgeRouted() override;
    bool FellSilent() const override { return m_silent; }

private:
    // The command's answer when the modem answered "OK".
    std::optional<std::u16string> Ask(const std::u16string& line);

    CModem& m_modem;
    bool m_silent = false;
};
