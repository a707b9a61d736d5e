#pragma once

#include "store/DeviceInfoTable.h"
#include "store/ServiceSettings.h"
#include "store/SetupRecord.h"

#include <QList>
#include <QString>
#include <array>

#include <utility>

namespace qdv {

class StationList;

// Height and face name that a setup's font takes when QDV70LIST.INI names none. The desktop program
// passes the system's menu font; without windows a plain default serves.
struct MenuFont {
    int height = -12;
    QString name = QStringLiteral("Sans Serif");
};

// The file data module: the two settings files of the home folder and the small file services of the
// backup store.
class TmFile {
public:
    static constexpr const char* kListFileName = "QDV70LIST.INI";
    static constexpr const char* kCommFileName = "QDV70COMM.INI";

    static constexpr const char* kStationListFileName = "ZEBU_SEC_LIST.dat";

    // Reads Device/DeviceInfo.txt of the home folder once.
    explicit TmFile(QString homeFolder);

    const QString& HomeFolder() const { return m_home; }
    // Paths of the settings files; an existing file is found in any case of its name.
    QString ListFilePath() const;
    QString CommFilePath() const;

    // Port numbers from QDV70COMM.INI (section "PORT") and the serial device of each port number
    // (section "SERIAL", keys "COM1".."COM15"). A missing file or key gives the defaults.
    void LoadPortSettings(PortSettings& ports) const;
    // The hosted services' settings from QDV70COMM.INI (section "SOAP"); a missing key gives its default.
    ServiceSettings LoadServiceSettings() const;
    // [BACKUP] WARN_DAYS: after how many days without a good Primary backup the main window warns;
    // 0 (or less) turns the warning off. Default 7.
    int LoadBackupWarnDays() const;
    // [BACKUP] ON_FAILURE: the command run when a setup's unattended backup fails; empty for none.
    QString LoadBackupFailureCommand() const;

    // Replaces `table` with the setups of QDV70LIST.INI. False only when the file does not exist (or
    // cannot be read); the table is then empty.
    bool LoadSetupList(SetupTable& table, const MenuFont& defaults) const;
    // Writes the setup table into QDV70LIST.INI, keeping whatever else the file holds, including the
    // sections of setups beyond the count. The file is replaced only as a whole; on failure it is
    // untouched and `error` says why.
    bool SaveSetupList(const SetupTable& table, QString* error = nullptr) const;
    // The keys of one setup's section in QDV70LIST.INI with their values as written, in the file's order.
    static QList<std::pair<QString, QString>> SetupEntries(const SetupRecord& record, const SetupFont& font);

    // Creates a folder and its missing parents; on failure `error` is "Cannot create directory.(<path>)".
    static bool EnsureDirectory(const QString& path, QString* error);
    // Size of an existing file, 0 when there is none.
    static qint64 GetFileSize(const QString& path);
    // Deletes the *.BAK working copies of received files in the setup's backup folder and in its
    // Primary, Name and XPoint folders. Missing folders are skipped; nothing is reported.
    void DeleteBackupTemporaries(const SetupRecord& setup) const;
    // Creates HELP/ and XMLDoc/ in the home folder.
    bool CreateProgramFolders(QString* error) const;

    // The device information table: Device/DeviceInfo.txt of the home folder, read when the module is
    // made; empty without the file. LoadDeviceInfo reads it again; false when it cannot be read.
    bool LoadDeviceInfo();
    const DeviceInfoTable& DeviceInfo() const { return m_deviceInfo; }

    // The secondary station list of a setup, ZEBU_SEC_LIST.dat in its backup folder. Loading gives
    // false, the list unchanged, when the file cannot be read. Saving replaces the file as a whole.
    // Clearing deletes the file and empties the list.
    static QString StationListPath(const SetupRecord& setup);
    bool LoadStationList(const SetupRecord& setup, StationList& list) const;
    bool SaveStationList(const SetupRecord& setup, const StationList& list, QString* error = nullptr) const;
    void ClearStationList(const SetupRecord& setup, StationList& list) const;

    // The stations a stored standard settings file (ZEBU_STD.DAU) marks, flag i for station i + 1.
    // From its station bitmap: 32 bytes at 5408, or at 7942 when the device information flags the
    // primary's own device type (the byte at 8191); the most significant bit of each byte first.
    // From its device list: the 255 bytes at 5568, non-zero for a station. False without the file.
    using StationFlags = std::array<bool, 255>;
    bool ReadStationsFromBitmap(const QString& stdFile, StationFlags* flags) const;
    static bool ReadStationsFromList(const QString& stdFile, StationFlags* flags);

private:
    QString m_home;
    DeviceInfoTable m_deviceInfo;
};

} // namespace qdv
