#include "history/ui/THistoryDlg.h"

#include "history/BackupHistory.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qdv {

namespace {

constexpr int kWorkingRow = 0;

} // namespace

THistoryDlg::THistoryDlg(const QString& setupName, const QString& folder, QWidget* parent)
    : QDialog(parent), m_setupName(setupName), m_folder(folder), m_lblState(new QLabel(this)),
      m_lstSnapshots(new QTreeWidget(this)), m_lstChanges(new QListWidget(this)),
      m_btnRestore(new QPushButton(QStringLiteral("&Restore"), this)),
      m_btnClose(new QPushButton(QStringLiteral("&Close"), this)) {
    setWindowTitle(QStringLiteral("History"));
    setObjectName(QStringLiteral("frmHistory"));
    m_lstSnapshots->setObjectName(QStringLiteral("lstSnapshots"));
    m_lstChanges->setObjectName(QStringLiteral("lstChanges"));
    m_btnRestore->setObjectName(QStringLiteral("btnRestore"));
    m_lstSnapshots->setHeaderLabels({QStringLiteral("Snapshot"), QStringLiteral("Date"),
                                     QStringLiteral("Job"), QStringLiteral("Changed files")});
    m_lstSnapshots->setRootIsDecorated(false);
    m_lstSnapshots->header()->setStretchLastSection(true);
    m_lstChanges->setUniformItemSizes(true);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_lstSnapshots);
    split->addWidget(m_lstChanges);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnRestore);
    buttons->addWidget(m_btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblState);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    resize(820, 560);

    connect(m_lstSnapshots, &QTreeWidget::currentItemChanged, this, [this] { ShowChanges(); });
    connect(m_btnRestore, &QPushButton::clicked, this, [this] { RestoreChosen(); });
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::accept);
    Reload();
}

void THistoryDlg::Reload() {
    QString error;
    history::BackupHistory::Log(m_folder, 0, &m_log, &error);
    m_lblState->setText(error.isEmpty() ? QStringLiteral("%1: %2 snapshots of %3")
                                              .arg(m_setupName)
                                              .arg(m_log.size())
                                              .arg(QDir::toNativeSeparators(m_folder))
                                        : error);
    m_lstSnapshots->clear();
    m_lstSnapshots->addTopLevelItem(
        new QTreeWidgetItem({QString(), QString(), QStringLiteral("(the folder as it is now)"), QString()}));
    for (const history::SnapshotInfo& s : m_log) {
        m_lstSnapshots->addTopLevelItem(
            new QTreeWidgetItem({s.shortId, QLocale().toString(s.time, QLocale::ShortFormat), s.job,
                                 s.changedFiles.join(QStringLiteral(", "))}));
    }
    for (int c = 0; c < 3; ++c)
        m_lstSnapshots->resizeColumnToContents(c);
    m_lstSnapshots->setCurrentItem(m_lstSnapshots->topLevelItem(kWorkingRow));
}

void THistoryDlg::ShowChanges() {
    m_lstChanges->clear();
    const int row = m_lstSnapshots->indexOfTopLevelItem(m_lstSnapshots->currentItem());
    m_btnRestore->setEnabled(row > kWorkingRow);
    if (row < 0 || m_log.empty())
        return;
    const QString newRev =
        row == kWorkingRow ? QStringLiteral("working") : m_log[static_cast<std::size_t>(row - 1)].id;
    const QString oldRev = row == kWorkingRow ? m_log.front().id : QString();
    history::HistoryDiff diff;
    QString error;
    if (!history::BackupHistory::Diff(m_folder, oldRev, newRev, &diff, &error)) {
        m_lstChanges->addItem(error);
        return;
    }
    for (const history::MeaningChange& c : diff.changes)
        m_lstChanges->addItem(c.text);
    if (diff.changes.isEmpty())
        m_lstChanges->addItem(QStringLiteral("(no changes)"));
}

bool THistoryDlg::RestoreChosen(bool confirm) {
    const int row = m_lstSnapshots->indexOfTopLevelItem(m_lstSnapshots->currentItem());
    if (row <= kWorkingRow || row - 1 >= static_cast<int>(m_log.size()))
        return false;
    const history::SnapshotInfo chosen = m_log[static_cast<std::size_t>(row - 1)];
    if (confirm &&
        ShowMessageText(
            this,
            QStringLiteral("Write the files of snapshot %1 (%2) into the backup folder?\nThe folder as it "
                           "is now stays in the history.")
                .arg(chosen.shortId, chosen.job),
            DialogType::Confirmation, kButtonOk | kButtonCancel) != kButtonOk)
        return false;
    history::RestoreResult result;
    QString error;
    const bool ok = history::BackupHistory::Restore(m_folder, m_setupName, chosen.id, {}, &result, &error);
    if (!ok)
        ShowMessageText(this, error, DialogType::Error, kButtonOk);
    Reload();
    return ok;
}

} // namespace qdv
