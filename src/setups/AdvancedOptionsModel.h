#pragma once

#include <array>

namespace qdv {

class SetupList;

// The options of one setup as the advanced options dialog shows them: the primary backup files, and
// for each tab whether it is offered and which of its function buttons. A tab that is not offered keeps
// its buttons; they are only shown greyed.
class AdvancedOptionsModel {
public:
    enum Group : int { kReceive = 0, kSend = 1, kEdit = 2, kGroups = 3 };
    static constexpr int kPrimaryFiles = 8;
    static constexpr std::array<int, kGroups> kButtons{4, 6, 2};

    explicit AdvancedOptionsModel(SetupList& list);

    // Loads the boxes of setup n. A setup still being made (n = count + 1) shows every box checked and
    // every tab offered, and its record is marked as offering every tab.
    void Open(int n);
    int Number() const { return m_number; }

    bool PrimaryFile(int bit) const { return (m_primary >> bit) & 1; }
    void SetPrimaryFile(int bit, bool on);
    bool GroupOn(int group) const { return m_groupOn[group]; }
    void SetGroupOn(int group, bool on) { m_groupOn[group] = on; }
    // A button box is enabled exactly while its tab is offered; its check stays either way.
    bool ButtonEnabled(int group) const { return m_groupOn[group]; }
    bool Button(int group, int bit) const { return (m_buttons[group] >> bit) & 1; }
    void SetButton(int group, int bit, bool on);

    // Stores the boxes into record n, greyed ones included. The file is written by the next write of
    // the setup list.
    void Store();

private:
    SetupList& m_list;
    int m_number = 0;
    int m_primary = 0;
    std::array<bool, kGroups> m_groupOn{};
    std::array<int, kGroups> m_buttons{};
};

} // namespace qdv
