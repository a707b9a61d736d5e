#include "convert/TmTableRemote.h"

#include "convert/CrosspointList.h"
#include "store/DataFileSet.h"
#include "store/PathNoCase.h"
#include "store/TmFile.h"

#include <QDir>
#include <QFileInfo>

namespace qdv {

namespace {

qint64 SizeOf(const QString& path) {
    return TmFile::GetFileSize(path);
}

// A data file of the code table is sent only with its kind's size (the tie-line file may be twice as
// long): the same rule a received file is held to.
bool HasSendableSize(int code, qint64 size) {
    return datafiles::Entry(code).HasFile() && size > 0 &&
           datafiles::SizeAccepted(datafiles::FileName(code), size);
}

} // namespace

QString TmTableRemote::PrimaryFolder(const SetupRecord& setup) {
    return JoinNoCase(setup.backupDataPath, QStringLiteral("Primary"));
}

QString TmTableRemote::NameFolder(const SetupRecord& setup) {
    return JoinNoCase(setup.backupDataPath, QStringLiteral("Name"));
}

QString TmTableRemote::XPointFolder(const SetupRecord& setup) {
    return JoinNoCase(setup.backupDataPath, QStringLiteral("XPoint"));
}

bool TmTableRemote::EnsureSetupFolders(const SetupRecord& setup, QString* error) const {
    if (setup.backupDataPath.isEmpty()) {
        if (error)
            *error = QStringLiteral("Cannot create directory.(%1)").arg(setup.backupDataPath);
        return false;
    }
    return TmFile::EnsureDirectory(setup.backupDataPath, error) &&
           TmFile::EnsureDirectory(PrimaryFolder(setup), error) &&
           TmFile::EnsureDirectory(NameFolder(setup), error) &&
           TmFile::EnsureDirectory(XPointFolder(setup), error);
}

bool TmTableRemote::EnsureStationFolder(const SetupRecord& setup, int station, QString* error) const {
    return TmFile::EnsureDirectory(setup.backupDataPath, error) &&
           TmFile::EnsureDirectory(JoinNoCase(setup.backupDataPath, datafiles::StationFolderName(station)),
                                   error);
}

FileTarget TmTableRemote::ReceiveTarget(const SetupRecord& setup, int kind, int station, int code) const {
    const DataFileEntry& entry = datafiles::Entry(code);
    const QString name = datafiles::FileName(code, station);
    switch (kind) {
    case 0:
        return {JoinNoCase(PrimaryFolder(setup), name), entry.fileSize};
    case 1:
    case 4:
        return {JoinNoCase(NameFolder(setup), name), entry.fileSize};
    case 2:
        return {JoinNoCase(XPointFolder(setup), name), entry.fileSize};
    case 3:
        return {JoinNoCase(setup.backupDataPath, datafiles::FileName(datafiles::kStationDat, station)),
                datafiles::Entry(datafiles::kStationDat).fileSize};
    case 5:
        return {JoinNoCase(NameFolder(setup), datafiles::AliasFileName(1)), 0};
    default:
        return {};
    }
}

FileTarget TmTableRemote::PrepareSendFile(const SetupRecord& setup, int kind, int station, int code) {
    switch (kind) {
    case 0:
    case 1: {
        FileTarget t = ReceiveTarget(setup, kind, station, code);
        const qint64 size = SizeOf(t.path);
        t.size = HasSendableSize(code, size) ? size : 0;
        return t;
    }
    case 2: {
        const QString folder = XPointFolder(setup);
        const QString dau = JoinNoCase(folder, QString::fromLatin1(datafiles::Entry(datafiles::kXpt).name));
        const qint64 size = SizeOf(dau);
        const QString mke = JoinNoCase(folder, QStringLiteral("ZEBU_XPT.MKE"));
        if (!HasSendableSize(datafiles::kXpt, size))
            return {mke, 0};
        return {mke, MakeCrosspointList(dau, mke) == kListOk ? size : 0};
    }
    case 3: {
        const QString path =
            JoinNoCase(setup.backupDataPath, datafiles::FileName(datafiles::kStationDat, station));
        return {path, SizeOf(path)};
    }
    // Kinds 4 and 5 (names to a secondary station) are checked by loading the tables they send.
    case 4:
        return {ConversionTables::DescriptionFile(setup),
                m_tables.LoadDescriptions(setup) ? DescriptionTable::kFileSize : 0};
    case 5: {
        bool any = false;
        for (int k = 1; k <= AliasTables::kTables; ++k) {
            // A table whose file does not load goes out empty, not with what an earlier edit left in it.
            m_tables.Aliases().Table(k).Clear();
            any = m_tables.LoadAliases(setup, k) || any;
        }
        return {ConversionTables::AliasFile(setup, 1), any ? AliasTables::kFileSize : 0};
    }
    default:
        return {};
    }
}

int TmTableRemote::DataTypeOfFileName(const QString& name) {
    for (int code = 1; code <= datafiles::kCodes; ++code) {
        const DataFileEntry& entry = datafiles::Entry(code);
        // Codes without a file are named "NON" in the table; a file name that happens to begin so
        // names no data type.
        if (!entry.HasFile())
            continue;
        const QLatin1String entryName(entry.name);
        if (name.left(entryName.size()).compare(entryName, Qt::CaseInsensitive) == 0)
            return code;
    }
    return 0;
}

} // namespace qdv
