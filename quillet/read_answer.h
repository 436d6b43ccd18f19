#pragma once
// Where the sender and the text of a message stand in the modem's answer to AT+CMGR, and whether
// that answer is complete, failed, or still coming. Positions are UTF-16 units of the answer.
//
//   AT+CMGR=1\r\r\n+CMGR: "REC READ","+8613912345678",,"26/12/06,21:30:00+32"\r\n
//   <text, line breaks included>\r\n\r\nOK\r\n

#include <cstddef>
#include <optional>
#include <string>

#include "modemlink/result_codes.h"

struct ReadAnswer {
    std::size_t numberStart = 0;
    std::size_t numberLength = 0;
    std::size_t bodyStart = 0;
    std::size_t bodyLength = 0;
};

// Only a header whose status is "REC READ" is recognised. The text runs from the end of the header
// line to the last "\r\n\r\nOK\r\n" of the answer, so an empty line followed by "OK" inside the
// text stays part of it.
std::optional<ReadAnswer> LocateReadAnswer(const std::u16string& answer);

// kOk once the answer is complete. kError for "ERROR\r\n" at a position above 0 while no "+CMGR:"
// header has come: after the header it could be part of the message text. kNone otherwise.
FinalResult DecideReadAnswer(const std::u16string& answer);
