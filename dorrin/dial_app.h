#pragma once
// The dialer program's application object: it runs the dialer window once.

#include <cstdint>

#include "platform/ui/win_app.h"

class CDialApp : public CWinApp {
public:
    CDialApp() = default;
    ~CDialApp() override = default;
    std::int32_t RunMainDialog() override;
};
