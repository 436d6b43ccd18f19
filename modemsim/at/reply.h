#pragma once
// What one command line makes the modem say, and how it is framed in verbose result codes:
//   information   \r\n+CMGF: 1\r\n
//   final code    \r\nOK\r\n   \r\nERROR\r\n   \r\n+CMS ERROR: 321\r\n   \r\nNO CARRIER\r\n
//                 \r\n+CME ERROR: 50\r\n  or, with AT+CMEE=2,  \r\n+CME ERROR: incorrect
//                 parameters\r\n
//   SMS prompt    \r\n>  (no line end: the terminal types the text after it)

#include <string>
#include <string_view>

#include "modemsim/at/modem_state.h"

namespace modemsim {

// kPending: the command goes on after its information (a dial that reports only when the call
// connects): no final code yet.
enum class FinalCode { kOk, kError, kCmsError, kCmeError, kNoCarrier, kPrompt, kPending };

struct Reply {
    std::string info;  // framed information text, possibly empty
    FinalCode final = FinalCode::kOk;
    std::string after;  // framed reports that follow the final code at once
    // Framed call reports that follow a moment later, as a write of their own.
    std::string later;
    int cmsError = 0;
    int cmeError = 0;
    bool verboseError = false;  // +CME ERROR as its text

    static Reply Ok(std::string info = {});
    static Reply Error();
    static Reply CmsError(int code);
    // Shown as AT+CMEE says: see WithErrorMode.
    static Reply CmeError(int code);
    static Reply NoCarrier();
    static Reply Prompt();
    static Reply Pending();
};

// "\r\n" + text + "\r\n"
std::string InfoLine(std::string_view text);

// A +CME ERROR as AT+CMEE mode 0 (plain ERROR), 1 (the number) or 2 (the text) shows it.
Reply WithErrorMode(Reply reply, int errorMode);

// The information text, the framed final code, the reports after it.
std::string Render(const Reply& reply);

// The +CMS ERROR codes the message commands answer with.

inline constexpr int kOperationNotSupported = 303;
inline constexpr int kInvalidPduParameter = 304;
inline constexpr int kInvalidTextParameter = 305;
inline constexpr int kSimNotInserted = 310;
inline constexpr int kSimPinRequired = 311;
inline constexpr int kSimBusy = 314;
inline constexpr int kSimPukRequired = 316;
inline constexpr int kInvalidIndex = 321;
inline constexpr int kCentreUnknown = 330;
inline constexpr int kNoAckExpected = 340;
inline constexpr int kUnknownError = 500;

// The +CME ERROR codes of the equipment and SIM commands (AT+CFUN, AT+CPIN, AT+COPS, AT+CMEE),
// and of any command that needs a SIM that is missing, locked or busy.

inline constexpr int kCmeNotAllowed = 3;
inline constexpr int kCmeNotSupported = 4;
inline constexpr int kCmeSimNotInserted = 10;
inline constexpr int kCmeSimPinRequired = 11;
inline constexpr int kCmeSimPukRequired = 12;
inline constexpr int kCmeSimBusy = 14;
inline constexpr int kCmeIncorrectPassword = 16;
inline constexpr int kCmeIncorrectParameters = 50;

// A storage's name as the storage commands give it: "SM" or "ME".
std::string MemoryName(Memory memory);

// Texts the modem sends on its own, not as an answer to a command:
//   \r\nRING\r\n\r\n+CLIP: "+393351391306",145,,,,0\r\n   (the CLIP line only with AT+CLIP=1
//                                                         and a number that is not withheld;
//                                                         with AT+CRC=1 +CRING: VOICE for RING)
//   \r\n+CREG: 1\r\n                                      (with AT+CREG=1 or 2)
//   \r\nNO CARRIER\r\n                                    (the other side ended the call)
//   \r\n+CMTI: "SM",3\r\n                                (a message stored in slot 3 of the
//                                                         receiving storage, with AT+CNMI <mt> 1
//                                                         and a <mode> other than 0, which
//                                                         keeps them in the module)

std::string RingText(const ModemState& state);
// Nothing when AT+CREG has reports off.
std::string RegistrationReport(const Settings& settings);
// Nothing when AT+CNMI asks for no announcement.
std::string NewMessageReport(const Settings& settings, int index);

// The registration status, with location and cell for mode 2 while registered: `1,"00A1","1B2C"`.
std::string RegistrationFields(const Settings& settings);

}  // namespace modemsim
