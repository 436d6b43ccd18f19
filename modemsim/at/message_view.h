#pragma once
// How a stored message reads back, in AT+CMGR's answer and as an entry of AT+CMGL's list, and how
// a message routed to the terminal (AT+CNMI <mt> 2) arrives: +CMT as AT+CMGR without the status.
//
// Text mode, the sender and the text in the character set; AT+CSDH=1 adds the long header:
//   +CMGR: "REC UNREAD","+393351391306",,"24/05/01,12:30:00+00"\r\n<text>
//   +CMGR: "REC READ","10086",,"24/05/01,12:30:00+00",129,4,0,8,"+8613800200500",145,4\r\n4F60597D
//   +CMGL: 3,"REC READ","10086",,"24/05/01,12:30:00+00"[,129,4]\r\n<text>
//   +CMT: "+393351391306",,"24/05/01,12:30:00+00"\r\n<text>
// PDU mode, the status as a number (0 unread, 1 read) and the TPDU's length in octets:
//   +CMGR: 1,,24\r\n<SMS-DELIVER hex>
//   +CMT: ,24\r\n<SMS-DELIVER hex>
//   +CMGL: 3,1,,24\r\n<SMS-DELIVER hex>
//
// A message in the GSM alphabet is given in the character set; one in UCS2 as the hex of its
// octets whatever the set. The length counts septets, or octets. A part of a long message has
// the header indication in <fo> (68), and its whole user data, header included, is given as hex
// whatever the coding: a terminal could not tell the header from the text otherwise.

#include <string>

#include "modemsim/at/modem_state.h"

namespace modemsim {

// The framed information text of AT+CMGR.
std::string ReadView(const ModemState& state, const StoredSms& sms);
// The framed unsolicited +CMT.
std::string RoutedReport(const ModemState& state, const StoredSms& sms);
// One entry of AT+CMGL, unframed: its two lines, each ended by CR LF.
std::string ListEntry(const ModemState& state, int index, const StoredSms& sms);

// The statuses of AT+CMGL in text mode, in the order of their numbers in PDU mode (0-4).
inline constexpr const char* kStatusNames[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT",
                                               "ALL"};

}  // namespace modemsim
