#include "modemlink/tracetext/byte_escapes.h"

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

}  // namespace

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
