#pragma once
// Text between the modem and the terminal in the character set chosen with AT+CSCS. The modem
// keeps UTF-8. GSM is the GSM 7-bit default alphabet, a byte a character ("@" is 0x00, "€" the
// escape and 0x65); IRA is ASCII; UCS2 is the hex of the UTF-16 units, four digits each:
// "Hi" <-> "00480069". A character that the set lacks goes out as "?".

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "modemsim/at/modem_state.h"

namespace modemsim {

std::string ToTerminal(Charset charset, std::string_view utf8);
// Nothing when UCS2 hex is malformed. A trailing line end is no part of UCS2 hex and is dropped.
std::optional<std::string> FromTerminal(Charset charset, std::string_view text);

// A message's text in the GSM alphabet: how many septets it takes (an extension character two),
// nothing when it does not fit the alphabet.
std::optional<std::size_t> GsmSeptets(std::string_view utf8);
// UCS2 as octets in hex, two digits each: "4F60597D". Nothing when malformed.
std::string Ucs2Hex(std::string_view utf8);
std::optional<std::string> FromUcs2Hex(std::string_view hex);

std::string CharsetName(Charset charset);
// "GSM", "IRA" or "UCS2" in any case.
std::optional<Charset> CharsetFromName(std::string_view name);

// The service-centre time stamp of a received message as the modem shows it, in UTC:
//   2024-05-01 12:30:00 UTC  ->  "24/05/01,12:30:00+00"
// (the last field is the zone in quarter hours).

std::string SmsTimestamp(std::chrono::system_clock::time_point when);

}  // namespace modemsim
