#include "app/SendVerification.h"
#include "convert/TmTableRemote.h"
#include "link/TransferJobs.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(SendVerification, comparesEachSentFileWithItsReadBackCopy) {
    test::TestFolder folder;
    SetupRecord setup;
    setup.SetBackupDataPath(folder.FilePath("backup"));
    TmTableRemote resolver;
    const QString sentPath = resolver.ReceiveTarget(setup, kJobDescription, 0, datafiles::kNme).path;
    const QString backPath =
        resolver
            .ReceiveTarget(SendVerification::ReadBackSetup(setup, folder.FilePath("back")), kJobDescription,
                           0, datafiles::kNme)
            .path;
    const QByteArray sent = image::Encode(QByteArray(300, 'a'));
    QByteArray changed(300, 'a');
    changed[257] = 'b';
    struct Case {
        QByteArray readBack; // empty: none
        const char* text;
    };
    const Case cases[] = {
        {sent, "ZEBU_NME.DAU: verified"},
        {image::Encode(changed), "ZEBU_NME.DAU: differs from the device at address 0x0101"},
        {{}, "ZEBU_NME.DAU: cannot be compared: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QFile::remove(backPath);
        folder.Write(QDir(folder.Path()).relativeFilePath(sentPath), sent);
        if (!c.readBack.isEmpty())
            folder.Write(QDir(folder.Path()).relativeFilePath(backPath), c.readBack);
        const auto checks =
            SendVerification::Compare(resolver, setup, kJobDescription, folder.FilePath("back"));
        ASSERT_EQ(checks.size(), 1u);
        EXPECT_TRUE(checks[0].Text().startsWith(c.text)) << checks[0].Text().toStdString();
        EXPECT_EQ(SendVerification::Differing(checks), c.readBack == sent ? 0 : 1);
    }
    setup.primaryBackupFiles = 0b101;
    EXPECT_EQ(SendVerification::FilesOfKind(setup, kJobPrimary).size(), 2);
    EXPECT_TRUE(SendVerification::FilesOfKind(setup, kJobSecondary).isEmpty());
}

} // namespace
} // namespace qdv
