#pragma once

#include <QList>
#include <QString>
#include <cstdint>

namespace qdv {

// The editors' font of one setup, with the fields of a Windows logical font as the settings file
// stores them.
struct SetupFont {
    int color = 0;
    int height = 0;
    QString name;
    std::int8_t pitch = 0; // 0 default, 1 variable, 2 fixed
    int size = 8;
    std::uint8_t charset = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const SetupFont&) const = default;
};

// One saved setup: where its backup lives, how the primary controller is reached and which functions
// the main window offers.
struct SetupRecord {
    static constexpr int kTextField = 259; // name, backup data path, primary path
    static constexpr int kIpField = 15;

    QString name;
    QString backupDataPath;
    QString primaryPath; // derived: backupDataPath + "/Primary/", never stored
    bool selectLan = false;
    QString ipAddress;
    int comPort = 0;
    int remote3Port = 0;
    int primaryBackupFiles = 0; // bit 0..7: data types 1,3,4,5,6,9,11,15
    bool receiveAll = false;
    int receiveButtons = 0;
    bool sendAll = false;
    int sendButtons = 0;
    bool editAll = false;
    int editButtons = 0;

    // Sets the backup data path and the primary path derived from it.
    void SetBackupDataPath(const QString& path);
    // "LAN,<port>" or "COM<n>,38400", as the main window's status bar shows the link.
    QString ConnectionText() const;

    bool operator==(const SetupRecord&) const = default;
};

struct SetupTable {
    static constexpr int kMaxSetups = 255;

    int count = 0;
    int selected = -1; // 0-based, -1 for none
    SetupRecord records[kMaxSetups];
    SetupFont fonts[kMaxSetups];

    // Numbers (1-based) of the setups named exactly `name`. Files made elsewhere may give several
    // setups one name.
    QList<int> NumbersNamed(const QString& name) const {
        QList<int> numbers;
        for (int i = 0; i < count; ++i) {
            if (records[i].name == name)
                numbers.append(i + 1);
        }
        return numbers;
    }
    const SetupRecord* Selected() const {
        return selected >= 0 && selected < count ? &records[selected] : nullptr;
    }
    void Clear() { *this = SetupTable(); }
};

// Port numbers of the network links (QDV70COMM.INI), the serial device path of each port number and the
// FTP login of network controllers.
struct PortSettings {
    static constexpr int kSerialPorts = 15;

    int remotePort = 0;
    int getInfoPort = 0;
    int busPort = 0;
    // [UDP] BROADCAST: where discovery requests go. Only when the key is absent do they also go to the
    // directed broadcast address of every interface.
    QString udpBroadcast = QStringLiteral("255.255.255.255");
    bool udpBroadcastGiven = false;
    int ftpPort = 0;
    QString ftpUser;
    QString ftpPassword;
    QString serialDevice[kSerialPorts]; // COM1..COM15

    // Device path of serial port n (1-based): the configured one, else /dev/ttyS<n-1>.
    QString SerialDevicePath(int n) const;
};

} // namespace qdv
