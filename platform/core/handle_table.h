#pragma once
// Maps handle numbers to shared objects. A caller looks an object up and keeps its own reference
// while it works, so closing a handle on one thread never frees an object another thread is still
// inside (a read blocked on a device, a wait on an event).

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform {

// One counter for every table, so a thread's number is never also an event's.
std::intptr_t NextHandleValue();

template <class T>
class HandleTable {
public:
    std::intptr_t Add(std::shared_ptr<T> object) {
        const std::intptr_t value = NextHandleValue();
        std::lock_guard<std::mutex> lock(m_lock);
        m_objects.emplace(value, std::move(object));
        return value;
    }

    std::shared_ptr<T> Find(std::intptr_t value) const {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_objects.find(value);
        return it == m_objects.end() ? nullptr : it->second;
    }

    std::shared_ptr<T> Remove(std::intptr_t value) {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_objects.find(value);
        if (it == m_objects.end()) {
            return nullptr;
        }
        std::shared_ptr<T> object = std::move(it->second);
        m_objects.erase(it);
        return object;
    }

    // Every object at this moment; the table's lock is held only while they are listed.
    std::vector<std::shared_ptr<T>> All() const {
        std::lock_guard<std::mutex> lock(m_lock);
        std::vector<std::shared_ptr<T>> objects;
        objects.reserve(m_objects.size());
        for (const auto& entry : m_objects) {
            objects.push_back(entry.second);
        }
        return objects;
    }

private:
    mutable std::mutex m_lock;
    std::unordered_map<std::intptr_t, std::shared_ptr<T>> m_objects;
};

}  // namespace platform
