#include "EndToEnd.h"

#include "sim/SampleDataSet.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qdv::test {

EndToEnd::EndToEnd(const QStringList& faults, Carrier carrier, const QStringList& simOptions) {
    QString error;
    EXPECT_TRUE(WriteSampleDataSet(device.Path(), &error)) << error.toStdString();
    const QString home = pc.FilePath("home");
    const QString backup = pc.FilePath("backup");
    if (carrier == Carrier::Serial) {
        sim = std::make_unique<SimProcess>(device.Path(), faults, SerialLink(), simOptions);
        WriteSerialHome(home, backup, SerialLink());
    } else {
        sim = std::make_unique<SimProcess>(device.Path(), faults, simOptions);
        WriteLanHome(home, backup, sim->Port());
    }
    EXPECT_TRUE(sim->Ok()) << "simulator did not start";
}

CliRun EndToEnd::Cli(const QStringList& args, const QStringList& wrapper) const {
    return RunCli(QStringList{"--home", pc.FilePath("home")} + args, wrapper);
}

bool EndToEnd::Start(QProcess& cli, const QStringList& args) const {
    return StartCli(cli, QStringList{"--home", pc.FilePath("home")} + args);
}

int EndToEnd::WorkFiles() const {
    int n = 0;
    QDirIterator it(pc.FilePath("backup"), {"*.BAK"}, QDir::Files, QDirIterator::Subdirectories);
    for (; it.hasNext(); it.next())
        ++n;
    return n;
}

LineHolder::LineHolder(const QString& path)
    : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    EXPECT_GE(m_fd, 0) << path.toStdString();
    EXPECT_EQ(::flock(m_fd, LOCK_EX | LOCK_NB), 0);
}

void LineHolder::Release() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QByteArray PostSoap(int port, const QByteArray& element) {
    const QByteArray body = "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
                            "envelope/\"><s:Body>" +
                            element + "</s:Body></s:Envelope>";
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
    if (!socket.waitForConnected(30000))
        return {};
    socket.write("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Type: text/xml\r\n"
                 "Content-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(30000))
        answer += socket.readAll();
    return answer + socket.readAll();
}

namespace {
const QByteArray kPrimaryStationNs =
    "xmlns=\"http://switcher.example/pro/switcher/primarystation/configurationservice\"";
} // namespace

LoopbackServices::LoopbackServices(const QString& home)
    : files(home),
      services(files,
               {.bindAddress = QStringLiteral("127.0.0.1"), .deviceInfoPort = 0, .primaryStationPort = 0}) {
    EXPECT_EQ(services.Start(), 2);
    PostSoap(services.PrimaryStationPort(), "<GetProductInfoReq " + kPrimaryStationNs + "/>");
}

QByteArray LoopbackServices::SetTypeName() const {
    return PostSoap(services.PrimaryStationPort(),
                    "<SetTypeNameReq " + kPrimaryStationNs +
                        "><TypeName><No>1</No><Name>AB</Name></TypeName></SetTypeNameReq>");
}

void EnsureCoreApplication() {
    static int argc = 1;
    static char name[] = "test_integration";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        static QCoreApplication app(argc, argv);
}

} // namespace qdv::test
