#pragma once

namespace qdv {

// How an editor's OK asks the operator its Yes/No questions (catalogue codes); the window shows a
// message box, tests answer from a script.
class EditorQuestions {
public:
    virtual ~EditorQuestions() = default;
    // True for Yes.
    virtual bool Ask(int code) = 0;
};

} // namespace qdv
