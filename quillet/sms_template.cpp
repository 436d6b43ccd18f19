#include "quillet/sms_template.h"

#include "quillet/resource_ids.h"

using platform::ui::ControlKind;
using platform::ui::DialogTemplate;
using platform::ui::kNoControlId;

namespace {

// Style words as the dialog editor wrote them.
constexpr std::uint32_t kPushButton = 0x50010000;   // child, visible, tab stop
constexpr std::uint32_t kLineEdit = 0x50810080;     // + border, horizontal auto-scroll
constexpr std::uint32_t kMultiLineEdit = 0x50a10004;  // + border, vertical scroll bar
constexpr std::uint32_t kLabel = 0x50020000;        // left-aligned, starts a group
constexpr std::uint32_t kGroupBox = 0x50000007;

}  // namespace

const DialogTemplate& SmsDialogTemplate() {
    static const DialogTemplate dialog{
        IDD_SMS,
        {0, 0, 246, 146},
        u"System",
        8,
        0x90c800c0,  // pop-up, visible, caption, system menu, modal frame, own font
        0x80040000,  // caption-bar OK button, task-bar entry
        u"GPRS收发短信测试  www.example.com",
        {
            {IDC_SEND, ControlKind::kButton, u"发送短信", {38, 119, 59, 17}, kPushButton},
            {IDC_NUMBER, ControlKind::kEdit, u"", {39, 38, 73, 14}, kLineEdit},
            {IDC_TEXT, ControlKind::kEdit, u"", {15, 65, 97, 51}, kMultiLineEdit},
            {kNoControlId, ControlKind::kStatic, u"电话:", {15, 41, 20, 8}, kLabel},
            {kNoControlId, ControlKind::kStatic, u"短信内容:", {15, 54, 42, 8}, kLabel},
            {kNoControlId, ControlKind::kButton, u"发送短信", {7, 28, 115, 111}, kGroupBox},
            {kNoControlId, ControlKind::kStatic, u"来自:", {131, 41, 20, 8}, kLabel},
            {IDC_FROM, ControlKind::kEdit, u"", {155, 38, 73, 14}, kLineEdit},
            {kNoControlId, ControlKind::kStatic, u"短信内容:", {131, 54, 39, 8}, kLabel},
            {IDC_RECEIVED, ControlKind::kEdit, u"", {131, 65, 97, 67}, kMultiLineEdit},
            {kNoControlId, ControlKind::kButton, u"接收短信", {124, 28, 115, 111}, kGroupBox},
            {kNoControlId, ControlKind::kStatic, u"短信中心号码:", {15, 13, 52, 8}, kLabel},
            {IDC_CENTRE, ControlKind::kEdit, u"", {74, 10, 76, 14}, kLineEdit},
            {IDC_SET_CENTRE, ControlKind::kButton, u"设置", {161, 10, 55, 14}, kPushButton},
        },
    };
    return dialog;
}
