#include "app/JobReport.h"
#include "convert/TmTableRemote.h"
#include "link/TransferJobs.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

struct SendCheckCase {
    const char* name;
    int kind;
    const char* file; // written into the backup, may be empty
    QByteArray content;
    QStringList missing;
};

TEST(JobReport, aDescriptionOrCrosspointSendThatCannotSendItsFileNamesIt) {
    const QByteArray nme = test::ReadTestData("convert/ZEBU_NME.DAU");
    const QByteArray xpt = test::ReadTestData("convert/ZEBU_XPT.DAU");
    ASSERT_FALSE(nme.isEmpty());
    ASSERT_FALSE(xpt.isEmpty());
    const SendCheckCase cases[] = {
        {"description present", kJobDescription, "Name/ZEBU_NME.DAU", nme, {}},
        {"description missing", kJobDescription, "", {}, {"ZEBU_NME.DAU"}},
        {"description cut short",
         kJobDescription,
         "Name/ZEBU_NME.DAU",
         nme.left(nme.size() - 2),
         {"ZEBU_NME.DAU"}},
        {"crosspoints present", kJobCrosspoint, "XPoint/ZEBU_XPT.DAU", xpt, {}},
        {"crosspoints missing", kJobCrosspoint, "", {}, {"ZEBU_XPT.DAU"}},
        // Primary files are checked one by one by the job and reported by the done mask.
        {"primary", kJobPrimary, "", {}, {}},
    };
    for (const SendCheckCase& c : cases) {
        test::TestFolder backup;
        if (*c.file)
            backup.Write(QString::fromLatin1(c.file), c.content);
        SetupRecord setup;
        setup.SetBackupDataPath(backup.Path());
        TmTableRemote resolver;
        const JobReport r = JobReport::CheckSendFile(resolver, setup, c.kind);
        EXPECT_EQ(r.missing, c.missing) << c.name;
        EXPECT_EQ(r.Success(), c.missing.isEmpty()) << c.name;
        if (!c.missing.isEmpty()) {
            EXPECT_EQ(r.ListText(),
                      "The following files were not able to be transmitted.\n       " + c.missing[0])
                << c.name;
        }
    }
}

} // namespace
} // namespace qdv
