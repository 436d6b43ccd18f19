#pragma once
// The character sets of short-message text as modules give and take it in text mode:
//   - the GSM 7-bit default alphabet, one byte per character, "@" as 0x00, "$" as 0x02, "_" as
//     0x11, while 0x24 is "¤" and 0x40 "¡"; "{ } [ ] ~ \ | ^ €" only as 0x1B plus a code of the
//     extension table:                   "a@b_c$d"  <->  61 00 62 11 63 02 64
//   - UCS2 as the hex of each UTF-16 unit, four digits:   "你好"  <->  "4F60597D"
//   - the data coding scheme of a received message, which says which of them its text uses.
// Here a GSM code is held in one UTF-16 unit (0x00-0x7F), as the channel receives it.

#include <cstdint>
#include <optional>
#include <string>

enum class SmsAlphabet { kGsm7, kEightBit, kUcs2 };

// The alphabet of a data coding scheme's coding group. Groups that name no alphabet, and the
// reserved ones, fall back to the GSM alphabet; compressed text cannot be decoded and is shown
// as its octets (kEightBit).
SmsAlphabet AlphabetOfCodingScheme(std::uint8_t dcs);

// GSM codes to text with both tables. An escape before a code that the extension table does not
// hold gives the basic table's character; an escape at the very end gives a space. Units above
// 0x7F, which a GSM text cannot hold, are kept as they are.
std::u16string GsmToText(const std::u16string& codes);

// The GSM codes of a text whose every character is in one of the tables, extension characters
// as the escape and their code; nothing otherwise.
std::optional<std::u16string> TextToGsm(const std::u16string& text);
// The GSM codes of a text whose every character is in the basic table; nothing otherwise, and
// nothing for "Ξ" (0x1A) and the escape (0x1B), which text entry takes for Ctrl-Z and ESC.
std::optional<std::u16string> TextToGsmBasic(const std::u16string& text);

// The hex of each UTF-16 unit, upper case.
std::u16string TextToUcs2Hex(const std::u16string& text);
// The units of UCS2 hex (either case); nothing when its length is no multiple of four or a
// character is no hex digit. Surrogate pairs come through as the pair.
std::optional<std::u16string> Ucs2HexToText(const std::u16string& hex);

// How many of a text's units one message holds in each alphabet.
inline constexpr std::size_t kGsmCharactersPerMessage = 160;
inline constexpr std::size_t kUcs2UnitsPerMessage = 70;
