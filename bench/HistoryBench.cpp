// qdv70histbench: measures the backup history on the sample data set: the snapshot after a Primary
// receive that replaced all eight Primary files (and after one that stored the same bytes again), and
// the meaning diff between two full snapshots that differ in every data file; then `qdv70cli status
// --all-setups` over 50 setups, each with the sample data set, a history and a recorded job.
// Usage: qdv70histbench [runs]

#include "history/BackupHistory.h"
#include "history/JobRecord.h"
#include "sim/SampleDataSet.h"
#include "store/AtomicFile.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace qdv;
using history::BackupHistory;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Rewrites a data file the way a receive does (whole file, atomic replace), with `salt` in its bytes.
void Rewrite(const QString& path, int salt) {
    QByteArray text;
    ReadWholeFile(path, &text);
    QByteArray img = image::Decode(text, static_cast<int>(text.size() / 2));
    const int size = static_cast<int>((text.size() / image::kLineLength) * image::kBytesPerLine +
                                      (text.size() % image::kLineLength) / 2);
    img.resize(size);
    for (int a = salt % 97; a < size; a += 97)
        img[a] = static_cast<char>(img[a] + 1 + salt);
    WriteFileAtomically(path, image::Encode(img));
}

std::vector<QString> DataFiles(const QString& dir, const QString& under) {
    std::vector<QString> files;
    QDirIterator it(dir + QLatin1Char('/') + under, {QStringLiteral("*.DAU"), QStringLiteral("*.DAT")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.push_back(it.next());
    return files;
}

// Wall time and the process's processor time of one call, in milliseconds. On a busy machine the wall
// time includes waiting for a processor; the processor time does not.
struct Times {
    std::vector<double> wall;
    std::vector<double> cpu;
};

template <typename F> auto Measure(Times* times, F&& f) {
    QElapsedTimer t;
    const std::clock_t c0 = std::clock();
    t.start();
    auto result = f();
    times->wall.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    times->cpu.push_back(static_cast<double>(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC);
    return result;
}

bool Snapshot(Times* times, const QString& dir, const QString& what) {
    const auto r =
        Measure(times, [&] { return BackupHistory::Snapshot(dir, QStringLiteral("Bench"), what, {}, {}); });
    return r.outcome == history::SnapshotResult::Outcome::Committed;
}

void Row(const char* what, const Times& t) {
    std::printf("  %-46s %8.1f ms wall %8.1f ms processor\n", what, Median(t.wall), Median(t.cpu));
}

// A home of `count` LAN setups whose backup folders hold the sample data set, a snapshot and a good
// receive of each kind: what `status --all-setups` reads on a facility with many plants.
bool MakeFleet(const QString& home, int count, QString* error) {
    QString list = QStringLiteral("[SETUP]\nREG=%1\n[SELECT LIST]\nSETUP=0\n").arg(count);
    for (int i = 1; i <= count; ++i) {
        const QString folder = home + QStringLiteral("/backup%1").arg(i);
        if (!WriteSampleDataSet(folder, error))
            return false;
        BackupHistory::Snapshot(folder, QStringLiteral("Plant-%1").arg(i), QStringLiteral("Receive Primary"),
                                {}, {});
        for (const char* kind : {"primary", "description", "crosspoint"}) {
            history::JobResult r;
            r.finished = QDateTime::currentDateTimeUtc();
            r.started = r.finished.addSecs(-60);
            r.ok = true;
            if (!history::JobRecord::Record(folder, QLatin1String(kind), r, error))
                return false;
        }
        list += QStringLiteral("[SETUP_%1]\nNAME=Plant-%1\nDIR=%2\nIP=127.0.0.1\nSELECT_LAN=1\nREOTE3=1001\n"
                               "SELECT_PRIMARY_BACKUP_FILE=255\n")
                    .arg(i)
                    .arg(folder);
    }
    return WriteFileAtomically(home + QStringLiteral("/QDV70LIST.INI"), list.toUtf8(), error);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QStringLiteral("/backup");
    QString error;
    if (!WriteSampleDataSet(dir, &error)) {
        std::fprintf(stderr, "qdv70histbench: %s\n", qPrintable(error));
        return 1;
    }
    Times first;
    Snapshot(&first, dir, QStringLiteral("First"));

    Times changed;
    Times same;
    for (int run = 0; run < runs; ++run) {
        for (const QString& f : DataFiles(dir, QStringLiteral("Primary")))
            Rewrite(f, run);
        if (!Snapshot(&changed, dir, QStringLiteral("Receive Primary")))
            return std::fprintf(stderr, "qdv70histbench: a changed receive committed nothing\n"), 1;
        // A nightly receive that brings the same bytes again: files replaced, nothing to commit.
        for (const QString& f : DataFiles(dir, QStringLiteral("Primary"))) {
            QByteArray text;
            ReadWholeFile(f, &text);
            WriteFileAtomically(f, text);
        }
        Snapshot(&same, dir, QStringLiteral("Receive Primary"));
    }

    // Two full snapshots that differ in every data file of the folder.
    Times diff;
    Times everything;
    qsizetype lines = 0;
    for (int run = 0; run < runs; ++run) {
        for (const QString& f : DataFiles(dir, QString()))
            Rewrite(f, 100 + run);
        Snapshot(&everything, dir, QStringLiteral("Everything"));
        history::HistoryDiff d;
        if (!Measure(&diff, [&] { return BackupHistory::Diff(dir, QString(), QString(), &d, &error); }))
            return std::fprintf(stderr, "qdv70histbench: %s\n", qPrintable(error)), 1;
        lines = d.changes.size();
    }

    std::printf("history on the sample data set, %d runs, medians\n", runs);
    Row("first snapshot (history created)", first);
    Row("snapshot after a Primary receive (8 files)", changed);
    Row("snapshot after a receive of the same bytes", same);
    Row("snapshot after every data file changed", everything);
    Row(qPrintable(QStringLiteral("diff of two full snapshots (%1 lines)").arg(lines)), diff);

    constexpr int kFleet = 50;
    const QString home = tmp.path() + QStringLiteral("/fleet");
    if (!MakeFleet(home, kFleet, &error))
        return std::fprintf(stderr, "qdv70histbench: %s\n", qPrintable(error)), 1;
    Times status;
    for (int run = 0; run < runs; ++run) {
        QProcess cli;
        const int code = Measure(&status, [&] {
            cli.start(
                qEnvironmentVariable("QDV70CLI", QStringLiteral(QDV70CLI_PATH)),
                {QStringLiteral("--home"), home, QStringLiteral("status"), QStringLiteral("--all-setups")});
            cli.waitForFinished(120000);
            return cli.exitCode();
        });
        if (code != 0 || cli.readAllStandardOutput().count('\n') != kFleet)
            return std::fprintf(stderr, "qdv70histbench: status --all-setups failed: %s\n",
                                cli.readAllStandardError().constData()),
                   1;
    }
    // The processor column is the benchmark's own, not the tool's: read the wall time.
    Row(qPrintable(QStringLiteral("qdv70cli status --all-setups, %1 setups").arg(kFleet)), status);
    return 0;
}
