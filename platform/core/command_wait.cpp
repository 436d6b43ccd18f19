#include "platform/core/command_wait.h"

namespace platform {
namespace {

thread_local CommandWaitHost* t_host = nullptr;

}  // namespace

CommandWaitHost* CurrentCommandWaitHost() {
    return t_host;
}

ScopedCommandWaitHost::ScopedCommandWaitHost(CommandWaitHost& host) : m_previous(t_host) {
    t_host = &host;
}

ScopedCommandWaitHost::~ScopedCommandWaitHost() {
    t_host = m_previous;
}

}  // namespace platform
