// The dialer window in a call it answered, the caller's number shown.
#include "dorrin/dial_dialog.h"
#include "dorrin/resource_ids.h"
#include "window_stage.h"

namespace screenshot {

std::unique_ptr<CDialog> MakeWindow() {
    return std::make_unique<CDialDlg>();
}

bool Stage(modemsim::Simulator& modem, CDialog& dialog, platform::ui::DialogWindow& window) {
    if (!modem.Ring(std::string("+8613912345678")).ok ||
        !WaitFor([&] { return !dialog.GetDlgItemText(IDC_CALLER).empty(); }, 5000)) {
        return false;
    }
    Click(window, IDC_ANSWER);
    return (dialog.GetButtonState(IDC_ANSWER) & 3) == BST_CHECKED;
}

}  // namespace screenshot
