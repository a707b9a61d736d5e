#include "EndToEnd.h"

#include "convert/CrosspointTable.h"
#include "convert/DescriptionTable.h"
#include "store/DataImage.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

TEST(HistoryAgainstSimulator, twoReceivesWithAChangeGiveSnapshotsAndMeaningDiff) {
    EndToEnd e;
    ASSERT_EQ(e.Cli({"receive", "description"}).exitCode, 0);
    ASSERT_EQ(e.Cli({"receive", "crosspoint"}).exitCode, 0);

    // On the device: source 12 gets a new description, destination 5 level 2 a new source.
    QByteArray nme = image::Decode(e.Device("Name/ZEBU_NME.DAU"), DescriptionTable::kNmeImageSize);
    DescriptionTable before;
    before.LoadDau(e.Device("Name/ZEBU_NME.DAU"));
    nme.replace(16 * 11, 16, QByteArray("CAM 1B").leftJustified(16, '\0'));
    e.device.Write("Name/ZEBU_NME.DAU", image::Encode(nme));
    CrosspointTable xpt;
    xpt.LoadDau(e.Device("XPoint/ZEBU_XPT.DAU"));
    const int oldSource = xpt.Source(2, 5);
    const int newSource = oldSource == 7 ? 8 : 7;
    xpt.SetSource(2, 5, static_cast<std::uint16_t>(newSource));
    e.device.Write("XPoint/ZEBU_XPT.DAU", xpt.SaveDau());

    ASSERT_EQ(e.Cli({"receive", "description"}).exitCode, 0);
    ASSERT_EQ(e.Cli({"receive", "crosspoint"}).exitCode, 0);
    ASSERT_EQ(e.Cli({"receive", "crosspoint"}).exitCode, 0); // the same bytes again: no snapshot

    const CliRun history = e.Cli({"history"});
    ASSERT_EQ(history.exitCode, 0) << history.err.toStdString();
    const QStringList lines = history.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << history.out.toStdString();
    // The line's id and date are the in-process history test's; here the job and file of a receive.
    EXPECT_TRUE(lines[0].endsWith("Receive Crosspoint  XPoint/ZEBU_XPT.DAU")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("Receive Description  Name/ZEBU_NME.DAU")) << lines[1].toStdString();

    const CliRun diff = e.Cli({"diff", "HEAD~2", "HEAD"});
    ASSERT_EQ(diff.exitCode, 0) << diff.err.toStdString();
    const QString oldText = QString::fromLatin1(before.At(Side::Source, 12).Text());
    EXPECT_TRUE(
        diff.out.contains(QStringLiteral("  source 12 description: \"%1\" -> \"CAM 1B\"\n").arg(oldText)))
        << diff.out.toStdString();
    EXPECT_TRUE(diff.out.contains(QRegularExpression(
        QStringLiteral("  destination 5 level 2: source %1( \\(.*\\))? -> source %2( \\(.*\\))?\n")
            .arg(oldSource)
            .arg(newSource))))
        << diff.out.toStdString();
    EXPECT_EQ(diff.out.count('\n'), 4) << diff.out.toStdString(); // two file headings, two changes

    // The default compares the last two snapshots: only the route.
    const QJsonArray changes = e.Cli({"diff", "--json"}).Json()["changes"].toArray();
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0]["kind"], "route");
    EXPECT_EQ(changes[0]["destination"], 5);
    EXPECT_EQ(changes[0]["newSource"], newSource);
    EXPECT_TRUE(e.Cli({"diff", "HEAD", "working"}).out.isEmpty());
}

} // namespace
} // namespace qdv::test
