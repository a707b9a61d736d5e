#include "editors/ui/MessageBoxQuestions.h"

#include "widgets/MessageBox.h"

namespace qdv {

bool MessageBoxQuestions::Ask(int code) {
    return ShowMessage(m_owner, code, DialogType::Confirmation, kButtonYes | kButtonNo) == kButtonYes;
}

} // namespace qdv
