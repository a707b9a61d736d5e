#pragma once

#include "app/AppModules.h"
#include "app/ui/TfrmMain.h"
#include "support/SetupsRig.h"
#include "widgets/MessageBox.h"

#include <QList>
#include <QListWidget>
#include <QMessageBox>
#include <QStringList>
#include <memory>
#include <utility>

namespace qdv::test {

// A message box as it would have been shown.
struct ShownBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QStringList buttons;
    QString defaultButton; // its text; empty when the box names none
};

// Takes every message box while it lives, records it and answers it with `answer`.
class BoxRecorder {
public:
    explicit BoxRecorder(int answer = kButtonOk);
    ~BoxRecorder();
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;
    // The boxes' texts in the order shown.
    QStringList Texts() const;

    QList<ShownBox> boxes;
    int answer;

private:
    MessageBoxHook m_previous;
};

// The texts of a list's rows.
QStringList Rows(const QListWidget* list);

// A home folder with the given setups, the program's modules over it and the main window, shown. A
// setup without a backup data path gets Backup(its index). Message boxes go to `boxes`.
// Jobs go to a starter the test controls: it records them and sets busy as the task controller does.
class MainWindowHarness {
public:
    explicit MainWindowHarness(const QList<SetupRecord>& setups, int selected = 0);
    ~MainWindowHarness();

    TfrmMain& Window() { return *m_window; }
    StatusBlock& Status() { return m_modules->Status(); }
    AppModules& Modules() { return *m_modules; }
    // A backup data path in the test folder.
    QString Backup(int n) const { return folder.FilePath(QStringLiteral("backup%1").arg(n)); }

    // Presses a key on the window as the operator would.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Ends the job the starter began, as the link engine would, and lets the window poll it; FinishJob
    // also waits until the window has done with it (the history snapshot after a receive included).
    void EndJob(bool error, int lastError, std::uint32_t primaryDone = 0);
    void FinishJob(bool error, int lastError, std::uint32_t primaryDone = 0);

    BoxRecorder boxes;
    TestFolder folder;
    QList<std::pair<int, int>> started; // direction (0 receive, 1 send), kind
    bool acceptJobs = true;

private:
    std::unique_ptr<AppModules> m_modules;
    std::unique_ptr<TfrmMain> m_window;
};

} // namespace qdv::test
