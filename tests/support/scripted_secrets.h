#pragma once
// Answers every secret question (the platform's secret answerer) from a script for as long as it
// lives, and records each prompt. An answer of nothing is a cancel, and so is every question past
// the end of the script. Asked on one thread at a time; read it once the asker is done.

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/secret_prompt.h"

struct ScriptedSecrets {
    std::deque<std::optional<std::u16string>> answers;
    std::vector<platform::SecretPrompt> prompts;
    platform::ScopedSecretAnswerer answerer{[this](const platform::SecretPrompt& prompt) {
        prompts.push_back(prompt);
        std::optional<std::u16string> answer;
        if (!answers.empty()) {
            answer = std::move(answers.front());
            answers.pop_front();
        }
        return answer;
    }};
};
