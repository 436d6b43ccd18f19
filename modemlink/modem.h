#pragma once
// The AT command channel over one serial port. A command sends one line and collects the modem's
// answer until "OK" or "ERROR" decides it or 500 ms pass without new text. While no command
// waits, a chunk that holds "RING" (with the number of its "+CLIP" line), or a line that reports
// a call's end or failure, becomes an event for the owner.
//
// Thread contract: Start, Reconnect, SendLine, WaitResult, ResetResponse, the program commands
// and the destructor run on one command thread (the window's); OnSerialData runs on the serial
// reader thread, and so does every event but EVT_MODEM_LOST, which comes on the thread that
// found the device gone (the reader, or the command thread in a write). m_responseLock guards
// m_response and m_collecting and is held only for one look or one change, never across a wait or
// an event. A waiter resets the response event inside the same critical section in which it found
// the answer incomplete, so a chunk that lands after the look always sets the event again and is
// examined before the wait can time out. An event handler must not wait for a command's answer: no
// data is read while it runs.
//
// A channel whose start-up failed has no port: every command then writes nothing, waits for
// nothing, shows nothing and reports 0 at once, so a window that polls stays responsive.
//
// A command thread with a host (platform/core/command_wait.h: a window's) serves it at least
// every 20 ms while a command waits. Once the host no longer wants the commands (the window was
// closed), no command line is written and every wait gives up at once, as if the modem had said
// nothing; only the ESC that ends a message's text entry still goes out.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "modemlink/message_reports.h"
#include "modemlink/result_codes.h"
#include "modemlink/serial_port.h"
#include "platform/core/clock.h"
#include "platform/core/codepage.h"
#include "platform/core/handles.h"

// The call reports of every module family (result_codes.h) as events; the text is empty but for
// a ring's.
inline constexpr std::int32_t EVT_RING = 1;        // text: the caller's number, or empty
inline constexpr std::int32_t EVT_NO_CARRIER = 2;  // the call ended: NO CARRIER, ^CEND, HANGUP
// A call attempt that ended unconnected.
inline constexpr std::int32_t EVT_BUSY = 3;
inline constexpr std::int32_t EVT_NO_ANSWER = 4;
inline constexpr std::int32_t EVT_NO_DIALTONE = 5;
// The device has gone (unplugged, reset): every command fails at once from now on. Delivered once,
// on the thread that found out: the reader, or a command's write.
inline constexpr std::int32_t EVT_MODEM_LOST = 7;
// A message report (message_reports.h); text: the report as it came. While no command waits it
// comes on the reader thread; one that came inside a command's answer comes on the command
// thread once the command has ended.
inline constexpr std::int32_t EVT_MESSAGE_STORED = 8;  // "+CMTI: ..."
inline constexpr std::int32_t EVT_MESSAGE_ROUTED = 9;  // "+CMT: ..." CR LF text
// The module's state (message_reports.h), delivered as the message reports are; text: the line.
inline constexpr std::int32_t EVT_MODEM_READY = 10;  // done booting: RetrySetup now
inline constexpr std::int32_t EVT_MODEM_RESET = 11;  // started afresh: Restart
// A command was refused for the SIM's sake (HasSimError): the window asks AT+CPIN? why.
// Delivered on the command thread once the command has ended.
inline constexpr std::int32_t EVT_SIM_ERROR = 12;

// The event of a call report; none for a connection (CONNECT, ^CONN), which changes nothing for
// a window: the dial that it completes has been taken as placed already (CModem::Dial).
std::optional<std::int32_t> CallReportEvent(CallReport report);
std::int32_t EventOf(MessageReportKind kind);

// Called on the reader thread (see each event for the exceptions); the handler owns its copy of
// the text.
using ModemEventCallback = void (*)(void* owner, std::int32_t code, std::u16string text);

// The message program's own types (quillet/).
struct SlotRead;
enum class SlotAnswer;

