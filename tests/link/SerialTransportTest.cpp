#include "link/ByteRing.h"
#include "link/ModemLines.h"
#include "link/TSerialThread.h"
#include "support/TestFolder.h"

#include <QFile>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <grp.h>
#include <mutex>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace qdv {
namespace {

// Upper bound for waiting on the worker thread; a passing test never comes near it.
constexpr auto kPatience = std::chrono::seconds(5);

QByteArray Pattern(int size, int seed = 0) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = static_cast<char>((i * 7 + seed) & 0xFF);
    return b;
}

// A serial transport on the PC end of a pseudo terminal; the test plays the device on the other end.
class SerialLine : public ::testing::Test {
protected:
    void SetUp() override {
        int slave = -1;
        char name[128];
        ASSERT_EQ(::openpty(&m_device, &slave, name, nullptr, nullptr), 0);
        m_path = QString::fromLatin1(name);
        termios tio{};
        ::tcgetattr(m_device, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_device, TCSANOW, &tio);
        ::close(slave); // the transport opens it by name, as it would a COM port
        m_port.SetNotify([this] {
            std::lock_guard lock(m_mutex);
            ++m_notifications;
            m_changed.notify_all();
        });
    }
    void TearDown() override {
        if (m_device >= 0)
            ::close(m_device);
    }

    bool Open() { return m_port.OpenPort(m_path, TSerialThread::kBaudRate); }
    void DeviceSends(const QByteArray& bytes) const {
        ASSERT_EQ(::write(m_device, bytes.constData(), static_cast<std::size_t>(bytes.size())), bytes.size());
    }
    QByteArray DeviceReceives(int count) const {
        QByteArray got;
        while (got.size() < count) {
            char buf[256];
            const ssize_t n = ::read(m_device, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, n);
        }
        return got;
    }
    // Waits for the worker to report, until `done` holds.
    bool WaitUntil(const std::function<bool()>& done) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, [&] {
            lock.unlock();
            const bool d = done();
            lock.lock();
            return d;
        });
    }
    // Reads what the transport received until `count` bytes are in.
    QByteArray ReadAll(int count) {
        QByteArray got;
        WaitUntil([&] {
            char buf[TSerialThread::kRingSize];
            const qint64 n = m_port.Read(buf, sizeof buf);
            got.append(buf, n);
            return got.size() >= count;
        });
        return got;
    }

    int m_device = -1;
    QString m_path;
    TSerialThread m_port;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_notifications = 0;
};

TEST_F(SerialLine, bytesArriveInOrderAcrossTheRingsEnd) {
    ASSERT_TRUE(Open());
    m_port.SetAccept(true);
    // Three times 700 bytes: the second and third batches wrap around the 1024-byte ring.
    for (int i = 0; i < 3; ++i) {
        const QByteArray sent = Pattern(700, i);
        DeviceSends(sent);
        EXPECT_EQ(ReadAll(sent.size()), sent) << "batch " << i;
    }
    EXPECT_TRUE(m_port.IsLineUp());
    EXPECT_FALSE(m_port.LineError());
}

// Writes go out only while the port is open; bytes that arrived during an earlier open are not delivered.
TEST_F(SerialLine, writesGoOutOnlyWhileThePortIsOpenAndAReopenStartsClean) {
    EXPECT_FALSE(m_port.Send("early"));
    ASSERT_TRUE(Open());
    m_port.SetAccept(true);
    const QByteArray record = Pattern(275);
    EXPECT_TRUE(m_port.Send(record));
    EXPECT_EQ(DeviceReceives(record.size()), record);
    DeviceSends("left over");
    ASSERT_TRUE(WaitUntil([&] { return m_notifications > 0; }));
    m_port.Close();
    EXPECT_FALSE(m_port.Send("late"));
    EXPECT_FALSE(m_port.IsLineUp());
    ASSERT_TRUE(Open());
    m_port.SetAccept(true);
    DeviceSends("fresh");
    EXPECT_EQ(ReadAll(5), "fresh");
}

TEST_F(SerialLine, overflowFailsTheLineAndOverwritesNothing) {
    ASSERT_TRUE(Open());
    m_port.SetAccept(true);
    // Nobody reads the ring while more than it holds arrives.
    const QByteArray sent = Pattern(1500);
    DeviceSends(sent);
    ASSERT_TRUE(WaitUntil([&] { return m_port.LineError(); }));
    EXPECT_FALSE(m_port.IsLineUp());
    EXPECT_TRUE(m_port.LastErrorText().contains(QLatin1String("overflow")));
    char buf[2000];
    const qint64 kept = m_port.Read(buf, sizeof buf);
    EXPECT_GT(kept, 0);
    EXPECT_LE(kept, TSerialThread::kRingSize);
    EXPECT_EQ(QByteArray(buf, kept), sent.left(kept)); // what is there is what came first, intact
}

