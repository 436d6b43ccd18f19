#include "modemsim/at/sms_text.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "modemlink/smscodec/gsm_text.h"
#include "modemsim/at/at_syntax.h"
#include "platform/core/codepage.h"

namespace modemsim {

// The hex itself is the SMS codec's (modemlink/smscodec/gsm_text.h); here only UTF-8 meets it.
std::string Ucs2Hex(std::string_view utf8) {
    const std::u16string hex = TextToUcs2Hex(platform::Utf8ToUtf16(std::string(utf8)));
    return std::string(hex.begin(), hex.end());  // hex digits only
}

std::optional<std::string> FromUcs2Hex(std::string_view hex) {
    while (!hex.empty() && (hex.back() == '\r' || hex.back() == '\n')) {
        hex.remove_suffix(1);
    }
    const std::optional<std::u16string> units =
        Ucs2HexToText(platform::Utf8ToUtf16(std::string(hex)));
    return units ? std::optional<std::string>(platform::Utf16ToUtf8(*units)) : std::nullopt;
}

namespace {

std::string GsmBytes(std::string_view utf8) {
    std::string bytes;
    for (char16_t unit : platform::Utf8ToUtf16(std::string(utf8))) {
        const std::u16string codes = TextToGsm(std::u16string(1, unit)).value_or(u"?");
        for (char16_t code : codes) {
            bytes.push_back(static_cast<char>(code));
        }
    }
    return bytes;
}

std::string FromGsmBytes(std::string_view bytes) {
    std::u16string codes;
    for (char byte : bytes) {
        codes.push_back(static_cast<char16_t>(static_cast<unsigned char>(byte)));
    }
    return platform::Utf16ToUtf8(GsmToText(codes));
}

std::string IraBytes(std::string_view utf8) {
    std::string bytes;
    for (char16_t unit : platform::Utf8ToUtf16(std::string(utf8))) {
        bytes.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return bytes;
}

}  // namespace

std::optional<std::size_t> GsmSeptets(std::string_view utf8) {
    const std::optional<std::u16string> codes = TextToGsm(platform::Utf8ToUtf16(std::string(utf8)));
    return codes ? std::optional<std::size_t>(codes->size()) : std::nullopt;
}

std::string ToTerminal(Charset charset, std::string_view utf8) {
    switch (charset) {
        case Charset::kGsm:
            return GsmBytes(utf8);
        case Charset::kIra:
            return IraBytes(utf8);
        case Charset::kUcs2:
            return Ucs2Hex(utf8);
    }
    return std::string(utf8);
}

std::optional<std::string> FromTerminal(Charset charset, std::string_view text) {
    switch (charset) {
        case Charset::kGsm:
            return FromGsmBytes(text);
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

namespace {

struct CivilDate {
    long year;
    unsigned month;
    unsigned day;
};

// Days since 1970-01-01 to a Gregorian date, without the C library's non-reentrant calls.
CivilDate DateFromDays(long days) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned long>(days - era * 146097);
    const unsigned long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned long monthIndex = (5 * dayOfYear + 2) / 153;
    const auto day = static_cast<unsigned>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const auto month = static_cast<unsigned>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const long year = static_cast<long>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

}  // namespace

std::string SmsTimestamp(std::chrono::system_clock::time_point when) {
    const long seconds = static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count());
    const long days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const long secondOfDay = seconds - days * 86400;
    const CivilDate date = DateFromDays(days);
    char text[64];  // room for what the compiler cannot rule out without optimising
    std::snprintf(text, sizeof text, "%02ld/%02u/%02u,%02ld:%02ld:%02ld+00",
                  ((date.year % 100) + 100) % 100, date.month, date.day, secondOfDay / 3600,
                  secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
}

}  // namespace modemsim
