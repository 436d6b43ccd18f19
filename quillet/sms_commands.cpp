// Short messages in text mode:
//   AT+CMGR=<slot>          read one message: ReadSlot whatever its status, ReadSms only a
//                           "REC READ" one
//   AT+CPMS?                how many slots are used, of how many
//   AT+CMGS="<number>"      then, after the modem's "> ", the text ended by Ctrl-Z
//   AT+CMGD=<slot>          delete one message
//   AT+CSCA="<number>",145  the service centre (centre_line.h)
// Text travels in the GSM alphabet, or as UCS2 hex (message_text.h). A UCS2 send switches the
// character set and the coding scheme for itself and back:
//   AT+CSCS="UCS2"  AT+CSMP=17,167,0,8  AT+CMGS="002B0038..."  > 4F60597D^Z
//   AT+CSCS="GSM"   AT+CSMP=17,167,0,0
// Each command waits on the window thread until its answer is decided; which text decides is in
// read_answer.h and send_answer.h.

#include <optional>
#include <string>

#include "modemlink/modem.h"
#include "modemlink/smscodec/gsm_text.h"
#include "platform/core/backend.h"
#include "quillet/centre_line.h"
#include "quillet/message_text.h"
#include "quillet/read_answer.h"
#include "quillet/send_answer.h"
#include "quillet/slot_read.h"
#include "quillet/storage_answers.h"

