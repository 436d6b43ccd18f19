#pragma once
// The dialer window's dialog template, IDD_DIAL.

#include "platform/ui/dialog_template.h"

const platform::ui::DialogTemplate& DialDialogTemplate();
