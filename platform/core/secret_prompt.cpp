#include "platform/core/secret_prompt.h"

#include <mutex>

namespace platform {
namespace {

std::mutex g_answererLock;
SecretAnswerer g_answerer;

bool Allowed(const SecretForm& form, char16_t unit) {
    if (form.digitsOnly) {
        return unit >= u'0' && unit <= u'9';
    }
    return unit >= 0x20 && unit != 0x7F;
}

}  // namespace

SecretFit FitOf(const SecretForm& form, std::u16string_view input) {
    if (input.size() > form.maxLength) {
        return SecretFit::kRefused;
    }
    for (const char16_t unit : input) {
        if (!Allowed(form, unit)) {
            return SecretFit::kRefused;
        }
    }
    if (input.size() < form.minLength) {
        return SecretFit::kUnfinished;
    }
    return SecretFit::kAcceptable;
}

std::optional<std::u16string> AskSecret(const SecretPrompt& prompt) {
    SecretAnswerer answerer;
    {
        std::lock_guard<std::mutex> lock(g_answererLock);
        answerer = g_answerer;
    }
    if (!answerer) {
        return std::nullopt;
    }
    std::optional<std::u16string> secret = answerer(prompt);
    if (secret && FitOf(prompt.form, *secret) != SecretFit::kAcceptable) {
        return std::nullopt;
    }
    return secret;
}

SecretAnswerer SetSecretAnswerer(SecretAnswerer answerer) {
    std::lock_guard<std::mutex> lock(g_answererLock);
    SecretAnswerer previous = std::move(g_answerer);
    g_answerer = std::move(answerer);
    return previous;
}

}  // namespace platform
