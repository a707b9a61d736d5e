#pragma once

#include <QString>

namespace qdv {

// How one file of a job ended, as the command-line tool logs it: one per file, in the order they end.
struct FileResult {
    QString path;
    qint64 bytes = 0;     // size of the stored or sent file; on failure, the bytes moved before it
    int code = 0;         // 0: moved; else the catalogue code of the failure
    bool skipped = false; // never tried: left out of the queue, or left in it when the job ended
    QString detail;       // the system's own words for the failure (e.g. "No space left on device")
    QString listedName;   // a name a device listed that is no local path ("../x"); shown as it is

    // The name the file is known by: the listed name, else the path's file name.
    QString Name() const { return listedName.isEmpty() ? path.section(QLatin1Char('/'), -1) : listedName; }
};

} // namespace qdv
