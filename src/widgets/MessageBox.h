#pragma once

#include <QString>
#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace qdv {

// The one message-box routine of the program. Every box has the caption "QDV-70" and English button
// texts, whatever the system's language.
enum class DialogType { Warning = 0, Error = 1, Information = 2, Confirmation = 3 };

// Buttons of a box, and the result: the button pressed (0 when the box was closed otherwise).
enum MessageButton : int { kButtonOk = 1, kButtonCancel = 2, kButtonYes = 4, kButtonNo = 8 };

// Shows the catalogue text of `code` in the user's language (an unknown code gives an empty text).
// `defaultButton`, one of `buttons`, is the one Enter presses; 0 leaves the toolkit's choice.
int ShowMessage(QWidget* owner, int code, DialogType type, int buttons, int defaultButton = 0);
// Shows a text that is not in the catalogue, such as the list of files not moved.
int ShowMessageText(QWidget* owner, const QString& text, DialogType type, int buttons, int defaultButton = 0);

// The box ShowMessageText shows, made but not shown.
std::unique_ptr<QMessageBox> CreateMessageBox(QWidget* owner, const QString& text, DialogType type,
                                              int buttons, int defaultButton = 0);

// While a hook is set, every box is handed to it instead of being shown, and its return value is the
// result. Tests use it to see the boxes and answer them. Returns the hook it replaces.
using MessageBoxHook = std::function<int(QMessageBox& box)>;
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

} // namespace qdv
