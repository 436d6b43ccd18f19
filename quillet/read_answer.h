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
// The coding scheme says how the text is written (modemlink/gsm_text.h), and the length how
// long it is: in characters for the GSM alphabet, in octets (two hex digits each) otherwise.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "modemlink/result_codes.h"

struct ReadAnswer {
    std::size_t numberStart = 0;
    std::size_t numberLength = 0;
    std::size_t bodyStart = 0;
    std::size_t bodyLength = 0;
    std::optional<std::uint8_t> codingScheme;  // with the long header only
};

// Only a header whose status is "REC READ" is recognised. With the header's length the text is
// exactly that long and complete once "\r\n" and an "OK" line follow it; without it, or when
// the text is not followed by its line end at that length, the text runs from the end of the
// header line to the last "\r\n\r\nOK\r\n" of the answer. Either way an empty line followed by
// "OK" inside the text stays part of it. kIgnore takes the text by the last rule even while the
// length says more is to come: for an answer that has ended, from a module that counts otherwise.
enum class Lengths { kTrust, kIgnore };
std::optional<ReadAnswer> LocateReadAnswer(const std::u16string& answer,
                                           Lengths lengths = Lengths::kTrust);

// kOk once the answer is complete. kError for "ERROR\r\n" at a position above 0 while no "+CMGR:"
// header has come: after the header it could be part of the message text. kNone otherwise.
FinalResult DecideReadAnswer(const std::u16string& answer);
