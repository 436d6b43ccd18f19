#pragma once
// The message program's application object: it runs the message window once.

#include "platform/ui/dialog_app.h"
#include "quillet/sms_dialog.h"

using CSmsApp = CDialogApp<CSmsDlg>;
