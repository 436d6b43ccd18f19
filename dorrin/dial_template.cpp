#include "dorrin/dial_template.h"

#include "dorrin/resource_ids.h"

using platform::ui::ControlKind;
using platform::ui::DialogTemplate;
using platform::ui::kNoControlId;

namespace {

// Style words as the dialog editor wrote them.
constexpr std::uint32_t kLineEdit = 0x50810080;  // child, visible, border, tab stop, auto-scroll
constexpr std::uint32_t kLabel = 0x50020000;     // left-aligned, starts a group
constexpr std::uint32_t kToggle = 0x50011003;    // push-like auto check box, tab stop

}  // namespace

const DialogTemplate& DialDialogTemplate() {
    static const DialogTemplate dialog{
        IDD_DIAL,
        {0, 0, 195, 66},
        u"System",
        8,
        0x90c800c0,  // pop-up, visible, caption, system menu, modal frame, own font
        0x80040000,  // caption-bar OK button, task-bar entry
        u"GPRS拔电话测试  www.example.com",
        {
            {IDC_DIAL_NUMBER, ControlKind::kEdit, u"", {55, 14, 76, 14}, kLineEdit},
            {kNoControlId, ControlKind::kStatic, u"电话号码:", {15, 17, 36, 8}, kLabel},
            {IDC_DIAL, ControlKind::kButton, u"拨号", {139, 14, 41, 14}, kToggle},
            {IDC_ANSWER, ControlKind::kButton, u"接听", {139, 37, 41, 14}, kToggle},
            {kNoControlId, ControlKind::kStatic, u"来电号码:", {15, 40, 36, 8}, kLabel},
            {IDC_CALLER, ControlKind::kEdit, u"", {55, 37, 76, 14}, kLineEdit},
        },
    };
    return dialog;
}
