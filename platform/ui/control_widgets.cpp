#include "platform/ui/control_widgets.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/ui/dialog.h"
#include "platform/ui/edit_text.h"

namespace platform::ui {
namespace {

bool Has(std::uint32_t styleBits, std::uint32_t flag) {
    return (styleBits & flag) == flag;
}

QWidget* CreateButton(const ControlTemplate& control, QWidget* parent) {
    const QString text = ToQString(control.text);
    const std::uint32_t type = control.style & style::kButtonTypeMask;
    if (type == style::kGroupBox) {
        return new QGroupBox(text, parent);
    }
    const bool toggles = type == style::kAutoCheckBox || type == style::kCheckBox;
    if (toggles && !Has(control.style, style::kPushLike)) {
        return new QCheckBox(text, parent);
    }
    auto* button = new QPushButton(text, parent);
    // Enter must never press a button behind the user's back: no default button.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setCheckable(toggles);
    return button;
}

QWidget* CreateEdit(const ControlTemplate& control, QWidget* parent) {
    const bool readOnly = Has(control.style, style::kEditReadOnly);
    if (Has(control.style, style::kEditMultiLine)) {
        auto* edit = new QPlainTextEdit(parent);
        edit->setVerticalScrollBarPolicy(
            Has(control.style, style::kVScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        // Without a horizontal scroll bar or auto-scroll, lines wrap at the box's edge.
        const bool scrolls =
            Has(control.style, style::kHScroll) || Has(control.style, style::kEditAutoHScroll);
        edit->setLineWrapMode(scrolls ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        edit->setTabChangesFocus(true);
        edit->setReadOnly(readOnly);
        edit->setPlainText(ToQString(CrLfToLf(control.text)));
        if (!Has(control.style, style::kBorder)) {
            edit->setFrameShape(QFrame::NoFrame);
        }
        return edit;
    }
    auto* edit = new QLineEdit(ToQString(control.text), parent);
    edit->setReadOnly(readOnly);
    edit->setFrame(Has(control.style, style::kBorder));
    return edit;
}

QWidget* CreateStatic(const ControlTemplate& control, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setText(ToQString(control.text));
    const std::uint32_t align = control.style & style::kStaticAlignMask;
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (align == style::kStaticCenter) {
        horizontal = Qt::AlignHCenter;
    } else if (align == style::kStaticRight) {
        horizontal = Qt::AlignRight;
    }
    label->setAlignment(horizontal | Qt::AlignTop);
    return label;
}

}  // namespace

QString ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string FromQString(const QString& text) {
    return text.toStdU16String();
}

QWidget* CreateControlWidget(const ControlTemplate& control, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (control.kind) {
        case ControlKind::kButton:
            widget = CreateButton(control, parent);
            break;
        case ControlKind::kEdit:
            widget = CreateEdit(control, parent);
            break;
        case ControlKind::kStatic:
            widget = CreateStatic(control, parent);
            break;
    }
    const bool tabStop = Has(control.style, style::kTabStop);
    if (control.kind != ControlKind::kStatic && !qobject_cast<QGroupBox*>(widget)) {
        widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    } else {
        widget->setFocusPolicy(Qt::NoFocus);
    }
    widget->setEnabled(!Has(control.style, style::kDisabled));
    return widget;
}

void SetControlText(QWidget* widget, const std::u16string& text) {
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
        edit->setPlainText(ToQString(CrLfToLf(text)));
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(ToQString(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(ToQString(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(ToQString(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(ToQString(text));
    }
}

std::u16string ControlText(const QWidget* widget) {
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(widget)) {
        return LfToCrLf(FromQString(edit->toPlainText()));
    }
    if (auto* line = qobject_cast<const QLineEdit*>(widget)) {
        return FromQString(line->text());
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return FromQString(button->text());
    }
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
        return FromQString(group->title());
    }
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        return FromQString(label->text());
    }
    return {};
}

std::uint32_t ButtonState(const QWidget* widget) {
    auto* button = qobject_cast<const QAbstractButton*>(widget);
    if (button == nullptr || !button->isCheckable()) {
        return BST_UNCHECKED;
    }
    return button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void SetButtonState(QWidget* widget, std::uint32_t state) {
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button != nullptr && button->isCheckable()) {
        // setChecked sends no click, as a program's own state change must not.
        button->setChecked((state & 3U) == BST_CHECKED);
    }
}

}  // namespace platform::ui
