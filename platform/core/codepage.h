#pragma once
// Text conversions. Received modem bytes become UTF-16 through the system's 8-bit code page, which
// on POSIX is the character set of the user's locale (LC_CTYPE from the environment).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

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

private:
    // One iconv() pass into the output buffer, appended to text; in == nullptr flushes what the
    // converter holds. Keeps iconv's result and errno.
    std::size_t Convert(char** in, std::size_t* inLeft, std::u16string& text);

    struct State;
    std::unique_ptr<State> m_state;
};

// The locale's character set name, as nl_langinfo(CODESET) gives it for LC_CTYPE from the
// environment, without changing the process's own locale.
const std::string& SystemCharset();

// ToUtf16 with the system character set, on a converter owned by the calling thread.
std::u16string AnsiToUtf16(const std::uint8_t* bytes, std::size_t count);

// For logs, stderr and file names: lone surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace platform
