#include "convert/TerminalLabels.h"

#include "convert/PresentBytes.h"
#include "store/DataImage.h"

#include <stdexcept>

namespace qdv {

namespace {

constexpr int kHalf = 8192;
constexpr int kTerminalsPerHalf = 512;
constexpr int kNamesPerHalf = 16;
constexpr int kNameStride = 8;
constexpr int kNameLength = 4;
constexpr int kSourceBase = 256;
constexpr int kSourceEntry = 4;
constexpr int kDestinationBase = 2304;
constexpr int kDestinationEntry = 5;
constexpr int kFlagByte = kHalf + 253;

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
    if (j < kTerminalsPerHalf && !numberingFlag) {
        label.typeIndex = b[0] >> 4;
        label.number = (b[0] & 15) * 100 + (b[1] >> 4) * 10 + (b[1] & 15);
    } else {
        label.typeIndex = (b[0] & 0x08) ? (b[0] >> 4) + 16 : b[0] >> 4;
        label.number = ((b[0] & 3) << 8) | b[1];
    }
    label.secondNumber = ((b[2] & 15) << 8) | b[3];
    return label;
}

void TerminalLabels::Build(const QByteArray& fileText) {
    Clear();
    const QByteArray img = image::Decode(fileText, kImageSize);
    const int present = PresentBytes(fileText, kImageSize);
    const auto* bytes = reinterpret_cast<const unsigned char*>(img.constData());

    for (int t = 0; t < kTypes; ++t) {
        const int at = (t / kNamesPerHalf) * kHalf + (t % kNamesPerHalf) * kNameStride;
        if (at + kNameLength <= present)
            m_typeNames[static_cast<std::size_t>(t)] = CutAtNul(img.constData() + at, kNameLength);
    }
    m_numberingFlag = kFlagByte < present && bytes[kFlagByte] != 0;

    for (int side = 0; side < 2; ++side) {
        const int base = side == 0 ? kSourceBase : kDestinationBase;
        const int stride = side == 0 ? kSourceEntry : kDestinationEntry;
        for (int j = 0; j < kTerminalCount; ++j) {
            const int at = (j / kTerminalsPerHalf) * kHalf + base + stride * (j % kTerminalsPerHalf);
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
