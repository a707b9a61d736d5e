#include "store/TmTable.h"

#include <algorithm>

namespace qdv {

TmTable::TmTable(const TmFile& files, const MenuFont& menuFont) : m_files(files) {
    m_files.LoadPortSettings(m_ports);
    m_files.LoadSetupList(*m_setups, menuFont);
    m_savedState = FileState();
}

TmTable::~TmTable() {
    if (FileState() != m_savedState)
        Save();
}

void TmTable::Select(int index) {
    m_setups->selected = index >= 0 && index < m_setups->count ? index : -1;
}

bool TmTable::Save(QString* error) const {
    if (!m_files.SaveSetupList(*m_setups, error))
        return false;
    m_savedState = FileState();
    return true;
}

QStringList TmTable::FileState() const {
    QStringList state{QString::number(m_setups->count), QString::number(m_setups->selected)};
    for (int i = 0; i < std::clamp(m_setups->count, 0, SetupTable::kMaxSetups); ++i)
        for (const auto& [key, value] : TmFile::SetupEntries(m_setups->records[i], m_setups->fonts[i]))
            state << key + QLatin1Char('=') + value;
    return state;
}

} // namespace qdv
