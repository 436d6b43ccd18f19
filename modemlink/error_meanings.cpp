#include "modemlink/error_meanings.h"

#include "modemlink/result_codes.h"

#include <algorithm>

namespace {

struct Meaning {
    int code;
    const char* text;
};

// clang-format off
constexpr Meaning kSmsErrors[] = {
    {1, "unassigned number"}, {8, "operator determined barring"}, {10, "call barred"},
    {21, "short message transfer rejected"}, {27, "destination out of service"},
    {28, "unidentified subscriber"}, {29, "facility rejected"}, {30, "unknown subscriber"},
    {38, "network out of order"}, {41, "temporary failure"}, {42, "congestion"},
    {47, "resources unavailable"}, {50, "requested facility not subscribed"},
    {69, "requested facility not implemented"}, {95, "invalid message"},
    {96, "invalid mandatory information"}, {111, "protocol error"},
    {127, "interworking, unspecified"},
    {300, "ME failure"}, {301, "SMS service of ME reserved"}, {302, "operation not allowed"},
    {303, "operation not supported"}, {304, "invalid PDU mode parameter"},
    {305, "invalid text mode parameter"}, {310, "SIM not inserted"}, {311, "SIM PIN required"},
    {312, "PH-SIM PIN required"}, {313, "SIM failure"}, {314, "SIM busy"}, {315, "SIM wrong"},
    {316, "SIM PUK required"}, {317, "SIM PIN2 required"}, {318, "SIM PUK2 required"},
    {320, "memory failure"}, {321, "invalid memory index"}, {322, "memory full"},
    {330, "SMSC address unknown"}, {331, "no network service"}, {332, "network timeout"},
    {340, "no +CNMA acknowledgement expected"}, {500, "unknown error"},
};

constexpr Meaning kEquipmentErrors[] = {
    {0, "phone failure"}, {1, "no connection to phone"}, {2, "phone-adaptor link reserved"},
    {3, "operation not allowed"}, {4, "operation not supported"}, {5, "PH-SIM PIN required"},
    {10, "SIM not inserted"}, {11, "SIM PIN required"}, {12, "SIM PUK required"},
    {13, "SIM failure"}, {14, "SIM busy"}, {15, "SIM wrong"}, {16, "incorrect password"},
    {17, "SIM PIN2 required"}, {18, "SIM PUK2 required"}, {20, "memory full"},
    {21, "invalid index"}, {22, "not found"}, {23, "memory failure"},
    {24, "text string too long"}, {25, "invalid characters in text string"},
    {26, "dial string too long"}, {27, "invalid characters in dial string"},
    {30, "no network service"}, {31, "network timeout"},
    {32, "network not allowed - emergency calls only"}, {40, "network personalisation PIN required"},
    {100, "unknown"},
};
// clang-format on

struct Family {
    std::u16string_view prefix;
    const Meaning* begin;
    const Meaning* end;
};

const Family kFamilies[] = {
    {u"+CMS ERROR:", std::begin(kSmsErrors), std::end(kSmsErrors)},
    {u"+CME ERROR:", std::begin(kEquipmentErrors), std::end(kEquipmentErrors)},
};

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\r' || text.front() == u'\n')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\r' || text.back() == u'\n')) {
        text.remove_suffix(1);
    }
    return text;
}

// The number after the prefix, when all that follows is one of at most five digits.
std::optional<int> CodeOf(std::u16string_view rest) {
    if (rest.empty() || rest.size() > 5) {
        return std::nullopt;
    }
    int code = 0;
    for (const char16_t unit : rest) {
        if (unit < u'0' || unit > u'9') {
            return std::nullopt;
        }
        code = code * 10 + (unit - u'0');
    }
    return code;
}

}  // namespace

std::optional<std::string> ErrorMeaning(std::u16string_view line) {
    line = Trimmed(line);
    for (const Family& family : kFamilies) {
        if (line.substr(0, family.prefix.size()) != family.prefix) {
            continue;
        }
        const std::optional<int> code = CodeOf(Trimmed(line.substr(family.prefix.size())));
        if (!code) {
            return std::nullopt;
        }
        const Meaning* found = std::find_if(family.begin, family.end,
                                            [&](const Meaning& meaning) { return meaning.code == *code; });
        return found != family.end ? std::string(found->text) : std::string("unknown error code");
    }
    return std::nullopt;
}

std::u16string_view FailureLineOf(std::u16string_view answer) {
    std::u16string_view last;
    std::size_t start = 0;
    while (start < answer.size()) {
        const std::size_t end = std::min(answer.find_first_of(u"\r\n", start), answer.size());
        const std::u16string_view line = answer.substr(start, end - start);
        if (IsRefusalLine(line) || CallReportOfLine(line)) {
            return line;
        }
        if (!Trimmed(line).empty()) {
            last = line;
        }
        start = end + 1;
    }
    return last;
}

std::string ExplainedErrorLine(std::u16string_view line) {
    std::string shown;
    for (const char16_t unit : Trimmed(line)) {
        shown.push_back(unit >= 0x20 && unit < 0x7F ? static_cast<char>(unit) : '?');
    }
    if (const std::optional<std::string> meaning = ErrorMeaning(line)) {
        shown += " (" + *meaning + ")";
    }
    return shown;
}
