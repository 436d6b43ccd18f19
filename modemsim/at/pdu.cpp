#include "modemsim/at/pdu.h"

#include <cstdint>
#include <vector>

#include "modemlink/smscodec/gsm_text.h"
#include "modemsim/at/message_parts.h"
#include "platform/core/codepage.h"

namespace modemsim {

namespace {

using Octets = std::vector<std::uint8_t>;

constexpr std::uint8_t kInternational = 0x91;
constexpr std::uint8_t kUnknownType = 0x81;
constexpr std::uint8_t kAlphanumeric = 0xD0;
constexpr std::uint8_t kTypeOfNumber = 0x70;  // the bits of the type that say what the number is
constexpr std::uint8_t kMoreMessagesNone = 0x04;
constexpr std::uint8_t kSubmit = 0x01;
constexpr std::size_t kMaxDigits = 20;
constexpr std::size_t kMaxNameSeptets = 11;
constexpr char kDigitChars[] = "0123456789*#";

int DigitValue(char c) {
    for (int value = 0; kDigitChars[value] != '\0'; ++value) {
        if (kDigitChars[value] == c) {
            return value;
        }
    }
    return -1;
}

// "+" and 1 to 20 of 0-9 * #, or those alone.
bool IsNumber(const std::string& address) {
    const std::size_t first = !address.empty() && address[0] == '+' ? 1 : 0;
    if (address.size() == first || address.size() - first > kMaxDigits) {
        return false;
    }
    for (std::size_t i = first; i < address.size(); ++i) {
        if (DigitValue(address[i]) < 0) {
            return false;
        }
    }
    return true;
}

Octets SemiOctets(const std::string& digits) {
    Octets octets;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int low = DigitValue(digits[i]);
        const int high = i + 1 < digits.size() ? DigitValue(digits[i + 1]) : 0xF;
        octets.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return octets;
}

void Append(Octets& out, const Octets& more) {
    out.insert(out.end(), more.begin(), more.end());
}

std::uint8_t TypeOf(const std::string& number) {
    return number[0] == '+' ? kInternational : kUnknownType;
}

std::string DigitsOf(const std::string& number) {
    return number[0] == '+' ? number.substr(1) : number;
}

// The service centre's length counts octets, its type included.
void AppendCentre(Octets& out, const std::string& centre) {
    if (!IsNumber(centre)) {
        out.push_back(0);
        return;
    }
    const Octets digits = SemiOctets(DigitsOf(centre));
    out.push_back(static_cast<std::uint8_t>(digits.size() + 1));
    out.push_back(TypeOf(centre));
    Append(out, digits);
}

// Characters outside the GSM alphabet become '?'.
std::u16string GsmCodes(const std::string& utf8) {
    std::u16string codes;
    for (char16_t unit : platform::Utf8ToUtf16(utf8)) {
        codes += TextToGsm(std::u16string(1, unit)).value_or(u"?");
    }
    return codes;
}

// A number's length counts its digits; a name's, the semi-octets its septets fill.
void AppendSender(Octets& out, const std::string& sender) {
    if (IsNumber(sender)) {
        out.push_back(static_cast<std::uint8_t>(DigitsOf(sender).size()));
        out.push_back(TypeOf(sender));
        Append(out, SemiOctets(DigitsOf(sender)));
        return;
    }
    std::u16string codes = GsmCodes(sender);
    std::size_t keep = 0;
    while (keep < codes.size()) {
        const std::size_t step = codes[keep] == 0x1B ? 2 : 1;
        if (keep + step > kMaxNameSeptets) {
            break;
        }
        keep += step;
    }
    codes.resize(keep);
    out.push_back(static_cast<std::uint8_t>((codes.size() * 7 + 3) / 4));
    out.push_back(kAlphanumeric);
    Append(out, PackSeptets({}, codes));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "yy/MM/dd,hh:mm:ss+zz": each pair of digits swapped into an octet; a zone behind UTC has the
// sign bit (0x08) in its octet.
void AppendTimestamp(Octets& out, const std::string& stamp) {
    static constexpr char kShape[] = "00/00/00,00:00:00+00";
    bool shaped = stamp.size() == sizeof kShape - 1;
    for (std::size_t i = 0; shaped && i < stamp.size(); ++i) {
        shaped = kShape[i] == '0'   ? IsDigit(stamp[i])
                 : kShape[i] == '+' ? stamp[i] == '+' || stamp[i] == '-'
                                    : stamp[i] == kShape[i];
    }
    for (std::size_t pos = 0; pos < sizeof kShape - 1; pos += 3) {
        if (!shaped) {
            out.push_back(0);
            continue;
        }
        std::uint8_t octet =
            static_cast<std::uint8_t>((stamp[pos + 1] - '0') << 4 | (stamp[pos] - '0'));
        if (pos == 18 && stamp[17] == '-') {
            octet |= 0x08;
        }
        out.push_back(octet);
    }
}

struct UserData {
    std::uint8_t firstOctet = kMoreMessagesNone;
    std::uint8_t codingScheme = 0;
    std::size_t length = 0;
    Octets octets;
};

UserData UserDataFor(const StoredSms& sms) {
    UserData data;
    data.codingScheme = sms.ucs2 ? 0x08 : 0x00;
    if (sms.part) {
        PartUserData part = UserDataOf(sms);
        data.firstOctet |= kHeaderIndication;
        data.length = part.length;
        data.octets = std::move(part.octets);
    } else if (sms.ucs2) {
        for (char16_t unit : platform::Utf8ToUtf16(sms.text)) {
            data.octets.push_back(static_cast<std::uint8_t>(unit >> 8));
            data.octets.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        }
        data.length = data.octets.size();
    } else {
        const std::u16string codes = GsmCodes(sms.text);
        data.octets = PackSeptets({}, codes);
        data.length = codes.size();
    }
    return data;
}

// Reads octets in order; once one is missing, everything reads as nothing and Ok() stays false.
class Reader {
public:
    explicit Reader(const Octets& octets) : m_octets(octets) {}

    std::uint8_t Next() { return Take(1).empty() ? 0 : m_octets[m_at - 1]; }
    Octets Take(std::size_t count) {
        if (!m_ok || Left() < count) {
            m_ok = false;
            return {};
        }
        m_at += count;
        return Octets(m_octets.begin() + static_cast<long>(m_at - count),
                      m_octets.begin() + static_cast<long>(m_at));
    }
    std::size_t Left() const { return m_octets.size() - m_at; }
    bool Ok() const { return m_ok; }

private:
    const Octets& m_octets;
    std::size_t m_at = 0;
    bool m_ok = true;
};

// `count` digits from semi-octets; nothing for a nibble that is no digit.
std::optional<std::string> Digits(const Octets& semi, std::size_t count) {
    std::string digits;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned nibble = (unsigned{semi[i / 2]} >> (i % 2 == 0 ? 0u : 4u)) & 0xFu;
        if (nibble >= sizeof kDigitChars - 1) {
            return std::nullopt;
        }
        digits.push_back(kDigitChars[nibble]);
    }
    return digits;
}

std::optional<std::string> Number(std::uint8_t type, const std::optional<std::string>& digits) {
    if (!digits || digits->empty() || digits->size() > kMaxDigits ||
        (type & kTypeOfNumber) == (kAlphanumeric & kTypeOfNumber)) {
        return std::nullopt;
    }
    return ((type & kTypeOfNumber) == (kInternational & kTypeOfNumber) ? "+" : "") + *digits;
}

// The centre's length counts octets, so an F in the last high half marks an odd count.
std::optional<std::optional<std::string>> ReadCentre(Reader& reader) {
    const std::size_t octets = reader.Next();
    if (octets == 0) {
        return std::optional<std::string>();
    }
    const std::uint8_t type = reader.Next();
    const Octets semi = reader.Take(octets - 1);
    if (!reader.Ok() || semi.empty()) {
        return std::nullopt;
    }
    const std::size_t count = semi.size() * 2 - ((semi.back() >> 4) == 0xF ? 1 : 0);
    const std::optional<std::string> number = Number(type, Digits(semi, count));
    return number ? std::optional<std::optional<std::string>>(number) : std::nullopt;
}

std::optional<std::string> ReadDestination(Reader& reader) {
    const std::size_t count = reader.Next();
    const std::uint8_t type = reader.Next();
    const Octets semi = reader.Take((count + 1) / 2);
    return reader.Ok() ? Number(type, Digits(semi, count)) : std::nullopt;
}

// The validity period's size by its format in the first octet: none, 7 octets, 1, 7.
std::size_t ValidityOctets(std::uint8_t firstOctet) {
    static constexpr std::size_t kSizes[] = {0, 7, 1, 7};
    return kSizes[(firstOctet >> 3) & 0x3];
}

std::optional<std::string> UserText(SmsAlphabet alphabet, std::size_t length, const Octets& data,
                                    std::size_t headerOctets) {
    if (alphabet == SmsAlphabet::kGsm7) {
        const std::size_t skipped = HeaderSeptets(headerOctets);
        if (skipped > length) {
            return std::nullopt;
        }
        return platform::Utf16ToUtf8(
            GsmToText(UnpackSeptets(data, headerOctets, length - skipped)));
    }
    const Octets body(data.begin() + static_cast<long>(headerOctets), data.end());
    if (alphabet == SmsAlphabet::kEightBit) {
        const std::u16string hex = OctetsToHex(body);
        return std::string(hex.begin(), hex.end());
    }
    if (body.size() % 2 != 0) {
        return std::nullopt;
    }
    std::u16string units;
    for (std::size_t i = 0; i < body.size(); i += 2) {
        units.push_back(static_cast<char16_t>(body[i] << 8 | body[i + 1]));
    }
    return platform::Utf16ToUtf8(units);
}

// The user data after its length: septets fill (length * 7) bits, 160 at most; octets 140.
std::optional<Submission> ReadUserData(std::uint8_t firstOctet, std::uint8_t codingScheme,
                                       Reader& reader) {
    const std::size_t length = reader.Next();
    const Octets data = reader.Take(reader.Left());
    const SmsAlphabet alphabet = AlphabetOfCodingScheme(codingScheme);
    const bool septets = alphabet == SmsAlphabet::kGsm7;
    if (!reader.Ok() || length > (septets ? 160u : 140u) ||
        data.size() != (septets ? (length * 7 + 7) / 8 : length)) {
        return std::nullopt;
    }
    Submission submission;
    std::size_t headerOctets = 0;
    if ((firstOctet & kHeaderIndication) != 0) {
        const std::optional<UserDataHeader> header = ReadUserDataHeader(data);
        if (!header) {
            return std::nullopt;
        }
        headerOctets = header->octets;
        submission.part = header->part;
    }
    const std::optional<std::string> text = UserText(alphabet, length, data, headerOctets);
    if (!text) {
        return std::nullopt;
    }
    submission.text = *text;
    return submission;
}

}  // namespace

Pdu DeliverPdu(const std::string& centre, const StoredSms& sms) {
    Octets out;
    AppendCentre(out, centre);
    const std::size_t centreOctets = out.size();
    const UserData data = UserDataFor(sms);
    out.push_back(data.firstOctet);
    AppendSender(out, sms.sender);
    out.push_back(0);  // protocol: a plain short message
    out.push_back(data.codingScheme);
    AppendTimestamp(out, sms.timestamp);
    out.push_back(static_cast<std::uint8_t>(data.length));
    Append(out, data.octets);
    const std::u16string hex = OctetsToHex(out);
    return {std::string(hex.begin(), hex.end()), out.size() - centreOctets};
}

std::optional<Submission> DecodeSubmit(std::string_view hex, std::size_t tpduOctets) {
    const std::optional<Octets> octets = HexToOctets(std::u16string(hex.begin(), hex.end()));
    if (!octets) {
        return std::nullopt;
    }
    Reader reader(*octets);
    const std::optional<std::optional<std::string>> centre = ReadCentre(reader);
    if (!centre || reader.Left() != tpduOctets) {
        return std::nullopt;
    }
    const std::uint8_t firstOctet = reader.Next();
    reader.Next();  // the message reference: the modem gives its own
    const std::optional<std::string> destination = ReadDestination(reader);
    reader.Next();  // protocol
    const std::uint8_t codingScheme = reader.Next();
    reader.Take(ValidityOctets(firstOctet));
    if ((firstOctet & 0x03) != kSubmit || !destination || !reader.Ok()) {
        return std::nullopt;
    }
    std::optional<Submission> submission = ReadUserData(firstOctet, codingScheme, reader);
    if (submission) {
        submission->destination = *destination;
        submission->centre = *centre;
    }
    return submission;
}

}  // namespace modemsim
