#pragma once

#include <QDialog>
#include <QHash>
#include <functional>

namespace qdv {

class TPanelButton;

// A dialog whose buttons are raised panels. Each button answers Alt plus the letter marked with "&" in
// its caption exactly as a click does, and is drawn pressed while its action runs (which may be a
// modal dialog of its own). The dialog sees every key of its controls first, as the main window does,
// so that no control, shortcut or menu bar can swallow a button's key.
class TPanelDialog : public QDialog {
    Q_OBJECT

public:
    explicit TPanelDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~TPanelDialog() override;

protected:
    // A panel button named `objectName` that runs `action` when clicked or when its Alt key is pressed
    // anywhere in the dialog.
    TPanelButton* AddPanelButton(const QString& caption, const QString& objectName,
                                 std::function<void()> action);
    // Lowers a button, runs its action and raises it again (unless the action closed the dialog for
    // good).
    static void RunPressed(TPanelButton* button, const std::function<void()>& action);
    // The button a key pressed anywhere in the dialog presses; null when the key is none of them. Here
    // Alt and the letter a button's caption marks, unless the dialog hid that button; dialogs add keys
    // of their own or leave the key of a greyed button to their other controls.
    virtual TPanelButton* ButtonOfKey(int key, Qt::KeyboardModifiers modifiers) const;
    // A key pressed anywhere in the dialog, before its controls see it; true when it was used. Presses
    // the button of the key (a greyed one takes its key and does nothing, as a click on it would);
    // dialogs add keys of their own.
    virtual bool DialogKey(int key, Qt::KeyboardModifiers modifiers);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<int, TPanelButton*> m_altKeys; // Qt key of the marked letter -> button
};

} // namespace qdv
