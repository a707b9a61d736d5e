// Arbitrary text as ZEBU_STD.DAU for the terminal labels, and the label entries decoded from any bytes.
#include "convert/TerminalLabels.h"
#include "store/DataImage.h"
#include "store/StandardSettingsLayout.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

namespace {

qsizetype CheckLabels(const TerminalLabels& labels) {
    qsizetype sink = 0;
    for (int t = 0; t < stdlayout::kTypes; ++t)
        sink += labels.TypeName(t).size();
    for (const Side side : {Side::Source, Side::Destination}) {
        for (int n = 1; n <= kTerminalCount; ++n) {
            const TerminalLabel& label = labels.Label(side, n);
            if (label.typeIndex < 0 || label.typeIndex >= stdlayout::kTypes)
                std::abort();
            sink += label.typeName.size() + label.numberText.size();
        }
    }
    return sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TerminalLabels labels;
    labels.Build(text);
    qsizetype sink = CheckLabels(labels);

    // The input's bytes repeated over a whole image, so that short inputs reach the second half and
    // its numbering flag too.
    if (size > 0) {
        QByteArray image(stdlayout::kImageSize, '\0');
        for (qsizetype i = 0; i < image.size(); ++i)
            image[i] = static_cast<char>(data[static_cast<std::size_t>(i) % size]);
        labels.Build(image::Encode(image));
        sink += CheckLabels(labels);
    }
    return sink < 0 ? 1 : 0;
}
