#include "dorrin/dial_template.h"

#include "dorrin/resource_ids.h"
#include "dorrin/texts.h"

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
        kCaption,
        {
            {IDC_DIAL_NUMBER, ControlKind::kEdit, u"", {55, 14, 76, 14}, kLineEditControl},
            {kNoControlId, ControlKind::kStatic, kNumberLabel, {15, 17, 36, 8}, kLabelControl},
            {IDC_DIAL, ControlKind::kButton, kDialCaption, {139, 14, 41, 14}, kToggleControl},
            {IDC_ANSWER, ControlKind::kButton, kAnswerCaption, {139, 37, 41, 14}, kToggleControl},
            {kNoControlId, ControlKind::kStatic, kCallerLabel, {15, 40, 36, 8}, kLabelControl},
            {IDC_CALLER, ControlKind::kEdit, u"", {55, 37, 76, 14}, kLineEditControl},
        },
    };
    return dialog;
}
