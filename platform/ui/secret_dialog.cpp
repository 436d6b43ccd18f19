#include "platform/ui/secret_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

#include "platform/ui/control_widgets.h"
#include "platform/ui/dialog.h"
#include "platform/ui/edit_text.h"
#include "platform/ui/modal_owner.h"
#include "platform/ui/win_app.h"

namespace platform::ui {
namespace {

// A keystroke or a paste that would make the input kRefused is not taken at all, so the line
// never holds what the form forbids. The line has no maximum length of its own: that would cut a
// paste that is too long down to size, where a secret too long is more likely the wrong one.
class SecretValidator final : public QValidator {
public:
    SecretValidator(const SecretForm& form, QObject* parent) : QValidator(parent), m_form(form) {}

    State validate(QString& input, int&) const override {
        switch (FitOf(m_form, FromQString(input))) {
            case SecretFit::kRefused:
                return Invalid;
            case SecretFit::kUnfinished:
                return Intermediate;
            case SecretFit::kAcceptable:
                return Acceptable;
        }
        return Invalid;
    }

private:
    SecretForm m_form;
};

class SecretDialog final : public QDialog {
public:
    SecretDialog(const SecretPrompt& prompt, QWidget* owner) : QDialog(owner) {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        setModal(true);
        setWindowTitle(ToQString(prompt.caption.empty() ? CWinApp::Title() : prompt.caption));
        auto* text = new QLabel(ToQString(CrLfToLf(prompt.text)), this);
        text->setTextFormat(Qt::PlainText);
        m_line = new QLineEdit(this);
        m_line->setEchoMode(QLineEdit::Password);
        m_line->setValidator(new SecretValidator(prompt.form, m_line));
        Qt::InputMethodHints hints = Qt::ImhSensitiveData | Qt::ImhNoPredictiveText;
        if (prompt.form.digitsOnly) {
            hints |= Qt::ImhDigitsOnly;
        }
        m_line->setInputMethodHints(hints);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        m_ok = buttons->button(QDialogButtonBox::Ok);
        // Enter clicks the default button only while it is enabled: OK's state rules Enter too.
        m_ok->setDefault(true);
        m_ok->setEnabled(false);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(m_line, &QLineEdit::textChanged, this,
                [this] { m_ok->setEnabled(m_line->hasAcceptableInput()); });
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text);
        layout->addWidget(m_line);
        layout->addWidget(buttons);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        m_line->setFocus();
    }

    std::u16string Secret() const { return FromQString(m_line->text()); }

private:
    QLineEdit* m_line = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace

std::optional<std::u16string> ShowSecretDialog(const SecretPrompt& prompt) {
    if (!OnGuiThread()) {
        CDialog* main = MainDialog();
        return main != nullptr ? main->AskSecret(prompt) : std::nullopt;
    }
    // Owned by the window on top, the prompt goes with the main window when that ends
    // (DialogWindow::done), and exec then gives Rejected: a cancel.
    SecretDialog dialog(prompt, ModalOwner());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Secret();
}

}  // namespace platform::ui
