#pragma once

#include "editors/EditorQuestions.h"

class QWidget;

namespace qdv {

// Asks an editor's questions in the program's message boxes: the catalogue text, Yes and No.
class MessageBoxQuestions : public EditorQuestions {
public:
    explicit MessageBoxQuestions(QWidget* owner) : m_owner(owner) {}
    bool Ask(int code) override;

private:
    QWidget* m_owner;
};

} // namespace qdv