TEST_F(SerialLine, farEndVanishingFailsTheLine) {
    ASSERT_TRUE(Open());
    m_port.SetAccept(true);
    ::close(m_device);
    m_device = -1;
    ASSERT_TRUE(WaitUntil([&] { return m_port.LineError(); }));
    EXPECT_FALSE(m_port.IsLineUp());
    EXPECT_FALSE(m_port.Send("anyone?"));
    // Closing what is left of the port neither hangs nor reports the old failure again.
    m_port.Close();
    EXPECT_FALSE(m_port.LineError());
}

// Opens a device nobody but its owner may use, as an unprivileged user, and tells whether the failure
// is recognised as one of permission. Root passes every permission check, so as root the open runs in
// a child process that has given up root first.
bool OpenFailsForPermission(const QString& device) {
    if (::geteuid() != 0) {
        ::chmod(QFile::encodeName(device).constData(), 0);
        QString error;
        return TSerialThread::OpenDevice(device, TSerialThread::kBaudRate, &error) < 0 &&
               TSerialThread::IsPermissionFailure(error);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        QString error;
        const int fd = TSerialThread::OpenDevice(device, TSerialThread::kBaudRate, &error);
        ::_exit(fd < 0 && TSerialThread::IsPermissionFailure(error) ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST_F(SerialLine, portsThatCannotBeOpenedSayWhyAndPermissionFailuresAreKnown) {
    test::TestFolder dir;
    dir.Write("plain.txt", "not a terminal");
    // The pseudo terminal held by another program that locks its ports.
    const int other = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    const struct {
        QString device;
        const char* reason;
    } cases[] = {
        {dir.FilePath("ttyNone"), "(2:SERIAL:open("},
        {dir.FilePath("plain.txt"), "(25:SERIAL:tcgetattr("},
        {m_path, "(16:SERIAL:flock("},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(m_port.OpenPort(c.device, TSerialThread::kBaudRate)) << c.reason;
        EXPECT_TRUE(m_port.LastErrorText().contains(QLatin1String(c.reason)))
            << m_port.LastErrorText().toStdString();
        EXPECT_FALSE(m_port.IsLineUp());
        EXPECT_FALSE(TSerialThread::IsPermissionFailure(m_port.LastErrorText()));
        m_port.Close(); // harmless after a failed open
    }
    ::close(other);
    // A device nobody but its owner may use fails as one of permission.
    dir.Write("ttyLocked", "");
    ::chmod(QFile::encodeName(dir.Path()).constData(), 0755);
    ::chmod(QFile::encodeName(dir.FilePath("ttyLocked")).constData(), 0600);
    EXPECT_TRUE(OpenFailsForPermission(dir.FilePath("ttyLocked")));
}

TEST(ByteRing, refusesWhatDoesNotFitAndKeepsOrderAcrossItsEnd) {
    ByteRing<8> ring;
    char out[8];
    EXPECT_TRUE(ring.Put("abcdef", 6));
    EXPECT_EQ(ring.Take(out, 4), 4u);
    EXPECT_TRUE(ring.Put("ghijkl", 6)); // wraps
    EXPECT_FALSE(ring.Put("m", 1));     // full: refused, nothing overwritten
    EXPECT_EQ(ring.Take(out, 0), 0u);
    EXPECT_EQ(ring.Take(out, -1), 0u);
    EXPECT_EQ(ring.Take(out, 8), 8u);
    EXPECT_EQ(QByteArray(out, 8), "efghijkl");
    EXPECT_TRUE(ring.Empty());
}

TEST(ModemLines, carrierLostOnlyWhenItFallsWhileDsrWasOn) {
    const int dsr = ModemLines::kDsr;
    const int cd = ModemLines::kRlsd;
    const int cts = ModemLines::kCts;
    const struct {
        const char* what;
        std::vector<int> statuses;
        int lostAt; // index of the status that loses the line, -1 for none
    } cases[] = {
        {"cable pulled: DSR and carrier fall together", {dsr | cd | cts, 0}, 1},
        {"carrier falls, DSR stays", {dsr | cd, dsr}, 1},
        {"DSR falls first, then the carrier", {dsr | cd, cd, 0}, -1},
        {"no DSR ever (three-wire cable)", {cd, 0, cd, 0}, -1},
        {"DSR without carrier, CTS toggling", {dsr, dsr | cts, dsr}, -1},
        {"unchanged status is no change", {dsr | cd, dsr | cd}, -1},
        {"carrier comes back and falls again", {dsr | cd, dsr, dsr | cd, dsr}, 1},
    };
    for (const auto& c : cases) {
        ModemLines lines;
        int lostAt = -1;
        for (std::size_t i = 0; i < c.statuses.size(); ++i) {
            if (lines.Update(c.statuses[i]) && lostAt < 0)
                lostAt = static_cast<int>(i);
        }
        EXPECT_EQ(lostAt, c.lostAt) << c.what;
    }
}

} // namespace
} // namespace qdv
