#include "quillet/sms_app.h"

// The program's one application object.
CSmsApp theApp;
