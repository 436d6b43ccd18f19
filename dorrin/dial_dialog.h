#pragma once
// The dialer window: one toggle dials and hangs up, the other answers and ends a call; a ring
// shows the caller's number, a dropped line shows a notice for two seconds and releases both.
//
// Thread contract: the handlers run on the window's thread, except OnModemEvent, which the
// channel calls on the serial reader thread. It only uses the window operations, which the
// window's thread carries out; once the window has closed they do nothing and the notice's pause
// ends at once, so closing never waits for a handler.

#include <cstdint>
#include <string>

#include "modemlink/modem.h"
#include "platform/ui/dialog.h"
#include "platform/ui/icon.h"

class CDialDlg : public CDialog {
public:
    explicit CDialDlg(CDialog* parent = nullptr);
    ~CDialDlg() override;

    void OnDialClicked();
    void OnAnswerClicked();
    static void OnModemEvent(void* owner, std::int32_t code, std::u16string text);

protected:
    std::int32_t InitDialog() override;
    const platform::ui::MessageMap& GetMessageMap() const override;

private:
    bool IsDown(std::int32_t buttonId) const;
    void ShowDroppedLine();

    platform::ui::HICON m_hAppIcon;
    CModem m_modem;
};
