#pragma once

#include "convert/ConversionTables.h"
#include "editors/EditorQuestions.h"
#include "store/SetupRecord.h"
#include "support/TestFolder.h"

#include <QList>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace qdv::test {

// Answers an editor's questions from a script and records what was asked.
class ScriptedQuestions : public EditorQuestions {
public:
    explicit ScriptedQuestions(QList<bool> answers) : m_answers(std::move(answers)) {}
    bool Ask(int code) override {
        asked << code;
        return !m_answers.isEmpty() && m_answers.takeFirst();
    }
    QList<int> asked;

private:
    QList<bool> m_answers;
};

// The sample data set in a temporary folder and the tables loaded from it as the main window loads
// them before opening an editor.
struct EditorRig {
    EditorRig();
    // Every file of the Name and XPoint folders, by relative path.
    QList<QByteArray> NameFiles() const;
    QByteArray XptFile() const { return dir.Read(QStringLiteral("XPoint/ZEBU_XPT.DAU")); }
    // Reloads the tables from the files.
    void Load();

    TestFolder dir;
    SetupRecord setup;
    std::unique_ptr<ConversionTables> tables = std::make_unique<ConversionTables>();
    static const QStringList kNameFiles;
};

} // namespace qdv::test
