#pragma once
// The modal prompt that the programs' secret questions (platform/core/secret_prompt.h) become in
// a running program.

#include <optional>
#include <string>

#include "platform/core/secret_prompt.h"

namespace platform::ui {

// A small modal dialog over the running dialog: the prompt's caption (the application title when
// it has none) and text, a line with password echo that takes only what the form allows, OK and
// Cancel. OK, and Enter, work only once the input is acceptable; Escape and the close button
// cancel, and so does the end of the window that owns it. Called on any other thread, the prompt
// is shown by the main dialog's thread and the caller waits; with no main dialog, or one that is
// closing, it is cancelled at once.
std::optional<std::u16string> ShowSecretDialog(const platform::SecretPrompt& prompt);

}  // namespace platform::ui
