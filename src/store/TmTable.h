#pragma once

#include "store/SetupRecord.h"
#include "store/TmFile.h"

#include <QStringList>

#include <memory>

namespace qdv {

// The shared-state module of the desktop program: the setup table with the setups' fonts and the port
// settings, loaded from the home folder's settings files when it is made and saved back when it goes
// if the run changed it since it was loaded or last saved, so that the selected setup and any change
// made during the run are kept, while changes another program (qdv70cli setups ...) made to the file
// in the meantime are not overwritten by an unchanged table.
class TmTable {
public:
    TmTable(const TmFile& files, const MenuFont& menuFont);
    ~TmTable();

    TmTable(const TmTable&) = delete;
    TmTable& operator=(const TmTable&) = delete;

    const TmFile& Files() const { return m_files; }
    SetupTable& Setups() { return *m_setups; }
    const SetupTable& Setups() const { return *m_setups; }
    PortSettings& Ports() { return m_ports; }

    // The selected setup, null when there is none.
    const SetupRecord* Current() const { return m_setups->Selected(); }
    // Makes setup `index` (0-based, -1 for none) the selected one; out-of-range indices select none.
    void Select(int index);

    // Writes the setup list into QDV70LIST.INI; false with `error` set when the file cannot be written.
    bool Save(QString* error = nullptr) const;

private:
    // The table in the words the file holds it, to see whether it changed.
    QStringList FileState() const;

    const TmFile& m_files;
    std::unique_ptr<SetupTable> m_setups = std::make_unique<SetupTable>();
    PortSettings m_ports;
    mutable QStringList m_savedState;
};

} // namespace qdv
