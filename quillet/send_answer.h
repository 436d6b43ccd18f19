#pragma once
// The two answers of sending a message with AT+CMGS: the prompt for the text, then the result.

#include <cstdint>
#include <string>
#include <vector>

#include "modemlink/result_codes.h"

// kOk for a ">" at a position above 0 (the modem's "> " prompt, wherever it stands), else kError
// for "ERROR\r\n" at a position above 0, else kNone.
FinalResult DecidePromptAnswer(const std::u16string& answer);

// The answer to the text: its echo (text_echo.h), then the modem's lines. Of those, the first
// complete "+CMGS: <n>" line means sent (kOk); an "ERROR" or "+CMS ERROR: <n>" line means not
// sent (kError). kNone until one of them has come. `sent` is the text's bytes as written, without
// Ctrl-Z.
FinalResult DecideResultAnswer(const std::u16string& answer, const std::vector<std::uint8_t>& sent);
