#include "store/TmTable.h"

namespace qdv {

TmTable::TmTable(const TmFile& files, const MenuFont& menuFont) : m_files(files) {
    m_files.LoadPortSettings(m_ports);
    m_files.LoadSetupList(*m_setups, menuFont);
}

TmTable::~TmTable() {
    Save();
}

void TmTable::Select(int index) {
    m_setups->selected = index >= 0 && index < m_setups->count ? index : -1;
}

bool TmTable::Save(QString* error) const {
    return m_files.SaveSetupList(*m_setups, error);
}

} // namespace qdv
