#pragma once
// Drops the user's clicks, keys, wheel and touches while it is installed on the application:
// input made while a command held the window up was aimed at a window that has moved on, and a
// modal box would have dropped it too. Painting, resizing, the window system's close and
// everything else pass.

#include <QEvent>
#include <QObject>

#include "platform/ui/hand_over.h"

namespace platform::ui {

class StaleInputFilter final : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // The first look at an event, which may have been posted from another thread.
        AcquireFromOtherThread(event);
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Wheel:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
                return true;
            default:
                return false;
        }
    }
};

}  // namespace platform::ui
