// qdv70histbench: measures the backup history on the sample data set: the snapshot after a Primary
// receive that replaced all eight Primary files (and after one that stored the same bytes again), and
// the meaning diff between two full snapshots that differ in every data file.
// Usage: qdv70histbench [runs]

#include "history/BackupHistory.h"
#include "sim/SampleDataSet.h"
#include "store/AtomicFile.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
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
    return 0;
}
