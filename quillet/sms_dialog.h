#pragma once
// The message window: send an SMS, show what arrives in storage slot 1 (polled once a second,
// then deleted), set the SMS centre.
//
// Thread contract: everything runs on the window's thread except OnModemEvent, which the channel
// calls on the serial reader thread and which touches nothing of the dialog.

#include <cstdint>
#include <string>

#include "modemlink/modem.h"
#include "platform/ui/dialog.h"
#include "platform/ui/icon.h"

class CSmsDlg : public CDialog {
public:
    explicit CSmsDlg(CDialog* parent = nullptr);
    ~CSmsDlg() override;

    void OnSendClicked();
    void OnPollTimer(std::uintptr_t timerId);
    void OnSetCentreClicked();
    static void OnModemEvent(void* owner, std::int32_t code, std::u16string text);

protected:
    std::int32_t InitDialog() override;
    const platform::ui::MessageMap& GetMessageMap() const override;

private:
    void RestartPoll();

    platform::ui::HICON m_hAppIcon;
    CModem m_modem;
};
