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
    return StartUp(OpenFailures::kShow);
}

std::int32_t CModem::Reconnect() {
    if (!m_lost.load()) {
        return m_pPort ? 1 : 0;
    }
    // The gone device's descriptor is let go first: until then the system keeps its node.
    DropPort();
    m_lost = false;
    if (StartUp(OpenFailures::kQuiet) == 0) {
        DropPort();
        m_lost = true;
        return 0;
    }
    return 1;
}

std::int32_t CModem::StartUp(OpenFailures failures) {
    // A character cut in two by the loss must not run into the first one of the new device.
    m_decoder.Restart();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        auto port = std::make_unique<CSerialPort>();
        port->ShowOpenFailures(failures == OpenFailures::kShow);
        if (port->Open(m_portName, m_baudRate, 8, platform::kOneStopBit, platform::kNoParity, 1, 1,
                       this) == 0) {
            return 0;  // the port has said why; opening again would only say it twice
        }
        // The event first: the reader thread uses it from the moment the handler is in.
        m_hResponseEvent = platform::System().CreateManualResetEvent();
        m_pPort = std::move(port);
        m_pPort->m_pfnData = &CModem::OnSerialData;
        m_pPort->m_pfnLost = &CModem::OnPortLost;

        RunCommand(kProbe);
        RunCommand(kProbe);
        if (RunCommand(kLineSpeed) == 1) {
            for (const std::u16string& command : m_setupCommands) {
                RunCommand(command);
            }
            return 1;
        }
        DropPort();
    }
    return 0;
}
