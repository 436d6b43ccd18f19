#pragma once
// Where the programs ask the user for a secret (the SIM's PIN when the modem answers
// `+CPIN: SIM PIN`). The window layer installs a modal prompt, tests a scripted answerer; with
// none installed the question is cancelled at once, so a program without a window, or a test
// that installed nothing, never blocks on it.
//
// Thread contract: AskSecret from any thread; it blocks as long as the answerer does (the window
// layer's answerer hands the prompt to the main dialog's thread and waits for the user).
// SetSecretAnswerer from any thread: AskSecret takes a copy under the lock, so an answerer
// replaced meanwhile still finishes the prompt it began.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// What a secret may look like. Lengths count UTF-16 units, both ends included.
struct SecretForm {
    std::size_t minLength = 4;
    std::size_t maxLength = 8;
    // '0' to '9' only, as AT+CPIN="1234" takes them; otherwise anything but control characters
    // (the secret is one line).
    bool digitsOnly = true;
};

struct SecretPrompt {
    std::u16string caption;
    // One or two lines ("\n" or "\r\n" between them): the question and, say, the attempts left.
    std::u16string text;
    SecretForm form;
};

// How far an input is from a secret of the form. kRefused: a character the form does not take,
// or more than its longest, which no further typing mends; kUnfinished: shorter than its
// shortest.
enum class SecretFit { kRefused, kUnfinished, kAcceptable };
SecretFit FitOf(const SecretForm& form, std::u16string_view input);

// The user's secret, or nothing when they cancelled. The answer is held against the form
// whatever the answerer, so a caller only ever gets an acceptable secret.
using SecretAnswerer = std::function<std::optional<std::u16string>(const SecretPrompt& prompt)>;
std::optional<std::u16string> AskSecret(const SecretPrompt& prompt);

// Replaces the answerer and returns the previous one (an empty one cancels every question).
SecretAnswerer SetSecretAnswerer(SecretAnswerer answerer);

class ScopedSecretAnswerer {
public:
    explicit ScopedSecretAnswerer(SecretAnswerer answerer)
        : m_previous(SetSecretAnswerer(std::move(answerer))) {}
    ~ScopedSecretAnswerer() { SetSecretAnswerer(std::move(m_previous)); }
    ScopedSecretAnswerer(const ScopedSecretAnswerer&) = delete;
    ScopedSecretAnswerer& operator=(const ScopedSecretAnswerer&) = delete;

private:
    SecretAnswerer m_previous;
};

}  // namespace platform
