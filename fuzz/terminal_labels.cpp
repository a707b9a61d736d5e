// Arbitrary text as ZEBU_STD.DAU for the terminal labels, and the label entries decoded from any bytes.
#include "convert/TerminalLabels.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TerminalLabels labels;
    labels.Build(text);
    qsizetype sink = 0;
    for (int t = 0; t < TerminalLabels::kTypes; ++t)
        sink += labels.TypeName(t).size();
    for (const Side side : {Side::Source, Side::Destination}) {
        for (int n = 1; n <= kTerminalCount; ++n) {
            const TerminalLabel& label = labels.Label(side, n);
            if (label.typeIndex < 0 || label.typeIndex >= TerminalLabels::kTypes)
                std::abort();
            sink += label.typeName.size() + label.numberText.size();
        }
    }
    if (size >= 4) {
        for (int j : {0, 1, 511, 512, 1023})
            (void)TerminalLabels::DecodeEntry(j, (data[0] & 1) != 0, data);
    }
    return sink < 0 ? 1 : 0;
}
