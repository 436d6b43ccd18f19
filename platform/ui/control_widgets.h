#pragma once
// Qt widgets for template controls: which widget a control kind and its style bits become, and
// the control text of each widget.

#include <QString>
#include <QWidget>

#include "platform/ui/dialog_template.h"

namespace platform::ui {

// The widget for the control, a child of parent, without geometry. Style bits that matter on a
// desktop are applied: group box, push-like toggle, multi-line, scroll bars, border, read-only,
// tab stop, disabled, alignment. Plain text everywhere: no control interprets markup.
QWidget* CreateControlWidget(const ControlTemplate& control, QWidget* parent);

// Control text as the dialog's programs see it (multi-line boxes with CR LF line breaks).
void SetControlText(QWidget* widget, const std::u16string& text);
std::u16string ControlText(const QWidget* widget);

// Toggle state of a check button (BST_*); 0 for anything else.
std::uint32_t ButtonState(const QWidget* widget);
void SetButtonState(QWidget* widget, std::uint32_t state);

QString ToQString(const std::u16string& text);
std::u16string FromQString(const QString& text);

}  // namespace platform::ui
