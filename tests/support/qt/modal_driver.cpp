#include "modal_driver.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

std::int32_t DriveModal(CDialog& dialog, const ModalBody& body) {
    QTimer poll;
    poll.setInterval(5);
    bool ran = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        platform::ui::DialogWindow* window = dialog.Window();
        // Not from inside a command's wait, where the window's handlers are held back.
        if (ran || window == nullptr || !window->isVisible() || dialog.CommandWaits()) {
            return;
        }
        ran = true;
        poll.stop();
        body(*window);
        if (dialog.Window() != nullptr && dialog.Window()->isVisible()) {
            dialog.Window()->close();
        }
    });
    poll.start();
    return dialog.DoModal();
}

void ClickControl(const platform::ui::DialogWindow& window, std::int32_t controlId) {
    auto* button = qobject_cast<QAbstractButton*>(window.Control(controlId));
    QVERIFY2(button != nullptr, "no button with that id");
    QTest::mouseClick(button, Qt::LeftButton);
}

bool WaitUntil(const std::function<bool()>& predicate, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!predicate()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

#if defined(__SANITIZE_THREAD__)
// Qt's libraries and the GLib event loop under them are not instrumented. Their own threads
// (pooled image conversion while painting, the test watchdog) hand memory to each other and to
// the window's thread through synchronisation the race detector cannot see. Only allocator and
// memory calls made from inside those libraries are ignored; every access of our code is still
// checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "called_from_lib:libQt6Test.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
#endif
