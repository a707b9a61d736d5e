#include "app/ui/TPanelDialog.h"

#include "app/ui/TPanelButton.h"

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

TPanelDialog::TPanelDialog(QWidget* parent) : QDialog(parent) {
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

bool TPanelDialog::DialogKey(int key, Qt::KeyboardModifiers modifiers) {
    if ((modifiers & ~Qt::KeypadModifier) != Qt::AltModifier)
        return false;
    TPanelButton* button = m_altKeys.value(key);
    if (button == nullptr || !button->isVisible())
        return false;
    // A greyed button takes its key and does nothing, as a click on it would.
    button->click();
    return true;
}

bool TPanelDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() && isVisible() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (DialogKey(key->key(), key->modifiers()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qdv
