#include "EndToEnd.h"

#include "sim/SampleDataSet.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

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

int EndToEnd::WorkFiles() const {
    int n = 0;
    QDirIterator it(pc.FilePath("backup"), {"*.BAK"}, QDir::Files, QDirIterator::Subdirectories);
    for (; it.hasNext(); it.next())
        ++n;
    return n;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

void EnsureCoreApplication() {
    static int argc = 1;
    static char name[] = "test_integration";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        static QCoreApplication app(argc, argv);
}

} // namespace qdv::test
