#include "store/TmFile.h"

#include "store/AtomicFile.h"
#include "store/DataImage.h"
#include "store/FolderLock.h"
#include "store/IniFile.h"
#include "store/PathNoCase.h"
#include "store/StandardSettingsLayout.h"
#include "store/StationList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace qdv {
namespace {

constexpr int kDefaultRemotePort = 1001;
constexpr int kDefaultGetInfoPort = 8081;
constexpr int kDefaultBusPort = 8020;
constexpr int kDefaultFtpPort = 21;
// The login network controllers accept out of the box.
constexpr const char* kDefaultFtpUser = "admin";
constexpr const char* kDefaultFtpPassword = "mrvt3904";

const QString kSetupSection = QStringLiteral("SETUP");
const QString kSelectSection = QStringLiteral("SELECT LIST");

QString SetupSection(int index) {
    return QStringLiteral("SETUP_%1").arg(index + 1);
}

// Cuts a text to the length of its field without splitting a character made of two UTF-16 units.
QString Cut(const QString& text, int field) {
    if (text.size() <= field)
        return text;
    qsizetype n = field;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

TmFile::TmFile(QString homeFolder) : m_home(std::move(homeFolder)) {
    LoadDeviceInfo();
}

QString TmFile::ListFilePath() const {
    return JoinNoCase(m_home, QString::fromLatin1(kListFileName));
}

QString TmFile::CommFilePath() const {
    return JoinNoCase(m_home, QString::fromLatin1(kCommFileName));
}

void TmFile::LoadPortSettings(PortSettings& ports) const {
    ports = PortSettings();
    IniFile ini;
    ini.Load(CommFilePath());
    const QString port = QStringLiteral("PORT");
    ports.remotePort = ini.ReadInteger(port, QStringLiteral("REMOTE"), kDefaultRemotePort);
    ports.getInfoPort = ini.ReadInteger(port, QStringLiteral("GETINFO"), kDefaultGetInfoPort);
    ports.busPort = ini.ReadInteger(port, QStringLiteral("ZEBU"), kDefaultBusPort);
    const QString udp = QStringLiteral("UDP");
    const QString broadcast = QStringLiteral("BROADCAST");
    ports.udpBroadcastGiven = ini.HasKey(udp, broadcast);
    ports.udpBroadcast = ini.ReadString(udp, broadcast, ports.udpBroadcast);
    ports.ftpPort = ini.ReadInteger(port, QStringLiteral("FTP"), kDefaultFtpPort);
    const QString ftp = QStringLiteral("FTP");
    ports.ftpUser = ini.ReadString(ftp, QStringLiteral("USER"), QString::fromLatin1(kDefaultFtpUser));
    ports.ftpPassword =
        ini.ReadString(ftp, QStringLiteral("PASSWORD"), QString::fromLatin1(kDefaultFtpPassword));
    for (int n = 1; n <= PortSettings::kSerialPorts; ++n)
        ports.serialDevice[n - 1] =
            ini.ReadString(QStringLiteral("SERIAL"), QStringLiteral("COM%1").arg(n), {});
}

int TmFile::LoadBackupWarnDays() const {
    constexpr int kDefaultWarnDays = 7;
    IniFile ini;
    ini.Load(CommFilePath());
    return std::max(0,
                    ini.ReadInteger(QStringLiteral("BACKUP"), QStringLiteral("WARN_DAYS"), kDefaultWarnDays));
}

QString TmFile::LoadBackupFailureCommand() const {
    IniFile ini;
    ini.Load(CommFilePath());
    return ini.ReadString(QStringLiteral("BACKUP"), QStringLiteral("ON_FAILURE"), {}).trimmed();
}

ServiceSettings TmFile::LoadServiceSettings() const {
    IniFile ini;
    ini.Load(CommFilePath());
    const QString soap = QStringLiteral("SOAP");
    const ServiceSettings defaults;
    ServiceSettings s;
    s.enable = ini.ReadBool(soap, QStringLiteral("ENABLE"), defaults.enable);
    s.bindAddress = ini.ReadString(soap, QStringLiteral("BIND"), {});
    s.deviceInfoPort = ini.ReadInteger(soap, QStringLiteral("DEVICEINFO"), defaults.deviceInfoPort);
    s.primaryStationPort =
        ini.ReadInteger(soap, QStringLiteral("PRIMARYSTATION"), defaults.primaryStationPort);
    return s;
}

bool TmFile::LoadSetupList(SetupTable& table, const MenuFont& defaults) const {
    table.Clear();
    const QString path = ListFilePath();
    IniFile ini;
    if (!QFileInfo(path).isFile() || !ini.Load(path))
        return false;

    // The table has room for kMaxSetups records; a larger or negative count must not address outside it.
    table.count =
        std::clamp(ini.ReadInteger(kSetupSection, QStringLiteral("REG"), 0), 0, SetupTable::kMaxSetups);
    if (table.count == 0)
        return true;

    table.selected = ini.ReadInteger(kSelectSection, QStringLiteral("SETUP"), 0);
    if (table.selected >= table.count)
        table.selected = 0;
    else if (table.selected < -1)
        table.selected = -1; // -1 is "none"; any other negative index is as meaningless

    for (int i = 0; i < table.count; ++i) {
        const QString section = SetupSection(i);
        SetupRecord& r = table.records[i];
        SetupFont& f = table.fonts[i];
        auto integer = [&](const char* key, int def) {
            return ini.ReadInteger(section, QLatin1String(key), def);
        };
        auto flag = [&](const char* key, bool def) { return ini.ReadBool(section, QLatin1String(key), def); };

        // A present but empty NAME leaves the name empty; only a missing one gives "Default".
        const QString name = ini.ReadString(section, QStringLiteral("NAME"), QStringLiteral("Default"));
        if (!name.isEmpty())
            r.name = Cut(name, SetupRecord::kTextField);
        const QString dir = ini.ReadString(section, QStringLiteral("DIR"), {});
        if (!dir.isEmpty())
            r.SetBackupDataPath(Cut(dir, SetupRecord::kTextField));
        const QString ip = ini.ReadString(section, QStringLiteral("IP"), {});
        if (!ip.isEmpty())
            r.ipAddress = Cut(ip, SetupRecord::kIpField);

        r.selectLan = flag("SELECT_LAN", true);
        r.comPort = integer("COM", 1);
        r.remote3Port = integer("REOTE3", 1001);
        r.primaryBackupFiles = integer("SELECT_PRIMARY_BACKUP_FILE", 255);
        r.receiveAll = flag("SELECT_BUTTON_RECEIVE_ALL", true);
        r.receiveButtons = integer("SELECT_BUTTON_RECEIVE", 15);
        r.sendAll = flag("SELECT_BUTTON_SEND_ALL", true);
        r.sendButtons = integer("SELECT_BUTTON_SEND", 63);
        r.editAll = flag("SELECT_BUTTON_EDIT_ALL", true);
        r.editButtons = integer("SELECT_BUTTON_EDIT", 3);

        f.color = integer("FONT_Color", 0);
        f.height = integer("FONT_Height", defaults.height);
        f.name = ini.ReadString(section, QStringLiteral("FONT_Name"), defaults.name);
        f.pitch = static_cast<std::int8_t>(integer("FONT_Pitch", 0) & 0xFF);
        f.size = integer("FONT_Size", 8);
        f.charset = static_cast<std::uint8_t>(integer("FONT_Charset", 0) & 0xFF);
        f.bold = flag("FONT_IsBold", false);
        f.italic = flag("FONT_IsItalic", false);
        f.underline = flag("FONT_IsUnderline", false);
        f.strikeOut = flag("FONT_IsStrikeOut", false);
    }
    return true;
}

QList<std::pair<QString, QString>> TmFile::SetupEntries(const SetupRecord& r, const SetupFont& f) {
    QList<std::pair<QString, QString>> entries;
    auto text = [&](const char* key, const QString& v) { entries.append({QLatin1String(key), v}); };
    auto integer = [&](const char* key, int v) { text(key, QString::number(v)); };
    auto flag = [&](const char* key, bool v) { integer(key, v ? 1 : 0); };
    text("NAME", Cut(r.name, SetupRecord::kTextField));
    text("DIR", Cut(r.backupDataPath, SetupRecord::kTextField));
    text("IP", Cut(r.ipAddress, SetupRecord::kIpField));
    flag("SELECT_LAN", r.selectLan);
    integer("COM", r.comPort);
    integer("REOTE3", r.remote3Port);
    integer("SELECT_PRIMARY_BACKUP_FILE", r.primaryBackupFiles);
    flag("SELECT_BUTTON_RECEIVE_ALL", r.receiveAll);
    integer("SELECT_BUTTON_RECEIVE", r.receiveButtons);
    flag("SELECT_BUTTON_SEND_ALL", r.sendAll);
    integer("SELECT_BUTTON_SEND", r.sendButtons);
    flag("SELECT_BUTTON_EDIT_ALL", r.editAll);
    integer("SELECT_BUTTON_EDIT", r.editButtons);
    integer("FONT_Color", f.color);
    integer("FONT_Height", f.height);
    text("FONT_Name", f.name);
    integer("FONT_Pitch", f.pitch);
    integer("FONT_Size", f.size);
    integer("FONT_Charset", f.charset);
    flag("FONT_IsBold", f.bold);
    flag("FONT_IsItalic", f.italic);
    flag("FONT_IsUnderline", f.underline);
    flag("FONT_IsStrikeOut", f.strikeOut);
    return entries;
}

bool TmFile::SaveSetupList(const SetupTable& table, QString* error) const {
    const QString path = ListFilePath();
    IniFile ini;
    // What the file holds besides the setups must survive the save, so a file that is there but cannot
    // be read is not replaced.
    if (QFileInfo::exists(path) && !ini.Load(path)) {
        if (error)
            *error = QStringLiteral("Cannot read %1").arg(path);
        return false;
    }

    const int count = std::clamp(table.count, 0, SetupTable::kMaxSetups);
    ini.WriteInteger(kSetupSection, QStringLiteral("REG"), count);
    if (count > 0) {
        ini.WriteInteger(kSelectSection, QStringLiteral("SETUP"), table.selected);
        for (int i = 0; i < count; ++i) {
            const QString section = SetupSection(i);
            for (const auto& [key, value] : SetupEntries(table.records[i], table.fonts[i]))
                ini.WriteString(section, key, value);
        }
    }
    return ini.Save(path, error);
}

bool TmFile::EnsureDirectory(const QString& path, QString* error) {
    if (!path.isEmpty() && QDir().mkpath(path) && QFileInfo(path).isDir())
        return true;
    if (error)
        *error = QStringLiteral("Cannot create directory.(%1)").arg(path);
    return false;
}

qint64 TmFile::GetFileSize(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

void TmFile::DeleteBackupTemporaries(const SetupRecord& setup) const {
    const QString root = setup.backupDataPath;
    // An empty path would name the current folder, which is no backup.
    if (root.isEmpty())
        return;
    const QString folders[] = {root, JoinNoCase(root, QStringLiteral("Primary")),
                               JoinNoCase(root, QStringLiteral("Name")),
                               JoinNoCase(root, QStringLiteral("XPoint"))};
    for (const QString& folder : folders) {
        const QDir dir(folder);
        if (!dir.exists())
            continue;
        const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : files) {
            if (name.endsWith(QLatin1String(".BAK"), Qt::CaseInsensitive))
                QFile::remove(dir.filePath(name));
        }
    }
}

bool TmFile::CreateProgramFolders(QString* error) const {
    return EnsureDirectory(JoinNoCase(m_home, QStringLiteral("HELP")), error) &&
           EnsureDirectory(JoinNoCase(m_home, QStringLiteral("XMLDoc")), error);
}

bool TmFile::LoadDeviceInfo() {
    m_deviceInfo.Clear();
    QByteArray text;
    if (!ReadWholeFile(
            JoinNoCase(JoinNoCase(m_home, QStringLiteral("Device")), QStringLiteral("DeviceInfo.txt")),
            &text))
        return false;
    m_deviceInfo.ReadText(text);
    return true;
}

QString TmFile::StationListPath(const SetupRecord& setup) {
    return JoinNoCase(setup.backupDataPath, QString::fromLatin1(kStationListFileName));
}

bool TmFile::LoadStationList(const SetupRecord& setup, StationList& list) const {
    QByteArray text;
    if (setup.backupDataPath.isEmpty() || !ReadWholeFile(StationListPath(setup), &text))
        return false;
    list.ReadText(text, m_deviceInfo);
    return true;
}

namespace {

// The station list is saved from the station dialogs, which wait only a moment for another writer; a
// list not saved for that says so in the error.
constexpr int kStationListWaitMs = 2000;

} // namespace

bool TmFile::SaveStationList(const SetupRecord& setup, const StationList& list, QString* error) const {
    if (!EnsureDirectory(setup.backupDataPath, error))
        return false;
    FolderLock folder;
    if (folder.Lock(setup.backupDataPath, QStringLiteral("saving the station list"), kStationListWaitMs) ==
        FolderLock::Result::Busy) {
        if (error)
            *error = QStringLiteral("%1 not saved: the backup folder is busy: %2")
                         .arg(QString::fromLatin1(kStationListFileName), folder.Holder());
        return false;
    }
    return WriteFileAtomically(StationListPath(setup), list.Text(), error);
}

void TmFile::ClearStationList(const SetupRecord& setup, StationList& list) const {
    list.Clear();
    if (setup.backupDataPath.isEmpty() || !QFileInfo::exists(StationListPath(setup)))
        return;
    FolderLock folder;
    if (folder.Lock(setup.backupDataPath, QStringLiteral("clearing the station list"), kStationListWaitMs) !=
        FolderLock::Result::Busy)
        QFile::remove(StationListPath(setup));
}

namespace {

// The image of a stored standard settings file, far enough for every station reader.
bool ReadStandardImage(const QString& stdFile, QByteArray* image) {
    QByteArray text;
    if (!ReadWholeFile(stdFile, &text))
        return false;
    *image = image::Decode(text, stdlayout::kHalf);
    return true;
}

} // namespace

bool TmFile::ReadStationsFromBitmap(const QString& stdFile, StationFlags* flags) const {
    QByteArray img;
    if (!ReadStandardImage(stdFile, &img))
        return false;
    const int ownType = static_cast<std::uint8_t>(img[stdlayout::kControllerType]);
    const int base =
        m_deviceInfo.Bitmap(ownType) ? stdlayout::kStationBitmapElsewhere : stdlayout::kStationBitmap;
    flags->fill(false);
    for (std::size_t i = 0; i < flags->size(); ++i) {
        const int station = static_cast<int>(i) + 1;
        const auto byte = static_cast<std::uint8_t>(img[base + stdlayout::StationBitmapByte(station)]);
        (*flags)[i] = (byte & stdlayout::StationBit(station)) != 0;
    }
    return true;
}

bool TmFile::ReadStationsFromList(const QString& stdFile, StationFlags* flags) {
    QByteArray img;
    if (!ReadStandardImage(stdFile, &img))
        return false;
    for (std::size_t i = 0; i < flags->size(); ++i)
        (*flags)[i] = img[stdlayout::kStationUnits + static_cast<int>(i)] != 0;
    return true;
}

} // namespace qdv
