#include "quillet/centre_line.h"

namespace {

constexpr char16_t kInternational[] = u",145";

bool IsCommand(const std::u16string& text) {
    return text.size() >= 2 && (text[0] == u'A' || text[0] == u'a') &&
           (text[1] == u'T' || text[1] == u't');
}

}  // namespace

std::u16string SmsCentreLine(const std::u16string& text) {
    if (IsCommand(text)) {
        return text + kInternational;
    }
    return u"AT+CSCA=\"" + text + u"\"" + kInternational;
}
