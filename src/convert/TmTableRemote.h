#pragma once

#include "convert/ConversionTables.h"
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

    // The tables of the editors and the name transfers (labels, descriptions, aliases, crosspoints) and
    // their file operations on a setup's backup folder.
    ConversionTables& Tables() { return m_tables; }
    const ConversionTables& Tables() const { return m_tables; }
    void BuildTerminalLabels(const SetupRecord& setup) { m_tables.BuildTerminalLabels(setup); }
    bool LoadDescriptions(const SetupRecord& setup) { return m_tables.LoadDescriptions(setup); }
    bool LoadAliases(const SetupRecord& setup, int k) { return m_tables.LoadAliases(setup, k); }
    bool SaveAliases(const SetupRecord& setup, int k, QString* error = nullptr) const {
        return m_tables.SaveAliases(setup, k, error);
    }
    bool ExportDescriptionText(const QString& path, QString* error = nullptr) const {
        return m_tables.ExportDescriptionText(path, error);
    }
    bool WriteShortDescriptionText(const QString& path, QString* error = nullptr) const {
        return m_tables.WriteShortDescriptionText(path, error);
    }
    bool ImportDescriptionText(const QString& path, DescriptionImport* read = nullptr) {
        return m_tables.ImportDescriptionText(path, read);
    }
    ConverterResult ConvertDescriptionsToDau(const SetupRecord& setup) {
        return m_tables.ConvertDescriptionsToDau(setup);
    }
    bool LoadCrosspoints(const SetupRecord& setup) { return m_tables.LoadCrosspoints(setup); }
    bool SaveCrosspoints(const SetupRecord& setup, QString* error = nullptr) const {
        return m_tables.SaveCrosspoints(setup, error);
    }
    bool ExportCrosspointText(const QString& path, QString* error = nullptr) const {
        return m_tables.ExportCrosspointText(path, error);
    }
    bool ImportCrosspointText(const QString& path, CrosspointImport* read = nullptr) {
        return m_tables.ImportCrosspointText(path, read);
    }

private:
    ConversionTables m_tables;
};

} // namespace qdv