// The commands a program runs once the line speed is agreed, each followed by WaitResult whose
// result is ignored. Each program brings its own list (quillet/, dorrin/).
using SetupCommands = std::vector<std::u16string>;

class CModem {
public:
    explicit CModem(SetupCommands setupCommands);
    virtual ~CModem();
    CModem(const CModem&) = delete;
    CModem& operator=(const CModem&) = delete;

    // 1 when the modem answered "OK" to "AT+IPR=115200" (in one of two attempts), else 0. The
    // port's own message has been shown when the device could not be opened. A channel whose
    // start-up failed waits for its device as one whose device has gone (IsLost): a modem plugged
    // in after the program started is started by Reconnect.
    std::int32_t Start(const std::u16string& portName, std::uint32_t baudRate, void* owner);
    // After the device has gone, or a start-up that failed: lets the port go, and once the same
    // port opens again and its modem answers, runs the whole start-up on it (both attempts and
    // the program's list). 1 once the modem is there and took the line speed; 0, showing nothing
    // and waiting for nothing, while it is not: call again later, every half second or so. 1 at
    // once when nothing has gone.
    std::int32_t Reconnect();

    // A module still booting refuses commands of the program's list (SIMCom answers ERROR until
    // "SMS Ready", Huawei "+CME ERROR: 14" while its SIM is busy). The list's refused commands are
    // run again by RetrySetup, at a readiness line and every kSetupRetryMs, for at most
    // kSetupPatienceMs after the start-up: a command a module never takes (AT+CLIP=1 on a
    // data-only stick) is not tried for ever. 1 while some stay refused and may still be tried.
    static constexpr std::uint32_t kSetupRetryMs = 3000;
    static constexpr std::uint32_t kSetupPatienceMs = 60000;
    std::int32_t RetrySetup();
    // 1 while commands of the list stay refused.
    std::int32_t SetupPending() const { return m_refusedSetup.empty() ? 0 : 1; }
    // The whole list again (after the SIM has been unlocked); as RetrySetup for what it refuses.
    std::int32_t RerunSetup();
    // The module has started afresh while its device stayed (RDY): the whole start-up again on
    // the open port. 0 when the modem did not take it: the channel then waits for its device as
    // after a loss.
    std::int32_t Restart();

    // 1 with the whole answer of a command that the modem answered "OK"; 0 when it refused (at
    // once without a port), -1 after `silenceMs` without new text; `answer` then as it was.
    std::int32_t Ask(const std::u16string& line, std::u16string& answer,
                     std::uint32_t silenceMs = kSilenceMs);

    // The SIM, as AT+CPIN? tells (27.007): unlocked, waiting for its PIN, for its PUK (or another
    // code), not there (+CME ERROR: 10), or unknown (a module that refused or did not answer).
    enum class SimState { kReady, kPin, kPuk, kAbsent, kUnknown };
    SimState AskSimState();
    // AT+CPINR="SIM PIN": the PIN attempts left, where the module tells.
    std::optional<std::int32_t> PinAttemptsLeft();
    // AT+CPIN="<pin>": 1 when the SIM took it. 0, writing nothing, for anything but 4-8 digits.
    std::int32_t EnterPin(const std::u16string& pin);

    // Turns collecting on and writes the line with CR LF. 1, also when the port only showed that
    // it is not open; 0, writing nothing, on a channel without a port and for a line that
    // CommandLineText refuses.
    std::int32_t SendLine(std::u16string text);
    // 1 on "OK\r\n", 0 on "ERROR\r\n", after 500 ms without new text, or once the answer has
    // grown past 64 Ki characters without a final code. Ends in ResetResponse. A chunk's text
    // ends at its first NUL; the answer marks the cut with U+FFFD, so no code forms across it,
    // and a chunk of nothing but NULs is no new text.
    std::int32_t WaitResult();
    void ResetResponse();

    static void OnSerialData(void* channel, const std::uint8_t* bytes, std::int32_t count);
    static void OnPortLost(void* channel);
    // 1 from the moment the device has gone until Reconnect has brought it back.
    std::int32_t IsLost() const;
    static std::u16string ParseCallerId(std::u16string text);

