#pragma once

#include "history/SnapshotInfo.h"

#include <QDialog>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace qdv {

// "History": the snapshots of the selected setup's backup folder, newest first, under a first row for
// the folder as it is now; the changes of the chosen row (against the snapshot before it) in the
// operator's terms below. Restore writes the chosen snapshot's files back into the folder, ready for a
// Send job; it sends nothing.
class THistoryDlg : public QDialog {
    Q_OBJECT

public:
    THistoryDlg(const QString& setupName, const QString& folder, QWidget* parent = nullptr);

    QTreeWidget* Snapshots() const { return m_lstSnapshots; }
    QListWidget* Changes() const { return m_lstChanges; }
    QPushButton* RestoreButton() const { return m_btnRestore; }

    // Reloads the snapshot list; the first row (the folder now) is chosen.
    void Reload();
    // Restores the chosen snapshot after the operator confirms (`confirm` false skips the question).
    bool RestoreChosen(bool confirm = true);

private:
    void ShowChanges();

    QString m_setupName;
    QString m_folder;
    std::vector<history::SnapshotInfo> m_log;
    QLabel* m_lblState;
    QTreeWidget* m_lstSnapshots;
    QListWidget* m_lstChanges;
    QPushButton* m_btnRestore;
    QPushButton* m_btnClose;
};

} // namespace qdv
