#include "window_common/link_watch.h"

#include "modemlink/modem.h"

bool LinkWatch::StartsWatching() {
    if (m_watching || m_modem.IsLost() == 0) {
        return false;
    }
    m_watching = true;
    // The gone device's descriptor goes now: a module that comes back quickly may otherwise find
    // its name still taken and take another.
    m_modem.Reconnect();
    return true;
}

const char16_t* LinkWatch::LossNoticeOnce() {
    if (m_lossSaid || m_modem.IsLost() == 0) {
        return nullptr;  // said already, or back already
    }
    m_lossSaid = true;
    return kModemLostNotice;
}

const char16_t* LinkWatch::CommandMessage(bool done, const char16_t* text) {
    if (done || m_modem.IsLost() == 0) {
        return text;
    }
    m_lossSaid = true;
    return kModemLostNotice;
}

bool LinkWatch::Reconnected() {
    if (!m_watching || m_modem.Reconnect() == 0) {
        return false;
    }
    m_watching = false;
    m_lossSaid = false;
    return true;
}
