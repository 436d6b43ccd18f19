#include <optional>
#include <utility>

#include "modemlink/modem.h"
#include "modemlink/error_meanings.h"
#include "platform/core/backend.h"
#include "platform/core/command_wait.h"

namespace {

// An AT answer is a few hundred characters. A port that never stops talking (a modem's
// diagnostic port, a modem stuck in a data call) must neither hold a command forever nor fill
// memory: past this size the answer counts as a failure.
constexpr std::size_t kMaxResponseUnits = 64 * 1024;
// Stands in the answer for the bytes after a chunk's first NUL, which the converter drops.
constexpr char16_t kCutMark = u'\uFFFD';

// Adds a chunk's text to the answer; false when the chunk brings no new text. The mark keeps the
// text before a cut and the next chunk's text from joining into a code the modem never sent
// ("OK", NUL, then "\r\n" in the next chunk). A mark right after a mark adds nothing, so a line
// that sends only NULs (as a port whose modem lost power may) cannot hold a command past its
// silence time-out.
bool AddChunkText(std::u16string& response, std::u16string text, bool cut) {
    if (cut && (!text.empty() || response.empty() || response.back() != kCutMark)) {
        text.push_back(kCutMark);
    }
    if (text.empty()) {
        return false;
    }
    if (response.size() <= kMaxResponseUnits) {
        response += text;
    }
    return true;
}

// Adds a chunk whose NULs are characters; false when it holds nothing else, so that a line
// sending only NULs still cannot hold a command past its silence time-out.
bool AddChunkWithNuls(std::u16string& response, const std::u16string& chunk) {
    if (response.size() <= kMaxResponseUnits) {
        response += chunk;
    }
    return chunk.find_first_not_of(u'\0') != std::u16string::npos;
}

}  // namespace

std::int32_t EventOf(MessageReportKind kind) {
    switch (kind) {
        case MessageReportKind::kStored:
            return EVT_MESSAGE_STORED;
        case MessageReportKind::kRouted:
            return EVT_MESSAGE_ROUTED;
        case MessageReportKind::kReady:
            return EVT_MODEM_READY;
        case MessageReportKind::kReset:
            return EVT_MODEM_RESET;
        case MessageReportKind::kCall:
            break;  // by its line: CModem::EventsOf
    }
    return EVT_MESSAGE_STORED;
}

std::optional<std::int32_t> CallReportEvent(CallReport report) {
    switch (report) {
        case CallReport::kEnded:
            return EVT_NO_CARRIER;
        case CallReport::kConnected:
            return std::nullopt;
        case CallReport::kBusy:
            return EVT_BUSY;
        case CallReport::kNoAnswer:
            return EVT_NO_ANSWER;
        case CallReport::kNoDialTone:
            return EVT_NO_DIALTONE;
    }
    return EVT_NO_CARRIER;
}

CModem::CModem(SetupCommands setupCommands) : m_setupCommands(std::move(setupCommands)) {}

CModem::~CModem() {
    if (m_pPort && m_pPort->IsOpen()) {
        m_pPort->Close();
    }
    DropPort();
}

void CModem::DropPort() {
    // The port's destructor waits for the reader thread, so no chunk can touch the event after.
    m_pPort.reset();
    if (m_hResponseEvent) {
        platform::System().CloseEvent(m_hResponseEvent);
        m_hResponseEvent = platform::EventHandle{};
    }
}

std::int32_t CModem::SendLine(std::u16string text) {
    return SendCommandLine(text, Nuls::kCut);
}

void CModem::BeginCollecting(Nuls nuls) {
    std::lock_guard<std::mutex> lock(m_responseLock);
    m_collecting = 1;
    m_keepNuls = nuls == Nuls::kKeep;
}

std::int32_t CModem::SendCommandLine(const std::u16string& text, Nuls nuls) {
    const std::optional<std::u16string> line = CommandLineText(text);
    platform::CommandWaitHost* const host = platform::CurrentCommandWaitHost();
    if (host != nullptr && !host->Wanted()) {
        return 0;  // the window has gone: nobody reads a failure now
    }
    m_lastLine = text;
    if (!m_pPort || IsLost() == 1) {
        NoteFailure(m_pPort ? "the modem's device has gone" : "the modem did not start");
        return 0;
    }
    if (!line) {
        NoteFailure("a character that no command line can carry");
        return 0;
    }
    WriteLine(*line, nuls);
    return 1;
}

