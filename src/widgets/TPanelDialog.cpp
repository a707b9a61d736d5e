#include "widgets/TPanelDialog.h"

#include "widgets/TPanelButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace qdv {
namespace {

// The Qt key of the letter after the "&" of a caption ("New(&N)" gives Qt::Key_N); 0 when there is
// none.
int MarkedKey(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&')) {
            if (caption.at(i + 1) != QLatin1Char('&'))
                return caption.at(i + 1).toUpper().unicode();
            ++i;
        }
    }
    return 0;
}

} // namespace

TPanelDialog::TPanelDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {
    qApp->installEventFilter(this);
}

TPanelDialog::~TPanelDialog() {
    qApp->removeEventFilter(this);
}

TPanelButton* TPanelDialog::AddPanelButton(const QString& caption, const QString& objectName,
                                           std::function<void()> action) {
    auto* button = new TPanelButton(caption, this);
    button->setObjectName(objectName);
    connect(button, &QAbstractButton::clicked, this, [button, action] { RunPressed(button, action); });
    if (const int key = MarkedKey(caption))
        m_altKeys.insert(key, button);
    return button;
}

void TPanelDialog::RunPressed(TPanelButton* button, const std::function<void()>& action) {
    QPointer<TPanelButton> guard(button);
    button->SetLowered(true);
    button->repaint();
    action();
    if (guard)
        guard->SetLowered(false);
}

TPanelButton* TPanelDialog::ButtonOfKey(int key, Qt::KeyboardModifiers modifiers) const {
    if ((modifiers & ~Qt::KeypadModifier) != Qt::AltModifier)
        return nullptr;
    TPanelButton* button = m_altKeys.value(key);
    return button != nullptr && !button->isHidden() ? button : nullptr;
}

bool TPanelDialog::DialogKey(int key, Qt::KeyboardModifiers modifiers) {
    TPanelButton* button = ButtonOfKey(key, modifiers);
    if (button == nullptr)
        return false;
    button->click();
    return true;
}

bool TPanelDialog::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::ShortcutOverride) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (type == QEvent::ShortcutOverride) {
            // A button's key is taken as a key press, which comes back here, instead of as a shortcut.
            if (ButtonOfKey(key->key(), key->modifiers()) == nullptr)
                return QDialog::eventFilter(watched, event);
            event->accept();
            return true;
        }
        if (DialogKey(key->key(), key->modifiers()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qdv
