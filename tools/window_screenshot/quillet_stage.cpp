// The message window with a message just received.
#include "quillet/resource_ids.h"
#include "quillet/sms_dialog.h"
#include "window_stage.h"

namespace screenshot {

std::unique_ptr<CDialog> MakeWindow() {
    return std::make_unique<CSmsDlg>();
}

bool Stage(modemsim::Simulator& modem, CDialog& dialog, platform::ui::DialogWindow&) {
    modemsim::SmsDelivery delivery;
    delivery.sender = "+8613912345678";
    delivery.text = "Meeting moved to 15:00.\nSee you there!";
    delivery.slot = 1;
    delivery.timestamp = "26/12/07,09:30:00+32";
    // The start deletes slot 1; the message comes after that.
    return WaitFor([&] { return modem.Snapshot().storage.IsFree(1); }, 3000) &&
           modem.DeliverSms(delivery).ok &&
           WaitFor([&] { return !dialog.GetDlgItemText(IDC_FROM).empty(); }, 8000);
}

}  // namespace screenshot
