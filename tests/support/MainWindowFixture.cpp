#include "support/MainWindowFixture.h"

#include "editors/ui/EditorWindows.h"
#include "history/ui/THistoryDlg.h"
#include "setups/ui/TfrmConfigurationSetup.h"
#include "widgets/UserSettings.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

namespace qdv::test {

BoxRecorder::BoxRecorder(int answerWith) : answer(answerWith) {
    m_previous = SetMessageBoxHook([this](QMessageBox& box) {
        ShownBox shown;
        shown.icon = box.icon();
        shown.caption = box.windowTitle();
        shown.text = box.text();
        for (QAbstractButton* b : box.buttons())
            shown.buttons << b->text();
        if (box.defaultButton() != nullptr)
            shown.defaultButton = box.defaultButton()->text();
        boxes << shown;
        return answer;
    });
}

BoxRecorder::~BoxRecorder() {
    SetMessageBoxHook(std::move(m_previous));
}

QStringList BoxRecorder::Texts() const {
    QStringList texts;
    for (const ShownBox& b : boxes)
        texts << b.text;
    return texts;
}

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

MainWindowHarness::MainWindowHarness(const QList<SetupRecord>& setups, int selected) {
    const QString home = folder.FilePath(QStringLiteral("home"));
    auto table = std::make_unique<SetupTable>();
    table->count = static_cast<int>(setups.size());
    table->selected = setups.isEmpty() ? -1 : selected;
    for (int i = 0; i < table->count; ++i) {
        table->records[i] = setups[i];
        if (setups[i].backupDataPath.isEmpty())
            table->records[i].SetBackupDataPath(Backup(i));
    }
    TmFile::EnsureDirectory(home, nullptr);
    TmFile(home).SaveSetupList(*table);
    // The window can search for devices: on loopback only.
    folder.Write(QStringLiteral("home/QDV70COMM.INI"), "[UDP]\nBROADCAST=127.255.255.255\n");

    // Each window starts as for a new user.
    UserSettings()->clear();
    m_modules = std::make_unique<AppModules>(home, MenuFont());
    m_window = std::make_unique<TfrmMain>(m_modules->Table(), m_modules->Remote(), m_modules->Status());
    m_window->SetJobStarter([this](Direction direction, JobKind kind) {
        if (!acceptJobs)
            return false;
        started << std::make_pair(static_cast<int>(direction), static_cast<int>(kind));
        Status().direction = direction;
        Status().jobKind = kind;
        Status().busy = true;
        return true;
    });
    // The dialogs the window opens, as the program hands them to it.
    m_window->SetEditorOpener([this](EditorKind kind, const SetupRecord& setup, const SetupFont* font) {
        OpenEditor(m_window.get(), kind, m_modules->Remote().Tables(), setup, font);
    });
    m_window->SetSetupsOpener([this] { OpenSetupList(m_window.get(), m_modules->Table()); });
    m_window->SetHistoryOpener([this](const SetupRecord& setup) {
        THistoryDlg(setup.name, setup.backupDataPath, m_window.get()).exec();
    });
    m_window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
}

MainWindowHarness::~MainWindowHarness() = default;

void MainWindowHarness::Key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(m_window.get(), static_cast<Qt::Key>(key), modifiers);
}

void MainWindowHarness::EndJob(bool error, int lastError, std::uint32_t primaryDone) {
    StatusBlock& s = Status();
    s.lastError = static_cast<std::uint32_t>(lastError);
    s.error = error;
    s.primaryDoneMask = primaryDone;
    s.busy = false;
    m_window->timMainTimer();
}

void MainWindowHarness::FinishJob(bool error, int lastError, std::uint32_t primaryDone) {
    EndJob(error, lastError, primaryDone);
    // After a receive the history snapshot is written beside the window; the job has ended with it.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_window->Polling(); }, 30000))
        << "the snapshot did not end";
}

} // namespace qdv::test
