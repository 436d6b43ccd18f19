#include "modemlink/tracetext/byte_escapes.h"

#include <algorithm>

namespace tracetext {

namespace {

char HexDigit(unsigned value) {
    return "0123456789ABCDEF"[value & 0xFU];
}

std::optional<unsigned> HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    return std::nullopt;
}

const char* NamedEscape(char byte) {
    switch (byte) {
        case '\r':
            return "\\r";
        case '\n':
            return "\\n";
        case '\t':
            return "\\t";
        case '\0':
            return "\\0";
        case '\\':
            return "\\\\";
        case '\x1B':
            return "\\e";
        case '\x1A':
            return "\\z";
        default:
            return nullptr;
    }
}

std::optional<char> NamedByte(char letter) {
    switch (letter) {
        case 'r':
            return '\r';
        case 'n':
            return '\n';
        case 't':
            return '\t';
        case '0':
            return '\0';
        case '\\':
            return '\\';
        case 'e':
            return '\x1B';
        case 'z':
            return '\x1A';
        default:
            return std::nullopt;
    }
}

// The length of the well-formed UTF-8 sequence at `at` when it is a printable character beyond
// ASCII, else 0: overlong forms, surrogates, code points past U+10FFFF and C1 controls are not.
std::size_t PrintableSequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) {
        return 0;
    }
    char32_t code = lead & (0x7FU >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0U) != 0x80U) {
            return 0;
        }
        code = (code << 6U) | (next & 0x3FU);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0xA0, 0x800, 0x10000};  // below 0xA0: C1 controls
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < kSmallest[length] || code > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

std::string EscapeText(std::string_view text) {
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = PrintableSequenceLength(text, at);
        shown +=
            length > 0 ? std::string(text.substr(at, length)) : EscapeBytes(text.substr(at, 1));
        at += std::max<std::size_t>(length, 1);
    }
    return shown;
}

std::string EscapeBytes(std::string_view bytes) {
    std::string text;
    for (char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (const char* named = NamedEscape(byte)) {
            text += named;
        } else if (code < 0x20 || code >= 0x7F) {
            text += "\\x";
            text.push_back(HexDigit(code >> 4U));
            text.push_back(HexDigit(code));
        } else {
            text.push_back(byte);
        }
    }
    return text;
}

std::optional<std::string> UnescapeBytes(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes.push_back(text[i]);
            continue;
        }
        if (++i >= text.size()) {
            return std::nullopt;
        }
        if (text[i] == 'x') {
            const std::optional<unsigned> high =
                i + 2 < text.size() ? HexValue(text[i + 1]) : std::nullopt;
            const std::optional<unsigned> low = high ? HexValue(text[i + 2]) : std::nullopt;
            if (!low) {
                return std::nullopt;
            }
            bytes.push_back(static_cast<char>(*high * 16 + *low));
            i += 2;
            continue;
        }
        const std::optional<char> named = NamedByte(text[i]);
        if (!named) {
            return std::nullopt;
        }
        bytes.push_back(*named);
    }
    return bytes;
}

}  // namespace tracetext
