#pragma once

#include "store/SetupRecord.h"

#include <QString>

#include <utility>

namespace qdv {

class TmFile;

// Which buttons of the setup list can act for the selected row.
struct SetupListButtons {
    bool remove = false;
    bool modify = false;
    bool up = false;
    bool down = false;
    bool copy = false;

    bool operator==(const SetupListButtons&) const = default;
};

// The operations that change the order and membership of the setup table, shared by the setup dialogs
// and the command-line tool. Setups are addressed by number k = 1..count. Every operation that changes
// the table writes QDV70LIST.INI at once.
//
// A setup's font entry travels with it: removing or moving a setup moves its font as well, so that a
// setup never shows the font of whichever setup held its position before. The selected setup also
// follows the setup it names.
class SetupList {
public:
    SetupList(SetupTable& table, const TmFile& files);

    SetupTable& Table() { return m_table; }
    const SetupTable& Table() const { return m_table; }
    int Count() const { return m_table.count; }
    bool Full() const { return m_table.count >= SetupTable::kMaxSetups; }
    // Record and font of setup k, which may be count + 1: the slot where a new setup is made.
    SetupRecord& Record(int k) { return m_table.records[k - 1]; }
    const SetupRecord& Record(int k) const { return m_table.records[k - 1]; }
    SetupFont& Font(int k) { return m_table.fonts[k - 1]; }
    const SetupFont& Font(int k) const { return m_table.fonts[k - 1]; }

    // Appends a setup with its font. False when the table is full.
    bool AddSetup(const SetupRecord& record, const SetupFont& font);
    // Appends a complete copy of setup k, font included, named by UniqueCopyName. False when the table
    // is full or k is not a setup.
    bool CopySetup(int k);
    // False unless 1 <= k <= count. Later setups move down one place and the freed slot is cleared.
    bool RemoveSetup(int k);
    // False unless 2 <= k <= count; swaps setups k - 1 and k.
    bool MoveSetupUp(int k);
    // False unless 1 <= k < count; swaps setups k and k + 1.
    bool MoveSetupDown(int k);
    // Makes `index` (0-based) the selected setup; anything outside the table selects none.
    void Select(int index);

    // Writes QDV70LIST.INI; false when it cannot be written, with SaveError() saying why. The table
    // operations call it; its result is also kept for them in SaveError().
    bool Save();
    // Why the last write failed; empty when it succeeded.
    const QString& SaveError() const { return m_saveError; }
    // SaveError(), cleared, so that a failure is reported once.
    QString TakeSaveError() { return std::exchange(m_saveError, QString()); }

    // Clears the slot after the last setup and gives it the options of a new setup; returns its number
    // (count + 1), or 0 when the table is full.
    int BeginNew();
    // The options a new setup starts with: remote port 1001, every primary file, every tab and button.
    static void SetNewSetupOptions(SetupRecord& record);
    // Copies the options of the advanced options dialog (port, primary files, tabs and buttons).
    static void CopyOptions(const SetupRecord& from, SetupRecord& to);

    // The setup a word names: the number of the one setup with that exact name, else the number the
    // word spells (1..count); 0 when there is none, -1 when several setups carry that name.
    int Find(const QString& nameOrNumber) const;
    // Whether a setup other than `except` (0 for none) is named `name`.
    bool NameTaken(const QString& name, int except = 0) const;
    // A name for a copy of a setup named `name` that no setup carries: "<name> (2)", "(3)", ... within
    // the length of the name field.
    QString UniqueCopyName(const QString& name) const;

    // The setup list's buttons for the selected row (-1 for none).
    SetupListButtons ButtonStates(int row) const;
    // The selected setup when the list closes with `row` selected (-1 for none).
    int SelectionOnClose(int row) const;

private:
    bool Changed();
    void Swap(int a, int b);

    SetupTable& m_table;
    const TmFile& m_files;
    QString m_saveError;
};

} // namespace qdv
