#include "modemsim/text_codec.h"

#include <cctype>
#include <cstdint>

#include "modemsim/hex_digits.h"
#include "platform/core/codepage.h"

namespace modemsim {
namespace {

std::string Ucs2Hex(std::string_view utf8) {
    std::string hex;
    for (char16_t unit : platform::Utf8ToUtf16(std::string(utf8))) {
        for (int shift = 12; shift >= 0; shift -= 4) {
            hex.push_back(HexDigit(static_cast<unsigned>(unit) >> shift));
        }
    }
    return hex;
}

std::optional<std::string> FromUcs2Hex(std::string_view hex) {
    while (!hex.empty() && (hex.back() == '\r' || hex.back() == '\n')) {
        hex.remove_suffix(1);
    }
    if (hex.size() % 4 != 0) {
        return std::nullopt;
    }
    std::u16string units;
    for (std::size_t i = 0; i < hex.size(); i += 4) {
        unsigned unit = 0;
        for (std::size_t j = i; j < i + 4; ++j) {
            const std::optional<unsigned> digit = HexValue(hex[j]);
            if (!digit) {
                return std::nullopt;
            }
            unit = unit * 16 + *digit;
        }
        units.push_back(static_cast<char16_t>(unit));
    }
    return platform::Utf16ToUtf8(units);
}

}  // namespace

std::string ToTerminal(Charset charset, std::string_view utf8) {
    switch (charset) {
        case Charset::kGsm:
        case Charset::kIra:
            return std::string(utf8);
        case Charset::kUcs2:
            return Ucs2Hex(utf8);
    }
    return std::string(utf8);
}

std::optional<std::string> FromTerminal(Charset charset, std::string_view text) {
    switch (charset) {
        case Charset::kGsm:
        case Charset::kIra:
            return std::string(text);
        case Charset::kUcs2:
            return FromUcs2Hex(text);
    }
    return std::nullopt;
}

std::string CharsetName(Charset charset) {
    switch (charset) {
        case Charset::kGsm:
            return "GSM";
        case Charset::kIra:
            return "IRA";
        case Charset::kUcs2:
            return "UCS2";
    }
    return "GSM";
}

std::optional<Charset> CharsetFromName(std::string_view name) {
    std::string upper;
    for (char c : name) {
        upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    for (Charset charset : {Charset::kGsm, Charset::kIra, Charset::kUcs2}) {
        if (upper == CharsetName(charset)) {
            return charset;
        }
    }
    return std::nullopt;
}

}  // namespace modemsim
