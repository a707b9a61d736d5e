#include "setups/SetupEditorModel.h"

#include "base/CatalogueCodes.h"
#include "setups/IpAddressText.h"
#include "setups/SetupList.h"

namespace qdv {

SetupEditorModel::SetupEditorModel(SetupList& list) : m_list(list) {}

bool SetupEditorModel::OpenNew() {
    const int n = m_list.BeginNew();
    if (n == 0)
        return false;
    m_new = true;
    m_number = n;
    name.clear();
    backupDataPath.clear();
    selectLan = true;
    ipText = IpAddressText::Shown(QString());
    comPort = 1;
    return true;
}

bool SetupEditorModel::OpenModify(int n) {
    if (n < 1 || n > m_list.Count())
        return false;
    m_new = false;
    m_number = n;
    const SetupRecord& r = m_list.Record(n);
    name = r.name;
    backupDataPath = r.backupDataPath;
    selectLan = r.selectLan;
    ipText = IpAddressText::Shown(r.ipAddress);
    // A port the list cannot show (0 in a file that never chose one) shows as COM1.
    comPort = ValidComPort(r.comPort) ? r.comPort : 1;
    return true;
}

int SetupEditorModel::Validate() const {
    // A name of blanks alone shows as no name in the setup box and cannot be told from another.
    if (name.trimmed().isEmpty())
        return msg::kNoSetupName;
    if (name.size() > SetupRecord::kTextField)
        return msg::kSetupNameTooLong;
    // Names already shared in a file made elsewhere stay editable; only a new or changed name must be
    // free.
    const bool nameChanged = m_new || name != m_list.Record(m_number).name;
    if (nameChanged && m_list.NameTaken(name, m_new ? 0 : m_number))
        return msg::kSetupNameTaken;
    if (backupDataPath.isEmpty())
        return msg::kNoBackupPath;
    if (backupDataPath.size() > SetupRecord::kTextField)
        return msg::kBackupPathTooLong;
    if (selectLan && !IpAddressText::IsValid(ipText))
        return msg::kBadIpAddress;
    if (!ValidComPort(comPort))
        return msg::kBadComPort;
    return 0;
}

int SetupEditorModel::Accept() {
    const int code = Validate();
    if (code != 0)
        return code;
    const QString ip = IpAddressText::Stored(ipText);
    SetupRecord fresh;
    SetupRecord& r = m_new ? fresh : m_list.Record(m_number);
    r.name = name;
    r.SetBackupDataPath(backupDataPath);
    if (!ip.isEmpty())
        r.ipAddress = ip.left(SetupRecord::kIpField);
    r.selectLan = selectLan;
    r.comPort = comPort;
    if (m_new) {
        SetupList::CopyOptions(m_list.Record(m_number), r);
        // The font chosen for the new setup is in its own slot, the one the setup is appended to.
        const SetupFont font = m_list.Font(m_number);
        m_list.AddSetup(r, font);
        // Further OKs of the same showing would append again; the editor now works on the setup.
        m_new = false;
    } else {
        m_list.Save();
    }
    return 0;
}

} // namespace qdv
