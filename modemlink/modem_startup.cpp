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
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        auto port = std::make_unique<CSerialPort>();
        if (port->Open(portName, baudRate, 8, platform::kOneStopBit, platform::kNoParity, 1, 1,
                       this) == 0) {
            return 0;  // the port has said why; opening again would only say it twice
        }
        // Owner and event first: the reader thread uses both from the moment the handler is in.
        m_pOwner = owner;
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
