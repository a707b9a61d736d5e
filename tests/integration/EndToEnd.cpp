#include "EndToEnd.h"

#include "sim/SampleDataSet.h"

#include <QDirIterator>
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

} // namespace qdv::test
