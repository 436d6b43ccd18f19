#include "dorrin/dial_template.h"

#include "dorrin/resource_ids.h"

using platform::ui::ControlKind;
using platform::ui::DialogTemplate;
using platform::ui::kNoControlId;

using platform::ui::style::kLabelControl;
using platform::ui::style::kLineEditControl;
using platform::ui::style::kMainDialog;
using platform::ui::style::kMainDialogEx;
using platform::ui::style::kToggleControl;

const DialogTemplate& DialDialogTemplate() {
    static const DialogTemplate dialog{
        IDD_DIAL,
        {0, 0, 195, 66},
        u"System",
        8,
        kMainDialog,
        kMainDialogEx,
        u"GPRS拔电话测试  www.example.com",
        {
            {IDC_DIAL_NUMBER, ControlKind::kEdit, u"", {55, 14, 76, 14}, kLineEditControl},
            {kNoControlId, ControlKind::kStatic, u"电话号码:", {15, 17, 36, 8}, kLabelControl},
            {IDC_DIAL, ControlKind::kButton, u"拨号", {139, 14, 41, 14}, kToggleControl},
            {IDC_ANSWER, ControlKind::kButton, u"接听", {139, 37, 41, 14}, kToggleControl},
            {kNoControlId, ControlKind::kStatic, u"来电号码:", {15, 40, 36, 8}, kLabelControl},
            {IDC_CALLER, ControlKind::kEdit, u"", {55, 37, 76, 14}, kLineEditControl},
        },
    };
    return dialog;
}
