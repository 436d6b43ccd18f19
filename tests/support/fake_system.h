#pragma once
// Installs a FakeBackend and routes messages into its call log for the lifetime of a test.

#include "platform/fake/fake_backend.h"
#include "platform/core/message_box.h"

struct FakeSystem {
    explicit FakeSystem(platform::InjectedFaults faults = {},
                        platform::TestTime time = platform::TestTime::kVirtual)
        : backend(faults, time), installed(backend), messages(backend.RecordingSink()) {}
    explicit FakeSystem(platform::TestTime time) : FakeSystem({}, time) {}

    platform::FakeBackend backend;
    platform::ScopedBackend installed;
    platform::ScopedMessageSink messages;
};

// Position of the first call that starts with `prefix`, or -1.
inline int IndexOf(const std::vector<std::string>& calls, const std::string& prefix) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].rfind(prefix, 0) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

inline int CountOf(const std::vector<std::string>& calls, const std::string& prefix) {
    int count = 0;
    for (const std::string& call : calls) {
        count += call.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return count;
}