void CModem::WriteLine(const std::u16string& line, Nuls nuls) {
    m_lastLine = line;
    // Before anything is written, so no part of the answer can be missed.
    BeginCollecting(nuls);
    const std::vector<std::uint8_t> bytes = EncodeLine(line, "\r\n");
    m_pPort->Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

std::int32_t CModem::RunCommand(const std::u16string& line, Decide decide) {
    return SendLine(line) == 1 ? WaitResult(decide) : 0;
}

FinalResult CModem::ExamineResponse(
    const std::function<FinalResult(const std::u16string&)>& decide) {
    std::lock_guard<std::mutex> lock(m_responseLock);
    const FinalResult result = decide(m_response);
    if (result != FinalResult::kNone) {
        return result;
    }
    // A device that has gone answers no more: what came is all there is.
    if (m_response.size() > kMaxResponseUnits || IsLost() == 1) {
        return FinalResult::kError;
    }
    platform::System().ResetEvent(m_hResponseEvent);
    return result;
}

namespace {

// Begins and ends a wait on the thread's host, if it has one.
class HostedWait {
public:
    explicit HostedWait(platform::CommandWaitHost* host) : m_host(host) {
        if (m_host != nullptr) {
            m_host->WaitBegins();
        }
    }
    ~HostedWait() {
        if (m_host != nullptr) {
            m_host->WaitEnds();
        }
    }
    HostedWait(const HostedWait&) = delete;
    HostedWait& operator=(const HostedWait&) = delete;

private:
    platform::CommandWaitHost* m_host;
};

}  // namespace

// With a host, the wait is cut into slices of at most kServeEveryMs, the host served between
// them; the answer still ends a slice the moment it comes, and the silence and the limit are
// measured as without one.
CModem::WaitOutcome CModem::AwaitAnswer(const AnswerWait& wait) {
    platform::Backend& system = platform::System();
    platform::CommandWaitHost* const host = platform::CurrentCommandWaitHost();
    const HostedWait hosted(host);
    const platform::TimePoint start = system.Now();
    const platform::TimePoint never = platform::TimePoint::max();
    const platform::TimePoint limit = wait.limitMs > 0 ? platform::AfterMs(start, wait.limitMs) : never;
    platform::TimePoint quietAt = wait.silenceMs > 0 ? platform::AfterMs(start, wait.silenceMs) : never;
    const std::uint32_t serveMs = platform::CommandWaitHost::kServeEveryMs;
    platform::TimePoint serveAt = host != nullptr ? platform::AfterMs(start, serveMs) : never;
    std::size_t reached = 0;
    WaitOutcome outcome;
    while (host == nullptr || host->Wanted()) {
        const platform::TimePoint end = std::min(quietAt, limit);
        const platform::WaitStatus status =
            system.WaitForEventUntil(m_hResponseEvent, std::min(end, serveAt));
        if (status == platform::WaitStatus::kSignaled) {
            outcome.heard = true;
            std::size_t progress = 0;
            outcome.result = ExamineResponse(
                [&](const std::u16string& answer) { return wait.decide(answer, progress); });
            if (outcome.result != FinalResult::kNone) {
                if (outcome.result == FinalResult::kError) {
                    NoteWaitFailure(outcome, wait, false);
                }
                return outcome;
            }
            if (progress > reached && wait.silenceMs > 0) {
                reached = progress;
                quietAt = platform::AfterMs(system.Now(), wait.silenceMs);
            }
        } else if (status != platform::WaitStatus::kTimeout || system.Now() >= end) {
            NoteWaitFailure(outcome, wait, system.Now() >= limit);
            return outcome;
        }
        if (system.Now() >= serveAt) {
            host->Serve();
            serveAt = platform::AfterMs(system.Now(), serveMs);
        }
    }
    return WaitOutcome{};  // given up: nothing decided, nothing taken as heard
}

namespace {

// A command as a log names it: without its arguments, so neither a number nor a PIN shows.
std::string CommandName(const std::u16string& line) {
    std::size_t end = line.size();
    if (line.rfind(u"ATD", 0) == 0) {
        end = 3;
    } else if (line.rfind(u"AT", 0) == 0) {
        end = std::min(line.find_first_of(u"=?"), line.size());
    }
    std::string name;
    for (std::size_t i = 0; i < end; ++i) {
        name.push_back(line[i] >= 0x20 && line[i] < 0x7F ? static_cast<char>(line[i]) : '?');
    }
    return name;
}

std::string Duration(std::uint32_t ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

}  // namespace

void CModem::NoteFailure(const std::string& reason) {
    m_lastFailure = CommandName(m_lastLine) + ": " + reason;
}

void CModem::NoteWaitFailure(const WaitOutcome& outcome, const AnswerWait& wait,
                             bool limitReached) {
    if (IsLost() == 1) {
        NoteFailure("the modem's device went away");
    } else if (outcome.result == FinalResult::kError) {
        NoteFailure(ExplainedErrorLine(FailureLineOf(Response())));
    } else if (limitReached) {
        NoteFailure("no result within " + Duration(wait.limitMs));
    } else if (outcome.heard) {
        NoteFailure("no final result, then " + Duration(wait.silenceMs) + " of silence");
    } else {
        NoteFailure("no answer within " + Duration(wait.silenceMs));
    }
}

std::int32_t CModem::Ask(const std::u16string& line, std::u16string& answer,
                         std::uint32_t silenceMs) {
    if (SendLine(line) == 0) {
        return 0;
    }
    std::u16string taken;
    const auto decide = [&](const std::u16string& response) {
        const FinalResult result = DecideFinalResult(response);
        if (result == FinalResult::kOk) {
            taken = response;  // under the lock, in the look that decided
        }
        return result;
    };
    const WaitOutcome outcome = AwaitAnswer(EveryUnit(decide, silenceMs));
    ResetResponse();
    if (outcome.result == FinalResult::kNone) {
        return -1;
    }
    if (outcome.result == FinalResult::kOk) {
        answer = std::move(taken);
    }
    return outcome.result == FinalResult::kOk ? 1 : 0;
}

std::int32_t CModem::WaitResult() {
    return WaitResult(DecideFinalResult);
}

std::int32_t CModem::WaitResult(Decide decide) {
    const FinalResult result =
        m_pPort ? AwaitAnswer(EveryUnit(decide, kSilenceMs)).result : FinalResult::kNone;
    ResetResponse();
    return result == FinalResult::kOk ? 1 : 0;
}

void CModem::ResetResponse() {
    std::vector<MessageReport> reports;
    bool simError = false;
    {
        std::lock_guard<std::mutex> lock(m_responseLock);
        reports = MessageReportsInAnswer(m_response);
        simError = m_collecting == 1 && HasSimError(m_response);
        m_collecting = 0;
        m_keepNuls = false;
        m_response.clear();
        if (m_hResponseEvent) {
            // While the device is gone no wait may block: the answer it waits for cannot come.
            if (m_lost.load()) {
                platform::System().SetEvent(m_hResponseEvent);
            } else {
                platform::System().ResetEvent(m_hResponseEvent);
            }
        }
    }
    DeliverReports(reports);
    const ModemEventCallback handler = m_pfnEvent.load();
    if (simError && handler != nullptr && IsLost() == 0) {
        handler(m_pOwner, EVT_SIM_ERROR, std::u16string());
    }
}

// A RING is paired with the +CLIP line right after it. When that line has not come with it (cut
// between two reads), the ring goes out without a number and again with it when the line comes.
std::vector<CModem::ModemEvent> CModem::EventsOf(const std::vector<MessageReport>& reports) {
    std::lock_guard<std::mutex> lock(m_callLock);
    std::vector<ModemEvent> events;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const MessageReport& report = reports[i];
        const bool ringLeftOpen = std::exchange(m_ringWithoutNumber, false);
        if (report.kind != MessageReportKind::kCall) {
            events.push_back({EventOf(report.kind), report.text});
        } else if (IsRingLine(report.text)) {
            const bool numberFollows = i + 1 < reports.size() &&
                                       reports[i + 1].kind == MessageReportKind::kCall &&
                                       IsCallerLine(reports[i + 1].text);
            events.push_back({EVT_RING, numberFollows ? CallerNumber(reports[++i].text) : u""});
            m_ringWithoutNumber = !numberFollows;
        } else if (IsCallerLine(report.text)) {
            if (ringLeftOpen) {
                events.push_back({EVT_RING, CallerNumber(report.text)});
            }
        } else if (const std::optional<CallReport> call = CallReportOfLine(report.text)) {
            if (const std::optional<std::int32_t> event = CallReportEvent(*call)) {
                events.push_back({*event, std::u16string()});
            }
        }
    }
    return events;
}

void CModem::DeliverReports(const std::vector<MessageReport>& reports) {
    const ModemEventCallback handler = m_pfnEvent.load();
    if (handler == nullptr || IsLost() == 1) {
        return;
    }
    for (ModemEvent& event : EventsOf(reports)) {
        handler(m_pOwner, event.code, std::move(event.text));
    }
}

// Under the lock, while collecting.
bool CModem::CollectChunk(const std::u16string& chunk) {
    if (m_keepNuls) {
        return AddChunkWithNuls(m_response, chunk);
    }
    const std::size_t nul = chunk.find(u'\0');
    return AddChunkText(m_response, chunk.substr(0, nul), nul != std::u16string::npos);
}

void CModem::OnSerialData(void* channel, const std::uint8_t* bytes, std::int32_t count) {
    auto* self = static_cast<CModem*>(channel);
    if (self == nullptr || bytes == nullptr || count <= 0) {
        return;
    }
    const std::u16string whole = self->m_decoder.Decode(bytes, static_cast<std::size_t>(count));
    const platform::TimePoint now = platform::System().Now();
    std::vector<MessageReport> reports;
    bool collecting = false;
    {
        std::lock_guard<std::mutex> lock(self->m_responseLock);
        collecting = self->m_collecting == 1;
        if (collecting) {
            // A report the modem had begun before the command is finished before its answer.
            const std::size_t owed = self->m_reportLines.TakeOwed(whole, now, reports);
            if (self->CollectChunk(whole.substr(owed))) {
                platform::System().SetEvent(self->m_hResponseEvent);
            }
        } else {
            // Back to a clean idle state now, not after the handlers: a command that the window
            // starts while a handler runs must keep its collecting flag.
            self->m_response.clear();
            platform::System().ResetEvent(self->m_hResponseEvent);
        }
    }
    if (collecting) {
        self->DeliverReports(reports);
    } else if (self->IsLost() == 0) {
        // A device that is only being probed (Reconnect) has not been started: what it reports
        // is no news for the window, which hears from the start-up soon enough.
        self->OnIdleText(whole, now);
    }
}

// The reports of the lines that this chunk completes, in their order.
void CModem::OnIdleText(const std::u16string& chunk, platform::TimePoint now) {
    DeliverReports(m_reportLines.Add(chunk, now));
}

void CModem::OnPortLost(void* channel) {
    auto* self = static_cast<CModem*>(channel);
    if (self == nullptr) {
        return;
    }
    bool known = false;
    {
        // A command waiting now wakes, finds the device gone and ends.
        std::lock_guard<std::mutex> lock(self->m_responseLock);
        known = self->m_lost.exchange(true);
        platform::System().SetEvent(self->m_hResponseEvent);
    }
    // A port that goes while the channel looks for the device to come back is no news.
    const ModemEventCallback handler = self->m_pfnEvent.load();
    if (!known && handler != nullptr) {
        handler(self->m_pOwner, EVT_MODEM_LOST, std::u16string());
    }
}

std::int32_t CModem::IsLost() const {
    return m_lost.load() ? 1 : 0;
}

std::u16string CModem::ParseCallerId(std::u16string text) {
    return CallerNumber(text);
}

bool CModem::IsCollecting() const {
    std::lock_guard<std::mutex> lock(m_responseLock);
    return m_collecting == 1;
}

std::u16string CModem::Response() const {
    std::lock_guard<std::mutex> lock(m_responseLock);
    return m_response;
}
