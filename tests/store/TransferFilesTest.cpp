#include "store/ReceivedFileWriter.h"
#include "store/SendFileReader.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

const QByteArray kFiller = QByteArray(256, '0') + "\r\n";

struct Writer {
    ReceivedFileWriter w;
    QString target;
    QString work;
    explicit Writer(const test::TestFolder& dir, const QString& name)
        : target(dir.FilePath(name)), work(ReceivedFileWriter::WorkFileOf(dir.FilePath(name))) {}
    bool Put(bool first, const QByteArray& hdata, qint64 oset, bool last, bool pad = false) {
        return w.WriteReceivedData(first, pad, static_cast<int>(hdata.size() / 2), hdata.constData(), oset,
                                   work, target, last);
    }
};

TEST(ReceivedFileWriter, paddingCompletesA16384ByteImage) {
    test::TestFolder dir;
    Writer w(dir, "ZEBU_XPT.DAU");
    ASSERT_TRUE(w.Put(true, QByteArray(256, 'F'), 0, false));
    // Last packet ends at byte 8000 of the image.
    ASSERT_TRUE(w.Put(false, QByteArray(2 * 64, 'F'), 7936, true, true));
    const QByteArray file = dir.Read("ZEBU_XPT.DAU");
    EXPECT_EQ(w.w.ByteCount(), 16384 + 64);
    EXPECT_TRUE(file.endsWith(kFiller));
    // first line, 61 filler lines up to byte 7936, the last packet, 66 padding lines
    EXPECT_EQ(file.count('\n'), 1 + 61 + 1 + 66);
}

TEST(ReceivedFileWriter, refusesPacketsWithoutAStartAndCreatesAMissingFolder) {
    test::TestFolder dir;
    Writer orphan(dir, "ZEBU_STD.DAU");
    EXPECT_FALSE(orphan.Put(false, "00", 0, true));
    EXPECT_FALSE(dir.Exists("ZEBU_STD.DAU"));
    Writer w(dir, "gone/XPoint/ZEBU_XPT.DAU");
    ASSERT_TRUE(w.Put(true, "00", 0, true));
    EXPECT_EQ(dir.Read("gone/XPoint/ZEBU_XPT.DAU"), "00\r\n");
}

TEST(SendFileReader, refusesMissingAndOversizedFiles) {
    test::TestFolder dir;
    SendFileReader r;
    EXPECT_FALSE(r.LoadSendFile(dir.FilePath("missing")));
    dir.Write("big", QByteArray(SendFileReader::kBufferSize + 1, '0'));
    EXPECT_FALSE(r.LoadSendFile(dir.FilePath("big")));
    EXPECT_EQ(r.ChunkCount(), 0);
    EXPECT_FALSE(r.HasMore());
}

} // namespace
} // namespace qdv
