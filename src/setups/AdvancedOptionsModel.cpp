#include "setups/AdvancedOptionsModel.h"

#include "setups/SetupList.h"

namespace qdv {
namespace {

int WithBit(int bits, int bit, bool on) {
    return on ? bits | (1 << bit) : bits & ~(1 << bit);
}

} // namespace

AdvancedOptionsModel::AdvancedOptionsModel(SetupList& list) : m_list(list) {}

void AdvancedOptionsModel::Open(int n) {
    m_number = n;
    SetupRecord& r = m_list.Record(n);
    if (n > m_list.Count()) {
        m_primary = (1 << kPrimaryFiles) - 1;
        for (int g = 0; g < kGroups; ++g)
            m_buttons[g] = (1 << kButtons[g]) - 1;
        r.receiveAll = r.sendAll = r.editAll = true;
    } else {
        m_primary = r.primaryBackupFiles;
        m_buttons = {r.receiveButtons, r.sendButtons, r.editButtons};
    }
    m_groupOn = {r.receiveAll, r.sendAll, r.editAll};
}

void AdvancedOptionsModel::SetPrimaryFile(int bit, bool on) {
    m_primary = WithBit(m_primary, bit, on);
}

void AdvancedOptionsModel::SetButton(int group, int bit, bool on) {
    m_buttons[group] = WithBit(m_buttons[group], bit, on);
}

void AdvancedOptionsModel::Store() {
    SetupRecord& r = m_list.Record(m_number);
    r.primaryBackupFiles = m_primary;
    r.receiveAll = m_groupOn[kReceive];
    r.sendAll = m_groupOn[kSend];
    r.editAll = m_groupOn[kEdit];
    r.receiveButtons = m_buttons[kReceive];
    r.sendButtons = m_buttons[kSend];
    r.editButtons = m_buttons[kEdit];
}

} // namespace qdv
