#include "platform/core/codepage.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

void AppendLittleEndianUnits(const std::vector<char>& out, std::size_t byteCount,
                             std::u16string& text) {
    for (std::size_t i = 0; i + 1 < byteCount; i += 2) {
        auto low = static_cast<unsigned char>(out[i]);
        auto high = static_cast<unsigned char>(out[i + 1]);
        text.push_back(static_cast<char16_t>(low | (high << 8)));
    }
}

}  // namespace

struct CodePageConverter::State {
    iconv_t cd = kNoConverter;
    std::vector<char> out;
};

CodePageConverter::CodePageConverter(const char* charset) : m_state(std::make_unique<State>()) {
    m_state->cd = iconv_open("UTF-16LE", charset);
}

CodePageConverter::~CodePageConverter() {
    if (m_state->cd != kNoConverter) {
        iconv_close(m_state->cd);
    }
}

bool CodePageConverter::IsValid() const {
    return m_state->cd != kNoConverter;
}

std::u16string CodePageConverter::ToUtf16(const std::uint8_t* bytes, std::size_t count) {
    const void* nul = std::memchr(bytes, 0, count);
    if (nul != nullptr) {
        count = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes);
    }
    return ConvertBlock(bytes, count, nullptr);
}

std::u16string CodePageConverter::ToUtf16HoldingTail(const std::uint8_t* bytes, std::size_t count,
                                                     std::size_t& held) {
    held = 0;
    return ConvertBlock(bytes, count, &held);
}

std::u16string CodePageConverter::ConvertBlock(const std::uint8_t* bytes, std::size_t count,
                                               std::size_t* held) {
    std::u16string text;
    if (!IsValid()) {
        for (std::size_t i = 0; i < count; ++i) {
            text.push_back(bytes[i] < 0x80 ? char16_t{bytes[i]} : kReplacement);
        }
        return text;
    }
    iconv(m_state->cd, nullptr, nullptr, nullptr, nullptr);
    // Every input byte yields at most one UTF-16 unit, or two for a 4-byte sequence.
    m_state->out.resize(count * 2 + 8);
    // iconv's interface takes char** although it never writes through the input pointer.
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
    std::size_t inLeft = count;
    while (inLeft > 0) {
        const std::size_t rc = Convert(&in, &inLeft, text);
        if (rc != static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            continue;
        }
        // What the converter still holds (a base letter waiting for a combining mark) comes
        // before the bad byte.
        Convert(nullptr, nullptr, text);
        if (errno != EILSEQ) {  // EINVAL: a multibyte sequence cut off at the end of the block
            if (held != nullptr) {
                *held = inLeft;
                return text;
            }
            text.push_back(kReplacement);
            break;
        }
        text.push_back(kReplacement);
        ++in;
        --inLeft;
    }
    Convert(nullptr, nullptr, text);
    return text;
}

std::size_t CodePageConverter::Convert(char** in, std::size_t* inLeft, std::u16string& text) {
    char* out = m_state->out.data();
    std::size_t outLeft = m_state->out.size();
    const std::size_t rc = iconv(m_state->cd, in, inLeft, &out, &outLeft);
    const int saved = errno;
    AppendLittleEndianUnits(m_state->out, m_state->out.size() - outLeft, text);
    errno = saved;
    return rc;
}

const std::string& SystemCharset() {
    static const std::string charset = [] {
        locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr)) {
            locale = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
        }
        std::string name = nl_langinfo_l(CODESET, locale);
        freelocale(locale);
        return name;
    }();
    return charset;
}

std::u16string StreamDecoder::Decode(const std::uint8_t* bytes, std::size_t count) {
    m_held.append(reinterpret_cast<const char*>(bytes), count);
    const auto* data = reinterpret_cast<const std::uint8_t*>(m_held.data());
    std::u16string text;
    std::size_t start = 0;
    for (;;) {
        const void* nul = std::memchr(data + start, 0, m_held.size() - start);
        if (nul == nullptr) {
            break;
        }
        const auto end = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data);
        // A sequence cut by a NUL is bad, not split: only the stream's end waits for more.
        text += m_converter.ToUtf16(data + start, end - start);
        text.push_back(u'\0');
        start = end + 1;
    }
    std::size_t held = 0;
    text += m_converter.ToUtf16HoldingTail(data + start, m_held.size() - start, held);
    m_held.erase(0, m_held.size() - held);
    return text;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
    thread_local CodePageConverter converter("UTF-8");
    std::u16string out;
    // The converter stops at NUL; keep embedded NULs, which std::string may legitimately hold.
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        out += converter.ToUtf16(reinterpret_cast<const std::uint8_t*>(text.data()) + start,
                                 end - start);
        if (end == text.size()) {
            break;
        }
        out.push_back(u'\0');
        start = end + 1;
    }
    return out;
}

}  // namespace platform
