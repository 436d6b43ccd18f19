#include "modemsim/at/modem_state.h"

namespace modemsim {

void RestoreProfile(Settings& settings) {
    const Settings defaults;
    settings.echo = defaults.echo;
    settings.clip = defaults.clip;
    settings.textMode = defaults.textMode;
    settings.charset = defaults.charset;
    settings.cregMode = defaults.cregMode;
    settings.errorMode = defaults.errorMode;
}

SmsStorage& StorageOf(ModemState& state, Memory memory) {
    return memory == Memory::kPhone ? state.phoneStorage : state.storage;
}

const SmsStorage& StorageOf(const ModemState& state, Memory memory) {
    return memory == Memory::kPhone ? state.phoneStorage : state.storage;
}

SmsStorage& ReceivingStorage(ModemState& state) {
    return StorageOf(state, state.settings.memories[2]);
}

int EffectiveRegistration(const Settings& settings) {
    return settings.functionality == 1 ? settings.registration : 0;
}

void EndCall(Call& call) {
    call.phase = CallPhase::kIdle;
    call.outgoing = false;
    call.connected = false;
    call.number.clear();
    ++call.generation;
}

void PowerOn(ModemState& state) {
    Settings settings;
    settings.scaNumber = state.settings.scaNumber;
    settings.scaType = state.settings.scaType;
    settings.registration = state.settings.registration;
    state.settings = settings;
    state.pendingSend.reset();
    EndCall(state.call);
}

int TakeReference(ModemState& state) {
    const int reference = state.nextReference;
    state.nextReference = (reference + 1) % 256;
    return reference;
}

namespace {

std::size_t Position(int index) {
    return static_cast<std::size_t>(index - 1);
}

}  // namespace

std::optional<int> SmsStorage::FirstFree() const {
    for (int index = 1; index <= kSlotCount; ++index) {
        if (IsFree(index)) {
            return index;
        }
    }
    return std::nullopt;
}

int SmsStorage::Used() const {
    int used = 0;
    for (const auto& slot : m_slots) {
        used += slot ? 1 : 0;
    }
    return used;
}

bool SmsStorage::IsFree(int index) const {
    return IsValidIndex(index) && !m_slots[Position(index)].has_value();
}

void SmsStorage::Put(int index, StoredSms sms) {
    if (IsValidIndex(index)) {
        m_slots[Position(index)] = std::move(sms);
    }
}

StoredSms* SmsStorage::Find(int index) {
    if (!IsValidIndex(index) || !m_slots[Position(index)]) {
        return nullptr;
    }
    return &*m_slots[Position(index)];
}

void SmsStorage::Erase(int index) {
    if (IsValidIndex(index)) {
        m_slots[Position(index)].reset();
    }
}

void SmsStorage::EraseRead() {
    for (auto& slot : m_slots) {
        if (slot && slot->read) {
            slot.reset();
        }
    }
}

void SmsStorage::EraseAll() {
    for (auto& slot : m_slots) {
        slot.reset();
    }
}

std::vector<std::pair<int, StoredSms>> SmsStorage::Occupied() const {
    std::vector<std::pair<int, StoredSms>> messages;
    for (int index = 1; index <= kSlotCount; ++index) {
        if (m_slots[Position(index)]) {
            messages.emplace_back(index, *m_slots[Position(index)]);
        }
    }
    return messages;
}

}  // namespace modemsim
