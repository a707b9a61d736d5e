#include "app/JobReport.h"
#include "convert/TmTableRemote.h"
#include "link/TransferJobs.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(JobReport, aDescriptionOrCrosspointSendThatCannotSendItsFileNamesIt) {
    const QByteArray nme = test::ReadTestData("convert/ZEBU_NME.DAU");
    const QByteArray xpt = test::ReadTestData("convert/ZEBU_XPT.DAU");
    ASSERT_FALSE(nme.isEmpty());
    ASSERT_FALSE(xpt.isEmpty());
    const struct {
        JobKind kind;
        const char* file; // written into the backup, may be empty
        QByteArray content;
        QString missing;
    } cases[] = {
        {kJobDescription, "Name/ZEBU_NME.DAU", nme, {}},
        {kJobDescription, "", {}, "ZEBU_NME.DAU"},
        {kJobDescription, "Name/ZEBU_NME.DAU", nme.left(nme.size() - 2), "ZEBU_NME.DAU"}, // cut short
        {kJobCrosspoint, "XPoint/ZEBU_XPT.DAU", xpt, {}},
        {kJobCrosspoint, "", {}, "ZEBU_XPT.DAU"},
        // Primary files are checked one by one by the job and reported by the done mask.
        {kJobPrimary, "", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.file << " " << c.content.size());
        test::TestFolder backup;
        if (*c.file)
            backup.Write(QString::fromLatin1(c.file), c.content);
        SetupRecord setup;
        setup.SetBackupDataPath(backup.Path());
        TmTableRemote resolver;
        const JobReport r = JobReport::CheckSendFile(resolver, setup, c.kind);
        EXPECT_EQ(r.missing, c.missing.isEmpty() ? QStringList() : QStringList{c.missing});
        EXPECT_EQ(r.Success(), c.missing.isEmpty());
        if (!c.missing.isEmpty()) {
            EXPECT_EQ(r.ListText(),
                      "The following files were not able to be transmitted.\n       " + c.missing);
        }
    }
}

} // namespace
} // namespace qdv
