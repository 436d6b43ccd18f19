#pragma once
// Records the events a channel raises on its reader thread, for the dialer's tests to look at or
// wait for.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct ChannelEvent {
    std::int32_t code;
    std::u16string text;
    bool operator==(const ChannelEvent& other) const {
        return code == other.code && text == other.text;
    }
};

inline std::ostream& operator<<(std::ostream& out, const ChannelEvent& event) {
    out << "{" << event.code << ", \"";
    for (char16_t unit : event.text) {
        out << (unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return out << "\"}";
}

class ChannelEvents {
public:
    // The channel's event handler; the owner passed to Start must be this recorder.
    static void OnEvent(void* owner, std::int32_t code, std::u16string text) {
        auto* self = static_cast<ChannelEvents*>(owner);
        std::lock_guard<std::mutex> guard(self->m_lock);
        self->m_events.push_back({code, std::move(text)});
        self->m_arrived.notify_all();
    }

    std::vector<ChannelEvent> Take() {
        std::lock_guard<std::mutex> guard(m_lock);
        return std::exchange(m_events, {});
    }

    // False when fewer than `count` events have arrived within the time.
    bool WaitFor(std::size_t count, std::chrono::milliseconds within) {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_arrived.wait_for(guard, within, [&] { return m_events.size() >= count; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_arrived;
    std::vector<ChannelEvent> m_events;
};
