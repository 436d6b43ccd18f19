#pragma once
// The message program's application object: it runs the message window once.

#include <cstdint>

#include "platform/ui/win_app.h"

class CSmsApp : public CWinApp {
public:
    CSmsApp() = default;
    ~CSmsApp() override = default;
    std::int32_t RunMainDialog() override;
};
