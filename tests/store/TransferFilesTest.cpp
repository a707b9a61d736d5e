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

TEST(ReceivedFileWriter, writesLinesFillsGapsAndReplacesTargetOnlyAtTheEnd) {
    test::TestFolder dir;
    dir.Write("XPoint/ZEBU_XPT.DAU", "previous");
    Writer w(dir, "XPoint/ZEBU_XPT.DAU");
    const QByteArray line(256, 'A');
    ASSERT_TRUE(w.Put(true, {}, 0, false)); // start record: no data, no line
    ASSERT_TRUE(w.Put(false, line, 0, false));
    // The device skipped offset 128: a line of "0" stands in for it.
    ASSERT_TRUE(w.Put(false, line, 256, false));
    EXPECT_EQ(dir.Read("XPoint/ZEBU_XPT.DAU"), "previous");
    EXPECT_TRUE(dir.Exists("XPoint/ZEBU_XPT.BAK"));
    ASSERT_TRUE(w.Put(false, "0102", 384, true));
    EXPECT_EQ(dir.Read("XPoint/ZEBU_XPT.DAU"), line + "\r\n" + kFiller + line + "\r\n" + "0102\r\n");
    EXPECT_FALSE(dir.Exists("XPoint/ZEBU_XPT.BAK"));
}

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

TEST(ReceivedFileWriter, abortedTransferLeavesTheTargetByteIdenticalAndNoWorkFile) {
    test::TestFolder dir;
    const QByteArray old = QByteArray(256, '5') + "\r\n";
    dir.Write("Name/ZEBU_NME.DAU", old);
    {
        Writer w(dir, "Name/ZEBU_NME.DAU");
        ASSERT_TRUE(w.Put(true, QByteArray(256, 'A'), 0, false));
        w.w.Abort();
    }
    EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), old);
    EXPECT_FALSE(dir.Exists("Name/ZEBU_NME.BAK"));
    {
        // A writer destroyed mid-file (the engine stopped) cleans up the same way.
        Writer w(dir, "Name/ZEBU_NME.DAU");
        ASSERT_TRUE(w.Put(true, QByteArray(256, 'A'), 0, false));
    }
    EXPECT_EQ(dir.Read("Name/ZEBU_NME.DAU"), old);
    EXPECT_FALSE(dir.Exists("Name/ZEBU_NME.BAK"));
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

QByteArray DataFile(int fullLines, int shortChars) {
    QByteArray f;
    for (int i = 0; i < fullLines; ++i)
        f += QByteArray(256, static_cast<char>('A' + i % 6)) + "\r\n";
    if (shortChars > 0)
        f += QByteArray(shortChars, '9') + "\r\n";
    return f;
}

struct Chunking {
    const char* name;
    int fullLines;
    int shortChars;
    int fileSize;
    int chunks;
    int lastChunk;
};

TEST(SendFileReader, cutsFilesIntoOneChunkPerLine) {
    const Chunking cases[] = {
        {"standard settings", 128, 0, 33024, 128, 256},
        {"phantom groups", 350, 20, 90322, 351, 20},
        {"names", 278, 16, 71742, 279, 16},
        {"station file", 20, 60, 5222, 21, 60},
    };
    for (const auto& c : cases) {
        test::TestFolder dir;
        const QByteArray data = DataFile(c.fullLines, c.shortChars);
        ASSERT_EQ(data.size(), c.fileSize) << c.name;
        dir.Write("f", data);
        SendFileReader r;
        ASSERT_TRUE(r.LoadSendFile(dir.FilePath("f"))) << c.name;
        EXPECT_EQ(r.ChunkCount(), c.chunks) << c.name;
        QByteArray joined;
        int n = 0;
        QByteArrayView last;
        while (r.HasMore()) {
            last = r.NextChunk();
            joined += last.toByteArray() + "\r\n";
            ++n;
        }
        EXPECT_EQ(n, c.chunks) << c.name;
        EXPECT_EQ(last.size(), c.lastChunk) << c.name;
        EXPECT_EQ(joined, data) << c.name;
    }
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
