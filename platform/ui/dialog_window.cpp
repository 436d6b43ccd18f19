#include "platform/ui/dialog_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <limits>

#include "platform/core/backend.h"
#include "platform/ui/control_widgets.h"
#include "platform/ui/dialog.h"
#include "platform/ui/hand_over.h"
#include "platform/ui/icon_store.h"
#include "platform/ui/window_call_gate.h"

namespace platform::ui {
namespace {

QEvent::Type PendingCallsEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool IsTabStop(const QWidget* widget) {
    return widget->focusPolicy() == Qt::StrongFocus;
}

}  // namespace

QFont TemplateFont(const DialogTemplate& dialogTemplate) {
    QFont font(ToQString(dialogTemplate.fontName));
    if (dialogTemplate.fontPointSize > 0) {
        font.setPointSize(dialogTemplate.fontPointSize);
    }
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    DialogBaseUnits base;
    base.averageCharWidth = AverageCharWidthFromAlphabet(metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")));
    base.charHeight = metrics.height();
    return base;
}

DialogWindow::DialogWindow(CDialog& owner, const DialogTemplate& dialogTemplate,
                           WindowCallGate& gate, QWidget* parent)
    : QDialog(parent), m_owner(owner), m_gate(gate) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    m_closeMeansOk = (dialogTemplate.exStyle & style::kExCaptionOkButton) != 0;
    setFont(TemplateFont(dialogTemplate));
    m_baseUnits = BaseUnitsOf(font());
    setWindowTitle(ToQString(dialogTemplate.caption));
    const PixelRect client = DialogUnitsToPixels(dialogTemplate.rect, m_baseUnits);
    // A modal frame does not resize; the position is the template's until the window centres.
    setFixedSize(client.width, client.height);
    move(client.x, client.y);
    BuildControls(dialogTemplate);
    ChainTabOrder();
    m_timerWake.setSingleShot(true);
    // A period never ends early, as the programs' pacing expects; Qt's default coarse timer may
    // fire up to 5 % before it is due.
    m_timerWake.setTimerType(Qt::PreciseTimer);
    connect(&m_timerWake, &QTimer::timeout, this, [this] { FireDueTimers(); });
}

DialogWindow::~DialogWindow() = default;

void DialogWindow::BuildControls(const DialogTemplate& dialogTemplate) {
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = CreateControlWidget(control, this);
        const PixelRect rect = DialogUnitsToPixels(control.rect, m_baseUnits);
        widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
        widget->setObjectName(QStringLiteral("control%1").arg(m_controls.size()));
        widget->setProperty("controlId", control.id);
        // Group boxes are drawn behind the controls they frame, whatever their place in the
        // template: a later sibling would otherwise paint over earlier ones.
        if ((control.style & style::kButtonTypeMask) == style::kGroupBox &&
            control.kind == ControlKind::kButton) {
            widget->lower();
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const std::int32_t id = control.id;
            connect(button, &QAbstractButton::clicked, this, [this, id] {
                m_owner.Dispatch(MessageKind::kButtonClicked, static_cast<std::uintptr_t>(id));
            });
        }
        m_controls.push_back(widget);
        m_controlIds.push_back(control.id);
    }
}

void DialogWindow::ChainTabOrder() {
    QWidget* previous = nullptr;
    for (QWidget* widget : m_controls) {
        if (!IsTabStop(widget)) {
            continue;
        }
        if (previous != nullptr) {
            setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

void DialogWindow::FocusFirstTabStop() {
    for (QWidget* widget : m_controls) {
        if (IsTabStop(widget) && widget->isEnabled()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

QWidget* DialogWindow::Control(std::int32_t controlId) const {
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        if (m_controlIds[i] == controlId) {
            return m_controls[i];
        }
    }
    return nullptr;
}

void DialogWindow::StartTimer(std::uintptr_t timerId, std::uint32_t periodMs) {
    m_timers.Start(timerId, periodMs, platform::System().Now());
    WakeForNextTimer();
}

void DialogWindow::StopTimer(std::uintptr_t timerId) {
    m_timers.Stop(timerId);
    WakeForNextTimer();
}

void DialogWindow::StopAllTimers() {
    m_timers.StopAll();
    m_timerWake.stop();
}

void DialogWindow::FireDueTimers() {
    if (m_owner.CommandWaits()) {
        m_timerWake.stop();  // ResumeTimers wakes the window again
        return;
    }
    const TimePoint now = platform::System().Now();
    for (const std::uintptr_t timerId : m_timers.DueAt(now)) {
        // A closing window fires nothing more (and wakes for nothing more).
        if (m_ending) {
            break;
        }
        // An earlier handler may have stopped or restarted it.
        if (m_timers.Begin(timerId, now)) {
            m_owner.Dispatch(MessageKind::kTimer, timerId);
            m_timers.Fired(timerId);
        }
    }
    WakeForNextTimer();
}

// On virtual time the wake-up comes on the real clock and finds nothing due, which costs a look.
void DialogWindow::WakeForNextTimer() {
    const std::optional<TimePoint> next = m_timers.NextDue();
    if (!next || m_ending) {
        m_timerWake.stop();
        return;
    }
    const std::uint32_t ms = MsUntil(platform::System().Now(), *next);
    m_timerWake.start(static_cast<int>(
        std::min<std::uint32_t>(ms, static_cast<std::uint32_t>(std::numeric_limits<int>::max()))));
}

void DialogWindow::SetIcon(HICON icon, bool bigIcon) {
    (bigIcon ? m_bigIcon : m_smallIcon) = icon;
    // Qt keeps one icon per window with all its sizes: the big one for the task bar and
    // switcher, the small one for the title bar.
    QIcon combined;
    for (HICON part : {m_bigIcon, m_smallIcon}) {
        if (part == nullptr) {
            continue;
        }
        const QSize size = part == m_bigIcon ? QSize(32, 32) : QSize(16, 16);
        combined.addPixmap(part->icon.pixmap(size));
    }
    setWindowIcon(combined);
}

void DialogWindow::PostPendingCalls() {
    auto* wake = new QEvent(PendingCallsEvent());
    ReleaseToOtherThread(wake);
    QCoreApplication::postEvent(this, wake);
}

void DialogWindow::reject() {
    done(IDCANCEL);
}

void DialogWindow::done(int result) {
    m_ending = true;
    // A program asked to end (by a signal, say) while a message box or a prompt stands must not
    // wait for the user to dismiss it. The box's own loop ends first, then the window's; a prompt
    // ended this way was not accepted, so its question counts as cancelled.
    for (QDialog* box : findChildren<QDialog*>()) {
        if (box->isVisible()) {
            box->done(0);
        }
    }
    QDialog::done(result);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    if (m_closeMeansOk && isVisible()) {
        done(IDOK);
        event->accept();
        return;
    }
    QDialog::closeEvent(event);
}

bool DialogWindow::event(QEvent* event) {
    AcquireFromOtherThread(event);
    if (event->type() == PendingCallsEvent()) {
        m_gate.RunPending();
        return true;
    }
    return QDialog::event(event);
}

}  // namespace platform::ui
