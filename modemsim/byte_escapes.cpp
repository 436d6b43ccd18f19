#include "modemsim/byte_escapes.h"

namespace modemsim {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

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

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
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
            text.push_back(kHexDigits[code >> 4]);
            text.push_back(kHexDigits[code & 0xF]);
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
            if (i + 2 >= text.size() || HexValue(text[i + 1]) < 0 || HexValue(text[i + 2]) < 0) {
                return std::nullopt;
            }
            bytes.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
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

}  // namespace modemsim
