#include "modemsim/at/modem_state.h"

namespace modemsim {

void RestoreProfile(Settings& settings) {
    const Settings defaults;
    settings.echo = defaults.echo;
    settings.clip = defaults.clip;
    settings.cring = defaults.cring;
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

void Connect(Call& call) {
    call.connected = true;
    call.connectedAt = std::chrono::steady_clock::now();
}

long long CallSeconds(const Call& call) {
    if (!call.connected) {
        return 0;
    }
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() -
                                                            call.connectedAt)
        .count();
}

namespace {

// What the SMS profile's row decides at power-on.
void TakeRowDefaults(ModemState& state) {
    const MessageHabits& habits = HabitsOf(state.smsProfile);
    state.settings.memories = habits.memories;
    state.settings.newMessageIndication = habits.indications;
    state.settings.codingScheme = habits.codingScheme;
    state.simBusy = habits.simBusyAtPowerOn;
}

}  // namespace

void PowerOn(ModemState& state) {
    Settings settings;
    settings.scaNumber = state.settings.scaNumber;
    settings.scaType = state.settings.scaType;
    settings.registration = state.settings.registration;
    state.settings = settings;
    TakeRowDefaults(state);
    state.settings.hangUpMode = ReportsOf(state.callProfile).hangUpMode;
    state.pendingSend.reset();
    EndCall(state.call);
    state.sim.unlocked = false;
    ++state.powerOns;
}

SimStatus StatusOf(const SimCard& sim) {
    if (!sim.inserted) {
        return SimStatus::kAbsent;
    }
    if (sim.pin.empty() || sim.unlocked) {
        return SimStatus::kReady;
    }
    return sim.pinTriesLeft > 0 ? SimStatus::kPin : SimStatus::kPuk;
}

bool IsPinFormat(std::string_view pin) {
    return pin.size() >= 4 && pin.size() <= 8 &&
           pin.find_first_not_of("0123456789") == std::string_view::npos;
}

bool UseSmsProfile(ModemState& state, SmsProfile profile) {
    const MessageHabits& habits = HabitsOf(profile);
    SmsStorage sim = state.storage;
    SmsStorage phone = state.phoneStorage;
    if (!sim.Renumber(habits.firstIndex, habits.simSlots) ||
        !phone.Renumber(habits.firstIndex, habits.phoneSlots)) {
        return false;
    }
    state.storage = std::move(sim);
    state.phoneStorage = std::move(phone);
    state.smsProfile = profile;
    TakeRowDefaults(state);
    return true;
}

int TakeReference(ModemState& state) {
    const int reference = state.nextReference;
    state.nextReference = (reference + 1) % 256;
    return reference;
}

SmsStorage EmptyStorage(SmsProfile profile, Memory memory) {
    const MessageHabits& habits = HabitsOf(profile);
    return SmsStorage(habits.firstIndex,
                      memory == Memory::kPhone ? habits.phoneSlots : habits.simSlots);
}

SmsStorage::SmsStorage(int first, int size)
    : m_first(first), m_slots(static_cast<std::size_t>(size)) {}

std::string SmsStorage::Range() const {
    return std::to_string(First()) + ".." + std::to_string(Last());
}

std::optional<int> SmsStorage::FirstFree() const {
    for (int index = m_first; index <= Last(); ++index) {
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

std::vector<std::pair<int, StoredSms>> SmsStorage::Occupied() const {
    std::vector<std::pair<int, StoredSms>> messages;
    for (int index = m_first; index <= Last(); ++index) {
        if (m_slots[Position(index)]) {
            messages.emplace_back(index, *m_slots[Position(index)]);
        }
    }
    return messages;
}

bool SmsStorage::Renumber(int first, int size) {
    const auto kept = static_cast<std::size_t>(size);
    for (std::size_t i = kept; i < m_slots.size(); ++i) {
        if (m_slots[i]) {
            return false;
        }
    }
    m_slots.resize(kept);
    m_first = first;
    return true;
}

}  // namespace modemsim
