#include "quillet/sms_template.h"

#include "quillet/resource_ids.h"
#include "quillet/texts.h"

using platform::ui::ControlKind;
using platform::ui::DialogTemplate;
using platform::ui::kNoControlId;

using platform::ui::style::kGroupBoxControl;
using platform::ui::style::kLabelControl;
using platform::ui::style::kLineEditControl;
using platform::ui::style::kMainDialog;
using platform::ui::style::kMainDialogEx;
using platform::ui::style::kMultiLineEditControl;
using platform::ui::style::kPushButtonControl;

const DialogTemplate& SmsDialogTemplate() {
    static const DialogTemplate dialog{
        IDD_SMS,
        {0, 0, 246, 146},
        u"System",
        8,
        kMainDialog,
        kMainDialogEx,
        kCaption,
        {
            {IDC_SEND, ControlKind::kButton, kSendLabel, {38, 119, 59, 17}, kPushButtonControl},
            {IDC_NUMBER, ControlKind::kEdit, u"", {39, 38, 73, 14}, kLineEditControl},
            {IDC_TEXT, ControlKind::kEdit, u"", {15, 65, 97, 51}, kMultiLineEditControl},
            {kNoControlId, ControlKind::kStatic, kNumberLabel, {15, 41, 20, 8}, kLabelControl},
            {kNoControlId, ControlKind::kStatic, kTextLabel, {15, 54, 42, 8}, kLabelControl},
            {kNoControlId, ControlKind::kButton, kSendLabel, {7, 28, 115, 111}, kGroupBoxControl},
            {kNoControlId, ControlKind::kStatic, kFromLabel, {131, 41, 20, 8}, kLabelControl},
            {IDC_FROM, ControlKind::kEdit, u"", {155, 38, 73, 14}, kLineEditControl},
            {kNoControlId, ControlKind::kStatic, kTextLabel, {131, 54, 39, 8}, kLabelControl},
            {IDC_RECEIVED, ControlKind::kEdit, u"", {131, 65, 97, 67}, kMultiLineEditControl},
            {kNoControlId,
             ControlKind::kButton,
             kReceiveLabel,
             {124, 28, 115, 111},
             kGroupBoxControl},
            {kNoControlId, ControlKind::kStatic, kCentreLabel, {15, 13, 52, 8}, kLabelControl},
            {IDC_CENTRE, ControlKind::kEdit, u"", {74, 10, 76, 14}, kLineEditControl},
            {IDC_SET_CENTRE,
             ControlKind::kButton,
             kSetCentreLabel,
             {161, 10, 55, 14},
             kPushButtonControl},
        },
    };
    return dialog;
}
