#include "convert/TerminalLabels.h"

#include "convert/PresentBytes.h"
#include "store/DataImage.h"

#include <stdexcept>

namespace qdv {

namespace {

using namespace stdlayout;

QByteArray CutAtNul(const char* p, int n) {
    int len = 0;
    while (len < n && p[len] != '\0')
        ++len;
    return QByteArray(p, len);
}

} // namespace

TerminalLabels::TerminalLabels() : m_labels(2 * kTerminalCount) {}

void TerminalLabels::Clear() {
    for (QByteArray& n : m_typeNames)
        n.clear();
    m_numberingFlag = false;
    for (TerminalLabel& l : m_labels)
        l = TerminalLabel();
}

TerminalLabel TerminalLabels::DecodeEntry(int j, bool numberingFlag, const unsigned char* b) {
    TerminalLabel label;
    const EntryLabel coded = LabelOf(DecimalLabel(j, numberingFlag), b[0], b[1]);
    label.typeIndex = coded.typeIndex;
    label.number = coded.number;
    label.secondNumber = ((b[2] & 15) << 8) | b[3];
    return label;
}

void TerminalLabels::Build(const QByteArray& fileText) {
    Clear();
    const QByteArray img = image::Decode(fileText, kImageSize);
    const int present = PresentBytes(fileText, kImageSize);
    const auto* bytes = reinterpret_cast<const unsigned char*>(img.constData());

    for (int t = 0; t < kTypes; ++t) {
        const int at = TypeNameAt(t);
        if (at + kTypeNameLength <= present)
            m_typeNames[static_cast<std::size_t>(t)] = CutAtNul(img.constData() + at, kTypeNameLength);
    }
    m_numberingFlag = kTypeMode < present && bytes[kTypeMode] != 0;

    for (int side = 0; side < 2; ++side) {
        const int stride = side == 0 ? kSourceEntrySize : kDestinationEntrySize;
        for (int j = 0; j < kTerminalCount; ++j) {
            const int at = side == 0 ? SourceEntryAt(j) : DestinationEntryAt(j);
            if (at + stride > present)
                continue;
            TerminalLabel label = DecodeEntry(j, m_numberingFlag, bytes + at);
            if (label.typeIndex != 0 || label.number != 0) {
                label.typeName = m_typeNames[static_cast<std::size_t>(label.typeIndex)];
                // The label shows three digits; a larger number keeps its first three.
                label.numberText = QByteArray::number(label.number).rightJustified(3, '0').left(3);
            }
            m_labels[static_cast<std::size_t>(side * kTerminalCount + j)] = label;
        }
    }
}

const QByteArray& TerminalLabels::TypeName(int typeIndex) const {
    if (typeIndex < 0 || typeIndex >= kTypes)
        throw std::out_of_range("type index outside 0..31");
    return m_typeNames[static_cast<std::size_t>(typeIndex)];
}

const TerminalLabel& TerminalLabels::Label(Side side, int number) const {
    if (number < 1 || number > kTerminalCount)
        throw std::out_of_range("terminal number outside 1..1024");
    return m_labels[static_cast<std::size_t>((side == Side::Destination ? kTerminalCount : 0) + number - 1)];
}

} // namespace qdv
