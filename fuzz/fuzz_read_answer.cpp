// The message program's answer decisions over arbitrary modem text: the read answer of AT+CMGR
// (read_answer.h) and the prompt and result of AT+CMGS (send_answer.h, text_echo.h).
//
// What is checked is what the headers promise: positions inside the answer, sender and text where
// the answer's format puts them, a decided answer that stays decided the same way however it was
// cut into chunks, and a message text that, echoed faithfully, never sways the result.
//
// Input: byte 0 is the control: bits 0-5 the length of the message text that follows it, bit 6
// "the modem echoes that text (and its CR LF) before the rest", bit 7 "with a '> ' after each LF
// inside the echo". The bytes after the text are the rest of the answer. Every byte is one UTF-16
// unit (0-255).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "modemlink/result_codes.h"
#include "quillet/message_text.h"
#include "quillet/read_answer.h"
#include "quillet/send_answer.h"
#include "quillet/text_echo.h"

namespace {

const std::u16string kHeader = u"+CMGR:";
const std::u16string kReadStatus = u"\"REC READ\",\"";
const std::u16string kClosing = u"\r\n\r\nOK\r\n";
// Enough cuts to meet every line end of a typical answer, few enough to stay fast on long ones.
constexpr std::size_t kMaxCuts = 256;

bool IsLineBreak(char16_t unit) {
    return unit == u'\r' || unit == u'\n';
}

bool HasAt(const std::u16string& text, std::size_t position, const std::u16string& part) {
    return position <= text.size() && text.compare(position, part.size(), part) == 0;
}

// The cut points tried: every one in a short answer, evenly spread ones in a long one.
std::vector<std::size_t> Cuts(std::size_t size) {
    std::vector<std::size_t> cuts;
    const std::size_t step = std::max<std::size_t>(1, size / kMaxCuts);
    for (std::size_t cut = 0; cut < size; cut += step) {
        cuts.push_back(cut);
    }
    return cuts;
}

void CheckReadPositions(const std::u16string& answer, const ReadAnswer& read) {
    Require(read.numberStart + read.numberLength <= answer.size(), "the sender lies in the answer");
    Require(read.bodyStart + read.bodyLength <= answer.size(), "the text lies in the answer");
    const std::size_t header = answer.find(kHeader);
    Require(header != std::u16string::npos, "a read answer has its header");
    const std::size_t headerEnd = answer.find(u"\r\n", header);
    Require(headerEnd != std::u16string::npos && read.bodyStart == headerEnd + 2,
            "the text starts on the line after the header");
    // The header's own status field: the first one, after "+CMGR:" and any blanks.
    const std::size_t status = answer.find_first_not_of(u' ', header + kHeader.size());
    Require(HasAt(answer, status, kReadStatus) && read.numberStart == status + kReadStatus.size(),
            "the sender is the field after the header's REC READ status");
    Require(read.numberStart + read.numberLength < headerEnd &&
                answer[read.numberStart + read.numberLength] == u'"',
            "the sender ends at its closing quote on the header line");
    const std::u16string number = answer.substr(read.numberStart, read.numberLength);
    Require(number.find(u'"') == std::u16string::npos, "the sender holds no quote");
    const std::size_t bodyEnd = read.bodyStart + read.bodyLength;
    Require(HasAt(answer, bodyEnd, kClosing) && answer.rfind(kClosing) == bodyEnd,
            "the text runs to the last empty line and OK");
}

void CheckReadAnswer(const std::u16string& answer) {
    const std::optional<ReadAnswer> read = LocateReadAnswer(answer);
    const SlotAnswer slot = DecideSlotAnswer(answer);
    if (read) {
        CheckReadPositions(answer, *read);
        Require(slot == SlotAnswer::kMessage, "a located read message decides the slot's answer");
    } else {
        const bool header = answer.find(kHeader) != std::u16string::npos;
        const bool error = answer.find(u"ERROR\r\n", 1) != std::u16string::npos;
        Require(header || !error || slot == SlotAnswer::kError,
                "ERROR after the first unit and before any header fails a read");
        Require(!header || slot == SlotAnswer::kUndecided || slot == SlotAnswer::kMessage,
                "after a header only the whole message decides");
    }
    if (const std::optional<ReadAnswer> stored = LocateStoredMessage(answer)) {
        const std::u16string body = answer.substr(stored->bodyStart, stored->bodyLength);
        for (const int dcs : {0x00, 0x04, 0x08}) {
            const ReceivedText text = DecodeReceivedText(body, 0x44, static_cast<std::uint8_t>(dcs),
                                                         stored->dataLength.value_or(body.size()));
            Require(text.text.size() <= body.size(), "a part's text is no longer than its hex");
        }
    }
    // A chunk boundary anywhere: what was found complete stays where it was found.
    for (const std::size_t cut : Cuts(answer.size())) {
        const std::optional<ReadAnswer> early = LocateReadAnswer(answer.substr(0, cut));
        if (early) {
            Require(read && early->numberStart == read->numberStart &&
                        early->numberLength == read->numberLength &&
                        early->bodyStart == read->bodyStart &&
                        early->bodyLength <= read->bodyLength,
                    "a complete read answer stays complete as more text comes");
        }
    }
}

void CheckPromptAnswer(const std::u16string& answer) {
    const FinalResult decided = DecidePromptAnswer(answer);
    const bool prompt = answer.find(u'>', 1) != std::u16string::npos;
    const bool error =
        answer.find(u"ERROR\r\n", 1) != std::u16string::npos || HasNumberedError(answer);
    const FinalResult promised =
        prompt ? FinalResult::kOk : (error ? FinalResult::kError : FinalResult::kNone);
    Require(decided == promised,
            "a '>' after the first unit prompts, else ERROR or a numbered error fails");
}

struct SendCase {
    std::u16string text;
    bool echo = false;
    bool prompts = false;
    std::u16string rest;
};

std::u16string Echo(const SendCase& send, const std::u16string& text) {
    std::u16string echo;
    for (const char16_t unit : text + u"\r\n") {
        echo.push_back(unit);
        if (send.prompts && unit == u'\n' && echo.size() < text.size() + 2) {
            echo += u"> ";
        }
    }
    return echo;
}

std::u16string Answer(const SendCase& send, const std::u16string& text) {
    return (send.echo ? Echo(send, text) : std::u16string()) + send.rest;
}

void CheckResultAnswer(const SendCase& send) {
    const std::u16string answer = Answer(send, send.text);
    const std::vector<std::uint8_t> sent = EncodeLine(send.text, "\r\n");
    const EchoMatch echo = MatchEcho(answer, sent);
    Require(echo.end <= answer.size(), "the echo ends inside the answer");
    if (echo.state == EchoState::kPartial) {
        Require(echo.end == answer.size(), "a partial echo is all of the answer");
    } else {
        Require(echo.end == 0 || IsLineBreak(answer[echo.end - 1]),
                "the modem's lines start a line");
    }
    const FinalResult decided = DecideResultAnswer(answer, sent);
    if (send.echo && !send.prompts) {
        const std::u16string plain = u"x";
        Require(echo.state == EchoState::kComplete && echo.end == send.text.size() + 2,
                "a faithful echo is recognised whole");
        Require(decided == DecideResultAnswer(Answer(send, plain), EncodeLine(plain, "\r\n")),
                "an echoed text never sways the result");
    }
    for (const std::size_t cut : Cuts(answer.size())) {
        const FinalResult early = DecideResultAnswer(answer.substr(0, cut), sent);
        Require(early == FinalResult::kNone || early == decided,
                "a decided result stays decided as more text comes");
    }
}

SendCase ReadSendCase(const std::uint8_t* data, std::size_t size) {
    SendCase send;
    const std::uint8_t control = data[0];
    const std::size_t length = std::min<std::size_t>(control & 0x3FU, size - 1);
    send.text.assign(data + 1, data + 1 + length);
    send.echo = (control & 0x40U) != 0;
    send.prompts = (control & 0x80U) != 0;
    send.rest.assign(data + 1 + length, data + size);
    return send;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const SendCase send = ReadSendCase(data, size);
    CheckReadAnswer(send.rest);
    CheckPromptAnswer(send.rest);
    CheckResultAnswer(send);
    return 0;
}
