#include "platform/core/message_box.h"

#include <cstdio>
#include <mutex>

#include "platform/core/codepage.h"

namespace platform {
namespace {

std::mutex g_sinkLock;
MessageSink g_sink;

}  // namespace

void ShowMessage(const std::u16string& text) {
    MessageSink sink;
    {
        std::lock_guard<std::mutex> lock(g_sinkLock);
        sink = g_sink;
    }
    if (sink) {
        sink(text);
        return;
    }
    std::fprintf(stderr, "%s\n", Utf16ToUtf8(text).c_str());
}

MessageSink SetMessageSink(MessageSink sink) {
    std::lock_guard<std::mutex> lock(g_sinkLock);
    MessageSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    return previous;
}

}  // namespace platform
