#pragma once
// Where the sender and the text of a message stand in the modem's answer to AT+CMGR, and whether
// that answer is complete, failed, or still coming. Positions are UTF-16 units of the answer.
//
//   AT+CMGR=1\r\r\n+CMGR: "REC READ","+8613912345678",,"26/12/06,21:30:00+32"\r\n
//   <text, line breaks included>\r\n\r\nOK\r\n
//
// With AT+CSDH=1 the header goes on with <tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>:
//   +CMGR: "REC READ","10086",,"26/12/06,21:30:00+32",129,4,0,8,"+8613800200500",145,4\r\n
//   4F60597D\r\n\r\nOK\r\n
// The coding scheme says how the text is written (modemlink/smscodec/gsm_text.h), and the length
// how long it is: in characters for the GSM alphabet, in octets (two hex digits each) otherwise.
// A part of a long message has the header indication in <fo> (modemlink/smscodec/user_data.h):
// its user data comes as hex whatever the scheme, and a 7-bit length then counts septets of
// packed octets.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct ReadAnswer {
    std::size_t headerStart = 0;  // "+CMGR:" up to its line end
    std::size_t headerLength = 0;
    std::u16string status;  // "REC READ", "REC UNREAD", "STO SENT", ...
    std::size_t numberStart = 0;
    std::size_t numberLength = 0;
    std::size_t bodyStart = 0;
    std::size_t bodyLength = 0;
    // With the long header only.
    std::optional<std::uint8_t> firstOctet;
    std::optional<std::uint8_t> codingScheme;
    std::optional<std::size_t> dataLength;  // <length> as given
};

// A stored message of any status. With the header's length the text is
// exactly that long and complete once "\r\n" and an "OK" line follow it; without it, or when
// the text is not followed by its line end at that length, the text runs from the end of the
// header line to the last "\r\n\r\nOK\r\n" of the answer. Either way an empty line followed by
// "OK" inside the text stays part of it. kIgnore takes the text by the last rule even while the
// length says more is to come: for an answer that has ended, from a module that counts otherwise.
enum class Lengths { kTrust, kIgnore };
std::optional<ReadAnswer> LocateStoredMessage(const std::u16string& answer,
                                              Lengths lengths = Lengths::kTrust);
// The same for a received message that has been read: only the status "REC READ" is recognised
// (CModem::ParseReadResponse).
std::optional<ReadAnswer> LocateReadAnswer(const std::u16string& answer);

// What a message is, whatever its status: the header from the sender on, and the text. A message
// read as "REC UNREAD" and again as "REC READ" is the same message.
std::u16string MessageFingerprint(const std::u16string& answer, const ReadAnswer& found);

// How an answer to AT+CMGR stands. Before a "+CMGR:" header, a final result decides it: an "OK"
// line (nothing stored there), "+CMS ERROR: 321" or its text "invalid memory index" (no such slot,
// or an empty one on many modules), "ERROR\r\n" at a position above 0, or any other "+CMS ERROR:"
// or "+CME ERROR:" line (refused for now: SIM busy, memory failure). After the header, only the
// complete message does: an ERROR or OK there could be part of its text. Any other line before
// the header is an unsolicited one and decides nothing.
enum class SlotAnswer { kUndecided, kMessage, kEmpty, kNoSuchSlot, kError };
SlotAnswer DecideSlotAnswer(const std::u16string& answer);

// How much of the answer so far belongs to it: everything but the unsolicited lines before the
// header. Only growth of this restarts the silence after which an undecided read gives up, so a
// module that reports its signal every second cannot hold a read open.
std::size_t AnswerProgress(const std::u16string& answer);
