#include "quillet/modem_store.h"

#include "modemlink/modem.h"
#include "quillet/slot_read.h"
#include "quillet/storage_answers.h"

namespace {

constexpr std::uint32_t kStorageSilenceMs = 2000;

}  // namespace

std::optional<std::u16string> ModemStore::Ask(const std::u16string& line) {
    std::u16string answer;
    // A storage answers at once when it answers at all, but some take longer than other commands.
    const std::int32_t result = m_modem.Ask(line, answer, kStorageSilenceMs);
    m_silent = result < 0;
    return result == 1 ? std::optional<std::u16string>(answer) : std::nullopt;
}

void ModemStore::Read(std::int32_t index, SlotRead& read) {
    m_modem.ReadSlot(index, read);
    m_silent = read.answer == SlotAnswer::kUndecided;
}

bool ModemStore::Delete(std::int32_t index) {
    m_silent = false;
    return m_modem.DeleteSms(index) == 1;
}

std::optional<std::vector<StorageUse>> ModemStore::Usage() {
    const std::optional<std::u16string> answer = Ask(u"AT+CPMS?");
    return answer ? ParseStorageUse(*answer) : std::nullopt;
}

bool ModemStore::SelectForReading(const std::u16string& storage) {
    return Ask(u"AT+CPMS=\"" + storage + u"\"").has_value();
}

std::optional<IndexRange> ModemStore::Indices() {
    const std::optional<std::u16string> answer = Ask(u"AT+CMGD=?");
    return answer ? ParseIndexRange(*answer) : std::nullopt;
}

// <mt> 1 stores and announces; 2 and 3 hand class 0 and 1 messages over directly, which the
// channel turns into events too: either way nothing arrives unannounced.
bool ModemStore::AnnouncesArrivals() {
    const std::optional<std::u16string> answer = Ask(u"AT+CNMI?");
    const std::optional<std::int32_t> mt = answer ? ParseArrivalMode(*answer) : std::nullopt;
    return mt && *mt >= 1 && *mt <= 3;
}

// A modem in phase 2 answers "+CMS ERROR: 340" (no acknowledgement expected): nothing lost.
void ModemStore::AcknowledgeRouted() {
    Ask(u"AT+CNMA");
}
