#include "convert/AliasTables.h"

#include "store/DataImage.h"

#include <stdexcept>

namespace qdv {

namespace {

std::size_t IndexOf(int k) {
    if (k < 1 || k > AliasTables::kTables)
        throw std::out_of_range("alias table outside 1..7");
    return static_cast<std::size_t>(k - 1);
}

} // namespace

TerminalTextTable& AliasTables::Table(int k) {
    return m_tables[IndexOf(k)];
}

const TerminalTextTable& AliasTables::Table(int k) const {
    return m_tables[IndexOf(k)];
}

void AliasTables::Clear() {
    for (TerminalTextTable& t : m_tables)
        t.Clear();
}

bool AliasTables::LoadDau(int k, const QByteArray& fileText) {
    if (fileText.size() != kFileSize)
        return false;
    Table(k).ReadImage(image::Decode(fileText, TerminalTextTable::kImageSize));
    return true;
}

QByteArray AliasTables::SaveDau(int k) const {
    return image::Encode(Table(k).Image());
}

} // namespace qdv
