#include "modemsim/at/message_view.h"

#include "modemlink/smscodec/user_data.h"
#include "modemsim/at/at_syntax.h"
#include "modemsim/at/message_parts.h"
#include "modemsim/at/pdu.h"
#include "modemsim/at/reply.h"
#include "modemsim/at/sms_text.h"

namespace modemsim {

namespace {

struct Body {
    std::string text;
    std::size_t length = 0;
    int firstOctet = 4;
};

Body BodyOf(const Settings& settings, const StoredSms& sms) {
    if (sms.part) {
        const PartUserData data = UserDataOf(sms);
        const std::u16string hex = OctetsToHex(data.octets);
        return {std::string(hex.begin(), hex.end()), data.length, 4 | kHeaderIndication};
    }
    if (sms.ucs2) {
        const std::string hex = Ucs2Hex(sms.text);
        return {hex, hex.size() / 2};
    }
    return {ToTerminal(settings.charset, sms.text), GsmSeptets(sms.text).value_or(sms.text.size())};
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Status(const StoredSms& sms) {
    return Quoted(kStatusNames[sms.read ? 1 : 0]);
}

// <oa>,[<alpha>],<scts> as text mode gives them.
std::string Origin(const Settings& settings, const StoredSms& sms) {
    return Quoted(ToTerminal(settings.charset, sms.sender)) + ",," + Quoted(sms.timestamp);
}

// ,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length> of the long header.
std::string LongHeader(const Settings& settings, const StoredSms& sms, const Body& body) {
    return "," + std::to_string(NumberType(sms.sender)) + "," + std::to_string(body.firstOctet) +
           ",0," + (sms.ucs2 ? "8" : "0") + "," +
           Quoted(ToTerminal(settings.charset, settings.scaNumber)) + "," +
           std::to_string(settings.scaType) + "," + std::to_string(body.length);
}

// The header line, without its name, and the body of AT+CMGR (status: "REC READ" first) and +CMT
// (none: the message was never stored).
std::string HeaderAndBody(const Settings& settings, const StoredSms& sms, bool status) {
    if (!settings.textMode) {
        const Pdu pdu = DeliverPdu(settings.scaNumber, sms);
        return (status ? std::to_string(sms.read ? 1 : 0) + "," : std::string()) + "," +
               std::to_string(pdu.tpduOctets) + "\r\n" + pdu.hex + "\r\n";
    }
    const Body body = BodyOf(settings, sms);
    return (status ? Status(sms) + "," : std::string()) + Origin(settings, sms) +
           (settings.showHeader ? LongHeader(settings, sms, body) : std::string()) + "\r\n" +
           body.text + "\r\n";
}

}  // namespace

std::string ReadView(const ModemState& state, const StoredSms& sms) {
    return "\r\n+CMGR: " + HeaderAndBody(state.settings, sms, true);
}

std::string RoutedReport(const ModemState& state, const StoredSms& sms) {
    return "\r\n+CMT: " + HeaderAndBody(state.settings, sms, false);
}

std::string ListEntry(const ModemState& state, int index, const StoredSms& sms) {
    const Settings& settings = state.settings;
    const std::string start = "+CMGL: " + std::to_string(index) + ",";
    if (!settings.textMode) {
        const Pdu pdu = DeliverPdu(settings.scaNumber, sms);
        return start + std::to_string(sms.read ? 1 : 0) + ",," + std::to_string(pdu.tpduOctets) +
               "\r\n" + pdu.hex + "\r\n";
    }
    const Body body = BodyOf(settings, sms);
    std::string header = start + Status(sms) + "," + Origin(settings, sms);
    if (settings.showHeader) {
        header += "," + std::to_string(NumberType(sms.sender)) + "," + std::to_string(body.length);
    }
    return header + "\r\n" + body.text + "\r\n";
}

}  // namespace modemsim
