#include "store/DataImage.h"
#include "store/FolderLock.h"
#include "store/ReceivedFileWriter.h"
#include "store/SendFileReader.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <future>

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

TEST(DataImage, byteAddressesMapToCharacterOffsets) {
    EXPECT_EQ(image::CharOffsetOfByte(0), 0);
    EXPECT_EQ(image::CharOffsetOfByte(127), 254);
    EXPECT_EQ(image::CharOffsetOfByte(128), 258);
    EXPECT_EQ(image::CharOffsetOfByte(8191), 63 * 258 + 254);
    EXPECT_EQ(image::CharOffsetOfByte(8192 + 253), 65 * 258 + 250);
}

TEST(DataImage, firstDifferingByteIsTheImageAddressOfTheFirstDifferentCharacter) {
    QByteArray image(300, '\x5A');
    const QByteArray text = image::Encode(image);
    struct Case {
        qsizetype changedChar; // -1: equal texts
        std::int64_t address;
    };
    // High and low digit of a byte, the first byte of the second line, a line end, a text cut short.
    const Case cases[] = {{-1, -1}, {0, 0}, {3, 1}, {257, 128}, {258, 128}, {258 + 255, 255}};
    for (const Case& c : cases) {
        QByteArray other = text;
        if (c.changedChar >= 0)
            other[c.changedChar] = other[c.changedChar] == '0' ? '1' : '0';
        EXPECT_EQ(image::FirstDifferingByte(text, other), c.address) << c.changedChar;
        EXPECT_EQ(image::FirstDifferingByte(other, text), c.address) << c.changedChar;
    }
    EXPECT_EQ(image::FirstDifferingByte(text, text.left(258 * 2 + 10)), 256 + 5);
}

TEST(DataImage, encodeThenDecodeRoundTripsWithShortLastLineAndReadsHexInEitherCase) {
    QByteArray img(300, '\0');
    for (int i = 0; i < img.size(); ++i)
        img[i] = static_cast<char>(i * 7);
    const QByteArray text = image::Encode(img);
    // Two full lines and a line of 44 bytes.
    EXPECT_EQ(text.size(), 2 * 258 + 88 + 2);
    EXPECT_TRUE(text.endsWith("\r\n"));
    EXPECT_EQ(image::Decode(text, 300), img);
    EXPECT_EQ(image::Decode(text.toLower(), 300), img);
    // A short text leaves the rest zero.
    EXPECT_EQ(image::Decode("0102", 4), QByteArray::fromHex("01020000"));
}

using Result = FolderLock::Result;

// The result of a lock taken on a thread of its own (another writer of this process).
Result TryOnOtherThread(const QString& folder, QString* holder = nullptr) {
    return std::async(std::launch::async,
                      [&] {
                          FolderLock other;
                          const Result r = other.TryLock(folder, QStringLiteral("importing"));
                          if (holder)
                              *holder = other.Holder();
                          return r;
                      })
        .get();
}

TEST(FolderLock, oneHolderAtATimeNamedInTheOthersMessage) {
    test::TestFolder dir;
    const QString folder = dir.FilePath(QStringLiteral("Backup"));
    FolderLock::SetProgramName(QStringLiteral("qdv70"));
    FolderLock first;
    ASSERT_EQ(first.TryLock(folder, QStringLiteral("receiving Primary")), Result::Taken);
    EXPECT_TRUE(dir.Exists(QStringLiteral("Backup/.qdv70.lock")));

    QString holder;
    EXPECT_EQ(TryOnOtherThread(folder, &holder), Result::Busy);
    EXPECT_EQ(holder, QStringLiteral("qdv70 (pid %1) is receiving Primary").arg(::getpid()));

    // On the holder's own thread a second lock nests and its end frees nothing.
    {
        FolderLock nested;
        EXPECT_EQ(nested.TryLock(folder, QStringLiteral("recording the history")), Result::Taken);
    }
    EXPECT_EQ(TryOnOtherThread(folder), Result::Busy);

    first.Release();
    EXPECT_EQ(TryOnOtherThread(folder), Result::Taken);
}

TEST(FolderLock, waitEndsWhenFreedCancelledOrTimedOut) {
    test::TestFolder dir;
    const QString folder = dir.Path();
    struct Case {
        const char* name;
        int timeoutMs;
        bool cancel;
        bool freed; // the holder lets go once the waiter has said that it waits
        Result expected;
    };
    const Case cases[] = {
        {"freed during the wait", 5000, false, true, Result::Taken},
        {"cancelled", 5000, true, false, Result::Cancelled},
        {"timed out", 100, false, false, Result::Busy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::OtherWriter holder(folder, QStringLiteral("restoring"));
        int told = 0;
        QString toldHolder;
        FolderLock waiter;
        const Result r = waiter.Lock(
            folder, QStringLiteral("importing"), c.timeoutMs, [&] { return c.cancel; },
            [&](const QString& h) {
                ++told;
                toldHolder = h;
                if (c.freed)
                    holder.Release();
            });
        EXPECT_EQ(r, c.expected);
        EXPECT_EQ(told, 1);
        EXPECT_TRUE(toldHolder.endsWith(QStringLiteral(" is restoring"))) << toldHolder.toStdString();
    }
}

TEST(FolderLock, holderTextAndFailures) {
    EXPECT_EQ(FolderLock::HolderText(""), QStringLiteral("another program is writing into it"));
    EXPECT_EQ(FolderLock::HolderText("qdv70cli\n77\nreceiving Crosspoint\n"),
              QStringLiteral("qdv70cli (pid 77) is receiving Crosspoint"));

    test::TestFolder dir;
    dir.Write(QStringLiteral("plain"), "a file, not a folder");
    FolderLock lock;
    EXPECT_EQ(lock.TryLock(dir.FilePath(QStringLiteral("plain/Backup")), QStringLiteral("x")),
              Result::Failed);
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(lock.ErrorString().isEmpty());
}

} // namespace
} // namespace qdv
