#pragma once
// The message window's dialog template, IDD_SMS.

#include "platform/ui/dialog_template.h"

const platform::ui::DialogTemplate& SmsDialogTemplate();
