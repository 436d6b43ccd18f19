#pragma once
// What an icon handle points to (for the layer's Qt code only).

#include <QIcon>

#include "platform/ui/icon.h"

namespace platform::ui {

struct Icon {
    QIcon icon;
};

}  // namespace platform::ui
