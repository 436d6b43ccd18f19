// The command channel fed arbitrary modem bytes in arbitrary chunks, straight through
// CModem::OnSerialData as its reader thread would hand them over. While idle, the chunks become
// events of the known kinds only (which lines make which events, however they were cut, is
// fuzz_message_reports's); while a command collects, no call event comes, the answer grows by
// exactly each chunk's text, and the command ends as DecideFinalResult says of the answer.
//
// Input: byte 0 chooses the start (bit 0 set: a command is collecting) and the chunking (bits 1-7,
// chunks.h); the rest is what the modem sends. A command decided in mid-stream leaves the channel
// idle for the chunks after it. Nothing waits: WaitResult is only called with a final code already
// in the answer, when it returns at once.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "channel_events.h"
#include "chunks.h"
#include "platform/fake/fake_backend.h"
#include "fuzz_check.h"
#include "modemlink/modem.h"
#include "platform/core/backend.h"
#include "platform/core/codepage.h"
#include "platform/core/message_box.h"

namespace {

// As modem.h says: past this many units an answer without a final code is a failure.
constexpr std::size_t kMaxAnswerUnits = 64 * 1024;
// A chunk's text ends at its first NUL; the channel may put this mark in the answer for the rest,
// so that no code forms across the cut.
constexpr char16_t kCutMark = u'\uFFFD';

// One channel for the whole run: starting one takes the reader thread's 100 ms per command.
struct Channel {
    platform::FakeBackend backend;
    platform::ScopedBackend installed{backend};
    // The port stays open, so nothing has a reason to tell the user anything.
    platform::ScopedMessageSink messages{
        [](const std::u16string&) { Require(false, "no message is shown on an open port"); }};
    ChannelEvents log;
    CModem modem{SetupCommands{}};

