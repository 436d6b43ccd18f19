#include "window_common/link_watch.h"

#include "modemlink/modem.h"
#include "platform/core/failure_report.h"

void LinkWatch::StartFailed() {
    // A device that did not open has said why already (the port's own line).
    if (!m_modem.LastFailure().empty()) {
        platform::ReportCommandFailure("start-up", m_modem.LastFailure());
    }
    m_lossSaid = true;
    m_neverStarted = true;
}

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
    if (done || m_modem.IsLost() == 0 || m_neverStarted) {
        return text;
    }
    m_lossSaid = true;
    return kModemLostNotice;
}

const char16_t* LinkWatch::Reconnected() {
    if (!m_watching || m_modem.Reconnect() == 0) {
        return nullptr;
    }
    const char16_t* notice = m_neverStarted ? kModemFoundNotice : kModemBackNotice;
    m_watching = false;
    m_lossSaid = false;
    m_neverStarted = false;
    return notice;
}
