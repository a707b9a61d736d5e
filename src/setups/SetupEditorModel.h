#pragma once

#include <QString>

namespace qdv {

class SetupList;

// What the setup editor does without drawing anything: it opens one setup in new or modify mode, holds
// the editor's fields, checks them in the editor's order and stores the setup. The command-line tool
// edits setups through it too, so both refuse the same input with the same catalogue codes.
class SetupEditorModel {
public:
    static constexpr int kComPorts = 15;
    static constexpr int kMaxPort = 65535;

    explicit SetupEditorModel(SetupList& list);

    // New mode: the slot after the last setup, cleared and given the options of a new setup, and
    // empty fields with LAN chosen. False when the table is full.
    bool OpenNew();
    // Modify mode for setup n (1..count): the fields show the record. False for any other n.
    bool OpenModify(int n);

    bool NewMode() const { return m_new; }
    // The setup number the editor works on; in new mode count + 1.
    int Number() const { return m_number; }

    // The fields. ipText is the address field as shown, blanks included; comPort is 1..15.
    QString name;
    QString backupDataPath;
    bool selectLan = true;
    QString ipText;
    int comPort = 1;

    // 0 when the fields may be stored, else the catalogue code of the first refusal: no name (or blanks
    // only), name too long, name of another setup, no path, path too long, bad address (LAN only), COM
    // port outside 1..15.
    int Validate() const;
    // Validates and, when that passes, stores the setup and writes the setups file: new mode appends
    // it with the options and font of its slot, modify mode changes the record's name, path and link
    // in place. Returns the code of Validate; a file that cannot be written shows in the list's
    // SaveError().
    int Accept();

    // Checks of single values, for the Remote3 port and the command-line tool.
    static bool ValidPort(int port) { return port >= 1 && port <= kMaxPort; }
    static bool ValidComPort(int n) { return n >= 1 && n <= kComPorts; }

private:
    SetupList& m_list;
    bool m_new = true;
    int m_number = 0;
};

} // namespace qdv
