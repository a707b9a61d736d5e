#include "convert/DescriptionTable.h"
#include "history/BackupHistory.h"
#include "history/ui/THistoryDlg.h"
#include "store/DataImage.h"
#include "support/MainWindowFixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

QByteArray Nme(const QByteArray& source1) {
    DescriptionTable t;
    t.At(Side::Source, 1).SetText(source1);
    QByteArray img = t.Image();
    img.resize(DescriptionTable::kNmeImageSize, '\0');
    return image::Encode(img);
}

TEST(HistoryDialog, showsSnapshotsTheirChangesAndRestores) {
    TestFolder d;
    d.Write("Name/ZEBU_NME.DAU", Nme("CAM 1"));
    history::BackupHistory::Snapshot(d.Path(), "Plant", "Receive Description", {}, {});
    d.Write("Name/ZEBU_NME.DAU", Nme("CAM 1B"));
    history::BackupHistory::Snapshot(d.Path(), "Plant", "Receive Description", {}, {});
    d.Write("Name/ZEBU_NME.DAU", Nme("CAM 9"));

    THistoryDlg dialog("Plant", d.Path());
    ASSERT_EQ(dialog.Snapshots()->topLevelItemCount(), 3); // the folder now, then two snapshots
    EXPECT_EQ(Rows(dialog.Changes()), QStringList({R"(source 1 description: "CAM 1B" -> "CAM 9")"}));
    EXPECT_FALSE(dialog.RestoreButton()->isEnabled());

    dialog.Snapshots()->setCurrentItem(dialog.Snapshots()->topLevelItem(1));
    EXPECT_EQ(Rows(dialog.Changes()), QStringList({R"(source 1 description: "CAM 1" -> "CAM 1B")"}));
    EXPECT_EQ(dialog.Snapshots()->topLevelItem(1)->text(3), "Name/ZEBU_NME.DAU");

    dialog.Snapshots()->setCurrentItem(dialog.Snapshots()->topLevelItem(2));
    EXPECT_TRUE(dialog.RestoreButton()->isEnabled());
    ASSERT_TRUE(dialog.RestoreChosen(false));
    EXPECT_EQ(d.Read("Name/ZEBU_NME.DAU"), Nme("CAM 1"));
    // Before the restore the folder's own change was kept; the restore is a snapshot of its own.
    ASSERT_EQ(dialog.Snapshots()->topLevelItemCount(), 5);
    EXPECT_TRUE(dialog.Snapshots()->topLevelItem(1)->text(2).startsWith("Restore "));
    EXPECT_TRUE(dialog.Snapshots()->topLevelItem(2)->text(2).startsWith("Before restore"));
}

} // namespace
} // namespace qdv::test
