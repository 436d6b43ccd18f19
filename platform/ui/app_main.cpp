// The programs' entry point belongs to the window layer: it runs the application object.
#include "platform/ui/win_app.h"

int main(int argc, char** argv) {
    return platform::ui::RunApplication(argc, argv);
}
