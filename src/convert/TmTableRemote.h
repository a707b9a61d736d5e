#pragma once

#include "store/SetupRecord.h"

#include <QString>

namespace qdv {

// A data file resolved for a transfer: its path and its size (for a send, 0 when it cannot be sent).
struct FileTarget {
    QString path;
    qint64 size = 0;
};

// The conversion data module: resolves and checks the data files of a setup's backup folder for the
// transfers, and holds the tables the editors work on with their conversions.
class TmTableRemote {
public:
    // Creates the backup data path, its Primary, Name and XPoint folders.
    bool EnsureSetupFolders(const SetupRecord& setup, QString* error = nullptr) const;
    // Creates the backup data path and the ZEBU_<nnn> folder of a station.
    bool EnsureStationFolder(const SetupRecord& setup, int station, QString* error = nullptr) const;

    // Where data of a job kind (0..5), station and data type code are stored when received, with the
    // size the code table expects.
    FileTarget ReceiveTarget(const SetupRecord& setup, int kind, int station, int code) const;
    // The file to send for a job kind, station and data type code; size 0 when it is missing, has the
    // wrong size, or (crosspoints) the compact list cannot be made from it.
    FileTarget PrepareSendFile(const SetupRecord& setup, int kind, int station, int code);

    // Code 1..16 of a data file name, 0 when it names none.
    static int DataTypeOfFileName(const QString& name);

    // Folders of a setup, found without regard to case.
    static QString PrimaryFolder(const SetupRecord& setup);
    static QString NameFolder(const SetupRecord& setup);
    static QString XPointFolder(const SetupRecord& setup);
};

} // namespace qdv
