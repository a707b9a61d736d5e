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

double TimeSnapshot(const QString& dir, const QString& what, bool* committed) {
    QElapsedTimer t;
    t.start();
    const auto r = BackupHistory::Snapshot(dir, QStringLiteral("Bench"), what, {}, {});
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    *committed = r.outcome == history::SnapshotResult::Outcome::Committed;
    return ms;
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
    bool committed = false;
    const double first = TimeSnapshot(dir, QStringLiteral("First"), &committed);

    std::vector<double> changed;
    std::vector<double> same;
    for (int run = 0; run < runs; ++run) {
        for (const QString& f : DataFiles(dir, QStringLiteral("Primary")))
            Rewrite(f, run);
        changed.push_back(TimeSnapshot(dir, QStringLiteral("Receive Primary"), &committed));
        if (!committed)
            return std::fprintf(stderr, "qdv70histbench: a changed receive committed nothing\n"), 1;
        // A nightly receive that brings the same bytes again: files replaced, nothing to commit.
        for (const QString& f : DataFiles(dir, QStringLiteral("Primary"))) {
            QByteArray text;
            ReadWholeFile(f, &text);
            WriteFileAtomically(f, text);
        }
        same.push_back(TimeSnapshot(dir, QStringLiteral("Receive Primary"), &committed));
    }

    // Two full snapshots that differ in every data file of the folder.
    std::vector<double> diff;
    qsizetype lines = 0;
    for (int run = 0; run < runs; ++run) {
        for (const QString& f : DataFiles(dir, QString()))
            Rewrite(f, 100 + run);
        TimeSnapshot(dir, QStringLiteral("Everything"), &committed);
        history::HistoryDiff d;
        QElapsedTimer t;
        t.start();
        if (!BackupHistory::Diff(dir, QString(), QString(), &d, &error))
            return std::fprintf(stderr, "qdv70histbench: %s\n", qPrintable(error)), 1;
        diff.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        lines = d.changes.size();
    }

    std::printf("history on the sample data set, %d runs, median wall time\n", runs);
    std::printf("  first snapshot (history created)            %8.1f ms\n", first);
    std::printf("  snapshot after a Primary receive (8 files)  %8.1f ms\n", Median(changed));
    std::printf("  snapshot after a receive of the same bytes  %8.1f ms\n", Median(same));
    std::printf("  diff of two full snapshots (%lld lines)     %8.1f ms\n", static_cast<long long>(lines),
                Median(diff));
    return 0;
}
