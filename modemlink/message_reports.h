#pragma once
// The message reports among a modem's unsolicited lines:
//   +CMTI: "SM",3          a message has been stored in slot 3 of "SM" (AT+CNMI <mt> 1)
//   +CMT: "+8613912345678",,"26/12/06,21:30:00+32"[,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<len>]
//   <text>                 a message handed over without being stored (<mt> 2): it exists only
//                          in these two lines, so losing either loses the message
// A report's text is its line as it came ("+CMTI: ..."), or for a routed message the header line,
// CR LF and the text line; NULs ("@" in the GSM alphabet) are kept.
//
// The module's own state comes in whole lines too, and is reported the same way:
//   ready   SMS Ready, Call Ready (SIMCom), SMS DONE, PB DONE (SIMCom A76xx), +CPIN: READY: a
//           module that refused commands while it was booting takes them now
//   reset   RDY (SIMCom, Quectel), ^SYSSTART (Cinterion): the module has started afresh, every
//           setting back at its default. (Huawei's ^BOOT: is a periodic report, not a reset.)

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/clock.h"

// kCall: a call's line as it came (RING, +CRING, +CLIP, NO CARRIER, BUSY, ^CEND, ...), turned
// into its event by the channel, which pairs a RING with the +CLIP line after it.
enum class MessageReportKind { kStored, kRouted, kReady, kReset, kCall };

struct MessageReport {
    MessageReportKind kind;
    std::u16string text;
};

// Assembles the text that comes while no command waits into lines across chunks, so a report cut
// between two reads still counts, and keeps the header of a routed message until its text line
// has come. Reader thread only.
class ReportLines {
public:
    // An unfinished line longer than this is no report: it is dropped, and so is what follows of
    // it up to its line end.
    static constexpr std::size_t kMaxLine = 2048;
    // A routed header whose text has not come within this time is handed over with an empty text:
    // the sender at least is shown. An unfinished line that long without more is given up.
    static constexpr std::chrono::milliseconds kTextWait{2000};

    // The reports that this idle chunk completes, in order.
    std::vector<MessageReport> Add(std::u16string_view chunk, platform::TimePoint now);
    // For a chunk that comes while a command waits: the units at its start that still belong to
    // an unfinished report line (a modem ends a report before it answers a command), and the
    // reports they complete. The rest of the chunk is the command's.
    std::size_t TakeOwed(std::u16string_view chunk, platform::TimePoint now,
                         std::vector<MessageReport>& reports);

private:
    void TakeLine(std::u16string line, std::vector<MessageReport>& reports);
    void GiveUpLateText(platform::TimePoint now, std::vector<MessageReport>& reports);

    std::u16string m_partial;
    bool m_overlong = false;  // the current line passed kMaxLine: dropped to its end
    std::optional<std::u16string> m_routedHeader;
    platform::TimePoint m_headerAt{};
    platform::TimePoint m_lastAt{};  // when the last chunk came
};

// The reports that came inside a command's answer, outside its own lines: a stored message's text
// (after a "+CMGR:" or "+CMGL:" header) and a send's text (after the "> " prompt) are the
// command's, up to its final result. Call lines count only after the command's own result: before
// it, a BUSY or CONNECT may be the result of the dial itself.
std::vector<MessageReport> MessageReportsInAnswer(std::u16string_view answer);
