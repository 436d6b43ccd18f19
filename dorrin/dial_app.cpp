#include "dorrin/dial_app.h"

// The program's one application object.
CDialApp theApp;
