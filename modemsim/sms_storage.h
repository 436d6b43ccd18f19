#pragma once
// The SIM's message storage: a fixed number of numbered slots, each empty or holding one
// received message.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace modemsim {

inline constexpr int kSlotCount = 20;

struct StoredSms {
    std::string sender;
    std::string text;       // UTF-8
    std::string timestamp;  // as the modem shows it: "24/05/01,12:30:00+00"
    bool read = false;
};

class SmsStorage {
public:
    static bool IsValidIndex(long index) { return index >= 1 && index <= kSlotCount; }

    std::optional<int> FirstFree() const;
    // Callers check the index first; a bad one is ignored or finds nothing.
    bool IsFree(int index) const;
    void Put(int index, StoredSms sms);
    StoredSms* Find(int index);
    void Erase(int index);
    void EraseRead();
    void EraseAll();
    std::vector<std::pair<int, StoredSms>> Occupied() const;

private:
    std::array<std::optional<StoredSms>, kSlotCount> m_slots;
};

}  // namespace modemsim
