#pragma once
// Where the modem link's user-facing messages go. The window layer installs a modal box, tests a
// recorder; until then the text goes to stderr. ShowMessage blocks as long as the sink does.

#include <functional>
#include <string>

namespace platform {

using MessageSink = std::function<void(const std::u16string& text)>;

void ShowMessage(const std::u16string& text);

// Replaces the sink and returns the previous one (an empty sink restores the stderr default).
MessageSink SetMessageSink(MessageSink sink);

class ScopedMessageSink {
public:
    explicit ScopedMessageSink(MessageSink sink) : m_previous(SetMessageSink(std::move(sink))) {}
    ~ScopedMessageSink() { SetMessageSink(std::move(m_previous)); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    MessageSink m_previous;
};

}  // namespace platform
