#include "modemlink/modem.h"
#include "platform/core/backend.h"
#include "platform/core/serial_settings.h"

namespace {

constexpr int kAttempts = 2;
constexpr char16_t kProbe[] = u"AT";
// The modem's speed is fixed whatever the port is configured for.
constexpr char16_t kLineSpeed[] = u"AT+IPR=115200";

}  // namespace

std::int32_t CModem::Start(const std::u16string& portName, std::uint32_t baudRate, void* owner) {
    if (m_pPort) {
        return 0;  // started once already
    }
    m_portName = portName;
    m_baudRate = baudRate;
    m_pOwner = owner;
    const std::int32_t started = StartUp(OpenFailures::kShow);
    if (started == 0) {
        DropPort();
        m_lost = true;  // looked for from now on, quietly (Reconnect)
    }
    return started;
}

// While the device is gone, each call costs no wait: the first one that finds the port there
// again opens it and writes "AT"; a later one that finds "OK" come back runs the start-up. A
// device that is back before its modem answers (a module still booting) thus never holds the
// window up for the start-up's silences.
std::int32_t CModem::Reconnect() {
    if (!m_lost.load()) {
        return m_pPort ? 1 : 0;
    }
    if (m_pPort && m_pPort->IsLost() == 1) {
        DropPort();  // its descriptor is let go: until then the system keeps the gone device
    }
    if (!m_pPort) {
        if (OpenPort(OpenFailures::kQuiet)) {
            WriteLine(kProbe, Nuls::kCut);
        }
        return 0;
    }
    if (!ProbeAnswered()) {
        WriteLine(kProbe, Nuls::kCut);
        return 0;
    }
    m_lost = false;
    if (StartUp(OpenFailures::kQuiet) == 0 || m_lost.load()) {
        DropPort();
        m_lost = true;
        return 0;
    }
    return 1;
}

bool CModem::ProbeAnswered() {
    bool answered = false;
    {
        std::lock_guard<std::mutex> lock(m_responseLock);
        answered = DecideFinalResult(m_response) == FinalResult::kOk;
    }
    ResetResponse();
    return answered;
}

bool CModem::OpenPort(OpenFailures failures) {
    auto port = std::make_unique<CSerialPort>();
    port->ShowOpenFailures(failures == OpenFailures::kShow);
    if (port->Open(m_portName, m_baudRate, 8, platform::kOneStopBit, platform::kNoParity, 1, 1,
                   this) == 0) {
        return false;
    }
    // The event first: the reader thread uses it from the moment the handler is in.
    m_hResponseEvent = platform::System().CreateManualResetEvent();
    m_pPort = std::move(port);
    m_pPort->m_pfnData = &CModem::OnSerialData;
    m_pPort->m_pfnLost = &CModem::OnPortLost;
    // Gone before the handler was in: the port said so to nobody.
    if (m_pPort->IsLost() == 1) {
        OnPortLost(this);
    }
    // A character cut in two by a loss must not run into the first one of the device.
    m_decoder.Restart();
    return true;
}

// The first attempt uses a port already open (by Reconnect).
std::int32_t CModem::StartUp(OpenFailures failures) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!m_pPort && !OpenPort(failures)) {
            return 0;  // the port has said why; opening again would only say it twice
        }
        RunCommand(kProbe);
        RunCommand(kProbe);
        if (RunCommand(kLineSpeed) == 1) {
            m_setupAt = platform::System().Now();
            RunSetup(m_setupCommands);
            return 1;
        }
        DropPort();
    }
    return 0;
}

void CModem::RunSetup(const SetupCommands& commands) {
    SetupCommands refused;
    for (const std::u16string& command : commands) {
        if (RunCommand(command) != 1 && IsLost() == 0) {
            refused.push_back(command);
        }
    }
    m_refusedSetup = std::move(refused);
}

std::int32_t CModem::RetrySetup() {
    const bool patient =
        platform::System().Now() < platform::AfterMs(m_setupAt, kSetupPatienceMs);
    if (!m_pPort || IsLost() == 1 || !patient) {
        m_refusedSetup.clear();
        return 0;
    }
    RunSetup(SetupCommands(m_refusedSetup));
    return m_refusedSetup.empty() ? 0 : 1;
}

std::int32_t CModem::RerunSetup() {
    if (!m_pPort || IsLost() == 1) {
        return 0;
    }
    m_setupAt = platform::System().Now();
    RunSetup(m_setupCommands);
    return m_refusedSetup.empty() ? 0 : 1;
}

std::int32_t CModem::Restart() {
    if (!m_pPort || IsLost() == 1) {
        return 0;
    }
    if (StartUp(OpenFailures::kQuiet) == 1 && IsLost() == 0) {
        return 1;
    }
    DropPort();
    m_lost = true;
    return 0;
}
