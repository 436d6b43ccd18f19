#pragma once
// Text conversions. Received modem bytes become UTF-16 through the system's 8-bit code page, which
// on POSIX is the character set of the user's locale (LC_CTYPE from the environment).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The locale's character set name, as nl_langinfo(CODESET) gives it for LC_CTYPE from the
// environment, without changing the process's own locale.
const std::string& SystemCharset();

// Converts from one 8-bit or multibyte character set to UTF-16. The text ends at the first NUL
// byte. Bytes the set cannot map, and a multibyte sequence cut off at the end, become U+FFFD; the
// rest of the block is still converted. One converter per thread: it is not thread-safe.
class CodePageConverter {
public:
    explicit CodePageConverter(const char* charset);
    ~CodePageConverter();
    CodePageConverter(const CodePageConverter&) = delete;
    CodePageConverter& operator=(const CodePageConverter&) = delete;

    bool IsValid() const;
    std::u16string ToUtf16(const std::uint8_t* bytes, std::size_t count);
    // The same for a block with no NUL, except that a multibyte sequence cut off at its end is
    // left unconverted: `held` says how many bytes at the end that is.
    std::u16string ToUtf16HoldingTail(const std::uint8_t* bytes, std::size_t count,
                                      std::size_t& held);

private:
    // One iconv() pass into the output buffer, appended to text; in == nullptr flushes what the
    // converter holds. Keeps iconv's result and errno.
    std::size_t Convert(char** in, std::size_t* inLeft, std::u16string& text);
    std::u16string ConvertBlock(const std::uint8_t* bytes, std::size_t count, std::size_t* held);

    struct State;
    std::unique_ptr<State> m_state;
};

// The chunks of one byte stream, as a serial line delivers them: a character whose bytes are
// split between two chunks is converted whole with the second, and NUL bytes come out as U+0000
// (the caller decides what a NUL means). One thread at a time.
class StreamDecoder {
public:
    explicit StreamDecoder(const std::string& charset = SystemCharset())
        : m_converter(charset.c_str()) {}
    std::u16string Decode(const std::uint8_t* bytes, std::size_t count);
    // A new stream begins: the start of a character the old one cut off is dropped.
    void Restart() { m_held.clear(); }

private:
    CodePageConverter m_converter;
    std::string m_held;
};

// For logs, stderr and file names: lone surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace platform
