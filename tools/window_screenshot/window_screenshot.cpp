// Saves a picture of a program's window, as the README shows it: the window runs on Qt's offscreen
// platform against the simulated modem, is brought into a telling state, and is grabbed.
//
//   build/bin/quillet_screenshot docs/quillet.png
//   build/bin/dorrin_screenshot docs/dorrin.png

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "platform/core/message_box.h"
#include "window_stage.h"

namespace screenshot {

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void Click(const platform::ui::DialogWindow& window, std::int32_t controlId) {
    if (auto* button = qobject_cast<QAbstractButton*>(window.Control(controlId))) {
        button->setFocus();  // as a mouse click gives it
        button->click();
    }
}

}  // namespace screenshot

namespace {

// Once the window is on screen: stage it, save it, close it. Gives whether the picture was saved.
bool StageAndSave(modemsim::Simulator& modem, CDialog& dialog, const QString& path) {
    bool saved = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        platform::ui::DialogWindow* window = dialog.Window();
        if (window == nullptr || !window->isVisible()) {
            return;
        }
        poll.stop();
        saved = screenshot::Stage(modem, dialog, *window) && window->grab().save(path);
        window->close();
    });
    poll.start();
    dialog.DoModal();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <picture.png>\n", argv[0]);
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    std::unique_ptr<modemsim::Simulator> modem = modemsim::Simulator::Create();
    if (!modem) {
        std::fprintf(stderr, "no pseudo-terminal for the simulated modem\n");
        return 1;
    }
    ::setenv("COM1", modem->DevicePath().c_str(), 1);
    QApplication application(argc, argv);
    // A message would stop the picture behind a modal box: it is printed instead.
    const platform::ScopedMessageSink messages([](const std::u16string& text) {
        std::fprintf(stderr, "message: %s\n", QString::fromStdU16String(text).toUtf8().constData());
    });
    std::unique_ptr<CDialog> dialog = screenshot::MakeWindow();
    if (!StageAndSave(*modem, *dialog, QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "the window did not reach its picture\n");
        return 1;
    }
    return 0;
}