    // Why the last command that failed failed, for a log line: the command without its arguments
    // (no number, no PIN) and the modem's own final line with its meaning, or how long the modem
    // stayed silent: "AT+CMGS: +CMS ERROR: 330 (SMSC address unknown)", "ATD: no answer within
    // 500 ms". Kept until the next failure; empty before the first. Command thread only.
    const std::string& LastFailure() const { return m_lastFailure; }

    // The collecting flag and the answer so far, each read under the lock.
    bool IsCollecting() const;
    std::u16string Response() const;

    // SMS commands: defined in quillet/sms_commands.cpp, built only into the message program.
    // Text mode with the GSM character set and AT+CSDH=1 is assumed (the message program's
    // set-up list).
    // The text's low bytes, then Ctrl-Z; collecting is the caller's.
    std::int32_t SendLineCtrlZ(std::u16string text);
    // 1 with the sender and text of a read message in the slot; 0 leaves both as they were. The
    // message window reads with ReadSlot instead, which also takes unread messages and parts.
    std::int32_t ReadSms(std::int32_t slot, std::u16string& number, std::u16string& text);
    // 1 when m_response holds a complete read answer (positions in UTF-16 units), else -1.
    std::int32_t ParseReadResponse(std::int32_t& numberStart, std::int32_t& numberLength,
                                   std::int32_t& bodyStart, std::int32_t& bodyLength) const;
    // 0 without writing anything for a text longer than one message (message_text.h) and for a
    // number that no command line can carry.
    std::int32_t SendSms(std::u16string number, std::u16string text);
    std::int32_t DeleteSms(std::int32_t slot);
    std::int32_t SetSmsCentre(std::u16string text);
    // One slot as it is, whatever its status, a part of a long message told apart.
    void ReadSlot(std::int32_t slot, SlotRead& read);
    // 1 with the used and total slot counts of the storage that reads and deletes reach.
    std::int32_t StorageUsage(std::int32_t& used, std::int32_t& total);


    // Call commands: defined in dorrin/call_commands.cpp, built only into the dialer program.
    std::int32_t Dial(std::u16string number);
    std::int32_t HangUp();
    std::int32_t Answer();
    std::int32_t Reject();

    // Installed by the owner after Start; no event is delivered while it is empty.
    std::atomic<ModemEventCallback> m_pfnEvent{nullptr};
    // How long SendSms waits for the modem's result to its text: the longest time modem manuals
    // give AT+CMGS, for the network to take the message. Tests shorten it; set before a send.
    std::uint32_t m_sendLimitMs = 60000;

    // How long a command may go without new text before it has failed, unless the command says
    // otherwise; each new chunk starts it again, so a long answer that keeps coming is never cut.
    static constexpr std::uint32_t kSilenceMs = 500;

private:
    // How a command's wait ends: on `decide`'s result, after `silenceMs` without the answer
    // getting further (0: no such bound), or at `limitMs` however much came (0: none). `decide`
    // runs under the lock at each arrival; it tells how far the answer has got through
    // `progress`, which it leaves at the answer's length when every new unit counts.
    struct AnswerWait {
        std::function<FinalResult(const std::u16string& answer, std::size_t& progress)> decide;
        std::uint32_t silenceMs = kSilenceMs;
        std::uint32_t limitMs = 0;
    };
    struct WaitOutcome {
        FinalResult result = FinalResult::kNone;  // kNone: the silence or the limit ended it
        bool heard = false;                       // some text arrived
    };
    // The one wait of every command. Does not end the answer (ResetResponse).
    WaitOutcome AwaitAnswer(const AnswerWait& wait);
    // LastFailure for the last line written.
    void NoteFailure(const std::string& reason);
    // After a wait that did not end in OK: why, for NoteFailure.
    void NoteWaitFailure(const WaitOutcome& outcome, const AnswerWait& wait, bool limitReached);
    // A decision over the whole answer, every new unit of it counting as progress.
    template <typename Decide>
    static AnswerWait EveryUnit(Decide decide, std::uint32_t silenceMs, std::uint32_t limitMs = 0) {
        return {[decide](const std::u16string& answer, std::size_t& progress) {
                    progress = answer.size();
                    return decide(answer);
                },
                silenceMs, limitMs};
    }