    Channel() {
        backend.OnWrite([this](const std::string&) { backend.PushInput("\r\nOK\r\n"); });
        Require(modem.Start(u"COM1:", 115200, &log) == 1, "the channel starts on the test backend");
        backend.OnWrite(nullptr);
        backend.TakeWritten();
        modem.m_pfnEvent = &ChannelEvents::OnEvent;
    }
};

Channel& TheChannel() {
    static Channel channel;
    return channel;
}

// A chunk as the channel reads it: the port's bytes are one stream, so a character cut off at
// the end of a chunk (of this input or the one before) comes whole with the next; a NUL ends the
// chunk's text.
struct ChunkText {
    std::u16string text;
    bool cut = false;
};

ChunkText Feed(Channel& channel, const std::uint8_t* bytes, std::size_t count) {
    static platform::StreamDecoder stream;  // lives as long as the channel's own decoder
    CModem::OnSerialData(&channel.modem, bytes, static_cast<std::int32_t>(count));
    const std::u16string whole = stream.Decode(bytes, count);
    const std::size_t nul = whole.find(u'\0');
    return {whole.substr(0, nul), nul != std::u16string::npos};
}

bool IsCallEvent(std::int32_t code) {
    return code == EVT_RING || code == EVT_NO_CARRIER || code == EVT_BUSY ||
           code == EVT_NO_ANSWER || code == EVT_NO_DIALTONE;
}

// Each event of a known kind; a ring's number holds no quote, a call report carries no text.
void CheckEvents(const std::vector<ChannelEvent>& events) {
    for (const ChannelEvent& event : events) {
        const bool message = event.code == EVT_MESSAGE_STORED || event.code == EVT_MESSAGE_ROUTED ||
                             event.code == EVT_MODEM_READY || event.code == EVT_MODEM_RESET ||
                             event.code == EVT_SIM_ERROR;
        Require(IsCallEvent(event.code) || message, "only the known events");
        Require(event.code != EVT_RING || event.text.find(u'"') == std::u16string::npos,
                "the number holds no quote");
        Require(!IsCallEvent(event.code) || event.code == EVT_RING || event.text.empty(),
                "a call report carries no text");
    }
}

void FeedIdle(Channel& channel, const std::uint8_t* bytes, std::size_t count) {
    Feed(channel, bytes, count);
    CheckEvents(channel.log.Take());
    Require(!channel.modem.IsCollecting(), "an idle chunk starts no command");
    Require(channel.modem.Response().empty(), "an idle channel keeps no answer");
}

void ExpectIdleAndEmpty(const Channel& channel) {
    Require(!channel.modem.IsCollecting(), "a finished command stops collecting");
    Require(channel.modem.Response().empty(), "a finished command leaves no answer");
}

// What one chunk adds to a collecting answer: its text, then at most marks for a NUL that cut it,
// and nothing at all once the answer is full.
void CheckGrowth(const std::u16string& before, const std::u16string& after,
                 const std::u16string& text, bool cut) {
    if (before.size() > kMaxAnswerUnits) {
        Require(after == before, "a full answer takes no more text");
        return;
    }
    Require(after.compare(0, before.size(), before) == 0 &&
                after.compare(before.size(), text.size(), text) == 0,
            "the answer grows by each chunk's text, in order");
    const std::u16string marks = after.substr(std::min(after.size(), before.size() + text.size()));
    Require(after.size() >= before.size() + text.size() &&
                marks.find_first_not_of(kCutMark) == std::u16string::npos && (cut || marks.empty()),
            "only a NUL's cut adds a mark");
}

// A command that waits for its answer: chunk by chunk until the answer holds a final code.
// False when the stream ended first.
bool Collect(Channel& channel, Chunks& chunks) {
    // Ends whatever line an earlier input left unfinished: a report begun before a command is
    // finished from the command's first chunk, which would not then be the answer's.
    static const std::uint8_t kLineEnds[] = {'\r', '\n', '\r', '\n'};
    Feed(channel, kLineEnds, sizeof kLineEnds);
    CheckEvents(channel.log.Take());
    Require(channel.modem.SendLine(u"AT") == 1, "a command goes out on an open port");
    Require(channel.backend.TakeWritten() == "AT\r\n", "the line goes out with CR LF");
    std::u16string response;
    std::u16string collected;  // the chunks' texts alone
    bool cut = false;
    const std::uint8_t* bytes = nullptr;
    std::size_t count = 0;
    while (chunks.Next(bytes, count)) {
        const auto [text, chunkCut] = Feed(channel, bytes, count);
        collected += text;
        cut = cut || chunkCut;
        const std::vector<ChannelEvent> events = channel.log.Take();
        CheckEvents(events);
        Require(std::none_of(events.begin(), events.end(),
                             [](const ChannelEvent& event) { return IsCallEvent(event.code); }),
                "no call event while a command collects");
        Require(channel.modem.IsCollecting(), "the command collects until it is decided");
        const std::u16string before = std::exchange(response, channel.modem.Response());
        CheckGrowth(before, response, text, chunkCut);
        const bool full = response.size() > kMaxAnswerUnits;
        Require(cut || full || response == collected, "without a NUL the answer is all that came");
        const FinalResult decided = DecideFinalResult(response);
        if (decided != FinalResult::kNone || full) {
            const std::int32_t result = channel.modem.WaitResult();
            Require(result == (decided == FinalResult::kOk ? 1 : 0),
                    "WaitResult says what DecideFinalResult says of the answer");
            CheckEvents(channel.log.Take());  // the reports after the command's own result
            ExpectIdleAndEmpty(channel);
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    Channel& channel = TheChannel();
    const bool command = (data[0] & 1U) != 0;
    Chunks chunks(static_cast<std::uint8_t>(data[0] >> 1U), data + 1, size - 1);
    if (command && !Collect(channel, chunks)) {
        // Undecided: WaitResult would sit out its silence time, so the command is dropped.
        channel.modem.ResetResponse();
        ExpectIdleAndEmpty(channel);
    }
    const std::uint8_t* bytes = nullptr;
    std::size_t count = 0;
    while (chunks.Next(bytes, count)) {
        FeedIdle(channel, bytes, count);
    }
    channel.backend.ClearCalls();
    return 0;
}
