#include "widgets/MessageBox.h"

#include "base/MessageCatalogue.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>

namespace qdv {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

struct ButtonInfo {
    MessageButton button;
    QMessageBox::StandardButton standard;
    const char* text;
    Qt::Key accelerator; // with Alt, as the program's other dialogs answer
};

// Set explicitly, so that a translation of the toolkit's own texts never changes them.
constexpr ButtonInfo kButtons[] = {
    {kButtonOk, QMessageBox::Ok, "OK", Qt::Key_O},
    {kButtonCancel, QMessageBox::Cancel, "Cancel", Qt::Key_C},
    {kButtonYes, QMessageBox::Yes, "Yes", Qt::Key_Y},
    {kButtonNo, QMessageBox::No, "No", Qt::Key_N},
};

QMessageBox::Icon IconOf(DialogType type) {
    switch (type) {
    case DialogType::Warning:
        return QMessageBox::Warning;
    case DialogType::Error:
        return QMessageBox::Critical;
    case DialogType::Information:
        return QMessageBox::Information;
    case DialogType::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

std::unique_ptr<QMessageBox> CreateMessageBox(QWidget* owner, const QString& text, DialogType type,
                                              int buttons, int defaultButton) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(QStringLiteral("QDV-70"));
    box->setIcon(IconOf(type));
    box->setText(text);
    box->setTextFormat(Qt::PlainText);
    for (const ButtonInfo& b : kButtons) {
        if (!(buttons & b.button))
            continue;
        QPushButton* button = box->addButton(b.standard);
        button->setText(QString::fromLatin1(b.text));
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | b.accelerator), box.get());
        QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
        if (b.button == defaultButton)
            box->setDefaultButton(button);
    }
    return box;
}

int ShowMessageText(QWidget* owner, const QString& text, DialogType type, int buttons, int defaultButton) {
    std::unique_ptr<QMessageBox> box = CreateMessageBox(owner, text, type, buttons, defaultButton);
    if (Hook())
        return Hook()(*box);
    box->exec();
    QAbstractButton* pressed = box->clickedButton();
    for (const ButtonInfo& b : kButtons) {
        if (pressed != nullptr && pressed == box->button(b.standard))
            return b.button;
    }
    return 0;
}

int ShowMessage(QWidget* owner, int code, DialogType type, int buttons, int defaultButton) {
    return ShowMessageText(owner, CatalogueText(code), type, buttons, defaultButton);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

} // namespace qdv