    // SendLine, then WaitResult with `decide` in place of the final result (a call command also
    // counts a call report); 0 at once when the line is refused.
    using Decide = FinalResult (*)(const std::u16string&);
    std::int32_t RunCommand(const std::u16string& line, Decide decide = DecideFinalResult);
    std::int32_t WaitResult(Decide decide);
    // How the answer to the next line is collected. A message's text in the GSM alphabet holds
    // "@" as a NUL byte, so the SMS commands keep NULs in their answers as U+0000; such a NUL
    // still forms no code, and a chunk of nothing but NULs still restarts no silence.
    enum class Nuls { kCut, kKeep };
    std::int32_t SendCommandLine(const std::u16string& text, Nuls nuls);
    // Collecting on, then the line with CR LF, on a port that is there (also while the device is
    // gone: Reconnect's probe).
    void WriteLine(const std::u16string& line, Nuls nuls);
    void BeginCollecting(Nuls nuls);
    // AT+CMGR: the answer as it came, decided by its final result; after a silence undecided.
    SlotAnswer FetchSlot(std::int32_t slot, std::u16string& answer);
    // The AT+CMGS dialogue for a number and text already in the current character set.
    std::int32_t SendMessage(const std::u16string& to, const std::u16string& payload);
    void CancelTextEntry();
    // Decides the response under the lock with `decide`. Past 64 Ki characters without a decision
    // the answer fails. While undecided, re-arms the response event in the same critical section
    // (see the thread contract above).
    FinalResult ExamineResponse(const std::function<FinalResult(const std::u16string&)>& decide);
    void DropPort();
    // The chunk's text into the answer being collected; false when it brings nothing new.
    bool CollectChunk(const std::u16string& chunk);
    struct ModemEvent {
        std::int32_t code;
        std::u16string text;
    };
    std::vector<ModemEvent> EventsOf(const std::vector<MessageReport>& reports);
    void DeliverReports(const std::vector<MessageReport>& reports);
    // Reader thread, while no command waits.
    void OnIdleText(const std::u16string& chunk, platform::TimePoint now);
    // Runs the commands; those refused stay for RetrySetup.
    void RunSetup(const SetupCommands& commands);
    enum class OpenFailures { kShow, kQuiet };
    std::int32_t StartUp(OpenFailures failures);
    // Opens the port and hands its chunks to this channel; false when it did not open.
    bool OpenPort(OpenFailures failures);
    // Whether the "AT" that Reconnect wrote was answered; looks without waiting.
    bool ProbeAnswered();

    std::unique_ptr<CSerialPort> m_pPort;
    std::u16string m_portName;
    std::uint32_t m_baudRate = 0;
    std::atomic<bool> m_lost{false};
    void* m_pOwner = nullptr;
    platform::EventHandle m_hResponseEvent;
    mutable std::mutex m_responseLock;
    std::u16string m_response;
    std::int32_t m_collecting = 0;
    bool m_keepNuls = false;
    platform::StreamDecoder m_decoder;  // the reader thread's only
    ReportLines m_reportLines;          // the reader thread's only
    std::mutex m_callLock;              // guards the ring below: reader and command thread both
    bool m_ringWithoutNumber = false;   // a RING went out; its +CLIP line may come next
    const SetupCommands m_setupCommands;
    SetupCommands m_refusedSetup;     // the window's thread only
    std::u16string m_lastLine;        // the command thread's: the last command line written
    std::string m_lastFailure;        // the command thread's
    platform::TimePoint m_setupAt{};  // when the start-up ran its list
};