namespace {

// A read and the prompt of a send are answered at once by a modem that answers at all.
constexpr std::uint32_t kReplySilenceMs = 2000;
constexpr char kCtrlZ = '\x1A';
constexpr std::uint8_t kEscape = 0x1B;

std::u16string Decimal(std::int32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::int32_t CModem::SendLineCtrlZ(std::u16string text) {
    if (!m_pPort) {
        return 0;
    }
    // Nothing between the text and Ctrl-Z: a CR LF there would reach the recipient.
    const std::vector<std::uint8_t> bytes = EncodeLine(text, std::string(1, kCtrlZ));
    m_pPort->Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    return 1;
}

std::int32_t CModem::ParseReadResponse(std::int32_t& numberStart, std::int32_t& numberLength,
                                       std::int32_t& bodyStart, std::int32_t& bodyLength) const {
    std::optional<ReadAnswer> found;
    {
        std::lock_guard<std::mutex> lock(m_responseLock);
        found = LocateReadAnswer(m_response);
    }
    if (!found) {
        return -1;
    }
    // The answer is bounded far below the int range (64 Ki characters: ExamineResponse).
    numberStart = static_cast<std::int32_t>(found->numberStart);
    numberLength = static_cast<std::int32_t>(found->numberLength);
    bodyStart = static_cast<std::int32_t>(found->bodyStart);
    bodyLength = static_cast<std::int32_t>(found->bodyLength);
    return 1;
}

SlotAnswer CModem::FetchSlot(std::int32_t slot, std::u16string& answer) {
    if (SendCommandLine(u"AT+CMGR=" + Decimal(slot), Nuls::kKeep) == 0) {
        return SlotAnswer::kError;
    }
    SlotAnswer decided = SlotAnswer::kUndecided;
    // The answer is kept in the same look that finds it decided.
    const auto decide = [&](const std::u16string& response, std::size_t& progress) {
        decided = DecideSlotAnswer(response);
        if (decided == SlotAnswer::kUndecided) {
            progress = AnswerProgress(response);
            return FinalResult::kNone;
        }
        answer = response;
        return FinalResult::kOk;
    };
    // Only the read's own answer restarts the silence: a module that reports its signal every
    // second cannot hold a read open.
    AwaitAnswer({decide, kReplySilenceMs, 0});
    if (decided == SlotAnswer::kUndecided) {
        // The answer has ended; a module that counts the text's length otherwise still gave one.
        answer = Response();
        if (LocateStoredMessage(answer, Lengths::kIgnore)) {
            decided = SlotAnswer::kMessage;
        }
    }
    ResetResponse();
    return decided;
}

void CModem::ReadSlot(std::int32_t slot, SlotRead& read) {
    std::u16string answer;
    read = SlotRead{};
    read.answer = FetchSlot(slot, answer);
    const std::optional<ReadAnswer> found = read.answer == SlotAnswer::kMessage
                                                ? LocateStoredMessage(answer, Lengths::kIgnore)
                                                : std::nullopt;
    if (!found) {
        return;
    }
    read.status = found->status;
    read.sender = GsmToText(answer.substr(found->numberStart, found->numberLength));
    const std::u16string body = answer.substr(found->bodyStart, found->bodyLength);
    read.text = DecodeReceivedText(body, found->firstOctet, found->codingScheme, found->dataLength);
    read.fingerprint = MessageFingerprint(answer, *found);
}

std::int32_t CModem::ReadSms(std::int32_t slot, std::u16string& number, std::u16string& text) {
    SlotRead read;
    ReadSlot(slot, read);
    if (read.status != u"REC READ") {
        return 0;
    }
    number = read.sender;
    text = read.text.text;
    return 1;
}

std::int32_t CModem::StorageUsage(std::int32_t& used, std::int32_t& total) {
    std::u16string answer;
    if (Ask(u"AT+CPMS?", answer, kReplySilenceMs) != 1) {
        return 0;
    }
    const std::optional<std::vector<StorageUse>> storages = ParseStorageUse(answer);
    if (!storages) {
        return 0;
    }
    used = storages->front().used;
    total = storages->front().total;
    return 1;
}

std::int32_t CModem::SendSms(std::u16string number, std::u16string text) {
    const OutgoingText planned = PlanOutgoingText(text);
    const std::optional<std::u16string> to = CommandLineText(number);
    if (!m_pPort || planned.tooLong || !to) {
        return 0;
    }
    if (!planned.ucs2) {
        return SendMessage(*to, planned.payload);
    }
    const bool switched =
        RunCommand(u"AT+CSCS=\"UCS2\"") == 1 && RunCommand(u"AT+CSMP=17,167,0,8") == 1;
    const std::int32_t sent = switched ? SendMessage(TextToUcs2Hex(*to), planned.payload) : 0;
    // Whatever happened: later reads and sends expect the set-up state.
    RunCommand(u"AT+CSCS=\"GSM\"");
    RunCommand(u"AT+CSMP=17,167,0,0");
    return sent;
}

std::int32_t CModem::SendMessage(const std::u16string& to, const std::u16string& payload) {
    if (SendLine(u"AT+CMGS=\"" + to + u"\"") == 0) {
        return 0;
    }
    const FinalResult prompt =
        AwaitAnswer(EveryUnit(DecidePromptAnswer, kReplySilenceMs)).result;
    ResetResponse();
    if (prompt == FinalResult::kNone) {
        CancelTextEntry();  // a prompt that comes late would take every later line as text
    }
    if (prompt != FinalResult::kOk) {
        return 0;
    }
    // Before the text goes out, so no part of its answer can be missed. Its echo holds "@" as NUL.
    BeginCollecting(Nuls::kKeep);
    SendLineCtrlZ(payload);
    const std::vector<std::uint8_t> sent = EncodeLine(payload, "");
    const auto decide = [&](const std::u16string& answer) {
        return DecideResultAnswer(answer, sent);
    };
    // Silence on the way is normal while the network takes the message: only the limit ends it.
    const FinalResult result = AwaitAnswer(EveryUnit(decide, 0, m_sendLimitMs)).result;
    ResetResponse();
    if (result == FinalResult::kNone) {
        CancelTextEntry();  // the text may not have ended it: a lost Ctrl-Z, a module that hung
    }
    return result == FinalResult::kOk ? 1 : 0;
}

// ESC ends text entry without sending; a module that is not in it takes the byte for noise
// before its next "AT". Its answer (OK, an error, or nothing) is read here so that it cannot
// decide the next command.
void CModem::CancelTextEntry() {
    if (!m_pPort || IsLost() == 1) {
        return;
    }
    BeginCollecting(Nuls::kCut);
    const std::uint8_t escape = kEscape;
    m_pPort->Write(&escape, 1);
    const std::string failure = m_lastFailure;  // the send's, not the cancel's
    WaitResult();
    m_lastFailure = failure;
}

std::int32_t CModem::DeleteSms(std::int32_t slot) {
    return RunCommand(u"AT+CMGD=" + Decimal(slot));
}

std::int32_t CModem::SetSmsCentre(std::u16string text) {
    return RunCommand(SmsCentreLine(text));
}
