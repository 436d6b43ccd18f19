#pragma once
// The dialer program's application object: it runs the dialer window once.

#include "dorrin/dial_dialog.h"
#include "platform/ui/dialog_app.h"

using CDialApp = CDialogApp<CDialDlg>;
