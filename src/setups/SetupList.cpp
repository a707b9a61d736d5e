#include "setups/SetupList.h"

#include "store/TmFile.h"

#include <QRegularExpression>

#include <utility>

namespace qdv {

SetupList::SetupList(SetupTable& table, const TmFile& files) : m_table(table), m_files(files) {}

bool SetupList::Save() {
    m_saveError.clear();
    if (m_files.SaveSetupList(m_table, &m_saveError))
        return true;
    if (m_saveError.isEmpty())
        m_saveError = QStringLiteral("Cannot write %1").arg(m_files.ListFilePath());
    return false;
}

bool SetupList::Changed() {
    Save();
    return true;
}

bool SetupList::AddSetup(const SetupRecord& record, const SetupFont& font) {
    if (Full())
        return false;
    m_table.records[m_table.count] = record;
    m_table.fonts[m_table.count] = font;
    ++m_table.count;
    return Changed();
}

bool SetupList::CopySetup(int k) {
    if (Full() || k < 1 || k > m_table.count)
        return false;
    SetupRecord copy = Record(k);
    copy.name = UniqueCopyName(copy.name);
    return AddSetup(copy, Font(k));
}

bool SetupList::RemoveSetup(int k) {
    const int count = m_table.count;
    if (k < 1 || k > count)
        return false;
    for (int i = k - 1; i < count - 1; ++i) {
        m_table.records[i] = std::move(m_table.records[i + 1]);
        m_table.fonts[i] = std::move(m_table.fonts[i + 1]);
    }
    m_table.records[count - 1] = SetupRecord();
    m_table.fonts[count - 1] = SetupFont();
    m_table.count = count - 1;
    // The selection stays on the setup it named; when that one went, on the setup now in its place.
    int& selected = m_table.selected;
    if (selected > k - 1 || selected >= m_table.count)
        --selected;
    if (m_table.count == 0)
        selected = -1;
    return Changed();
}

void SetupList::Swap(int a, int b) {
    std::swap(m_table.records[a - 1], m_table.records[b - 1]);
    std::swap(m_table.fonts[a - 1], m_table.fonts[b - 1]);
    int& selected = m_table.selected;
    if (selected == a - 1)
        selected = b - 1;
    else if (selected == b - 1)
        selected = a - 1;
}

bool SetupList::MoveSetupUp(int k) {
    if (k < 2 || k > m_table.count)
        return false;
    Swap(k - 1, k);
    return Changed();
}

bool SetupList::MoveSetupDown(int k) {
    if (k < 1 || k >= m_table.count)
        return false;
    Swap(k, k + 1);
    return Changed();
}

void SetupList::Select(int index) {
    m_table.selected = index >= 0 && index < m_table.count ? index : -1;
}

int SetupList::BeginNew() {
    if (Full())
        return 0;
    const int n = m_table.count + 1;
    Record(n) = SetupRecord();
    Font(n) = SetupFont();
    SetNewSetupOptions(Record(n));
    return n;
}

void SetupList::SetNewSetupOptions(SetupRecord& r) {
    r.remote3Port = 1001;
    r.primaryBackupFiles = 0xFF;
    r.receiveAll = true;
    r.receiveButtons = 0x0F;
    r.sendAll = true;
    r.sendButtons = 0x3F;
    r.editAll = true;
    r.editButtons = 0x03;
}

void SetupList::CopyOptions(const SetupRecord& from, SetupRecord& to) {
    to.remote3Port = from.remote3Port;
    to.primaryBackupFiles = from.primaryBackupFiles;
    to.receiveAll = from.receiveAll;
    to.receiveButtons = from.receiveButtons;
    to.sendAll = from.sendAll;
    to.sendButtons = from.sendButtons;
    to.editAll = from.editAll;
    to.editButtons = from.editButtons;
}

int SetupList::Find(const QString& word) const {
    const QList<int> named = m_table.NumbersNamed(word);
    if (!named.isEmpty())
        return named.size() == 1 ? named.front() : -1;
    bool isNumber = false;
    const int n = word.toInt(&isNumber);
    return isNumber && n >= 1 && n <= m_table.count ? n : 0;
}

bool SetupList::NameTaken(const QString& name, int except) const {
    for (int k = 1; k <= m_table.count; ++k) {
        if (k != except && Record(k).name == name)
            return true;
    }
    return false;
}

QString SetupList::UniqueCopyName(const QString& name) const {
    // A copy of "A (2)" is "A (3)", not "A (2) (2)".
    static const QRegularExpression kNumbered(QStringLiteral("^(.*) \\(\\d+\\)$"));
    const QRegularExpressionMatch m = kNumbered.match(name);
    const QString base = m.hasMatch() ? m.captured(1) : name;
    // 255 setups leave one of the numbers 2..257 free.
    for (int i = 2;; ++i) {
        const QString suffix = QStringLiteral(" (%1)").arg(i);
        QString stem = base.left(SetupRecord::kTextField - suffix.size());
        if (!stem.isEmpty() && stem.back().isHighSurrogate())
            stem.chop(1);
        const QString candidate = stem + suffix;
        if (!NameTaken(candidate))
            return candidate;
    }
}

SetupListButtons SetupList::ButtonStates(int row) const {
    const int count = m_table.count;
    if (row < 0 || row >= count)
        return {};
    return {true, true, row > 0, row < count - 1, true};
}

int SetupList::SelectionOnClose(int row) const {
    if (m_table.count == 0)
        return -1;
    return row < m_table.count ? row : 0;
}

} // namespace qdv
