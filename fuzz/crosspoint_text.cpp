// Arbitrary text through the crosspoint import and as the text of ZEBU_XPT.DAU, with the round trips
// the editors rely on.
#include "convert/CrosspointTable.h"
#include "convert/CrosspointText.h"
#include "store/DataImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    CrosspointTable imported;
    CrosspointText::Import(text, &imported);
    // Exporting and importing again into an empty table gives the same table.
    CrosspointTable again;
    CrosspointText::Import(CrosspointText::Export(imported), &again);
    if (again != imported)
        std::abort();

    CrosspointTable loaded;
    loaded.LoadDau(text);
    // The file the program writes loads back to the table it came from.
    CrosspointTable reloaded;
    reloaded.LoadDau(loaded.SaveDau());
    if (reloaded != loaded)
        std::abort();

    // The input's bytes repeated over a whole image: every cell holds the two bytes at its address.
    if (size > 0) {
        QByteArray image(CrosspointTable::kImageSize, '\0');
        for (qsizetype i = 0; i < image.size(); ++i)
            image[i] = static_cast<char>(data[static_cast<std::size_t>(i) % size]);
        CrosspointTable whole;
        whole.LoadDau(image::Encode(image));
        for (int level = 1; level <= CrosspointTable::kLevels; ++level) {
            for (int dest = 1; dest <= kTerminalCount; ++dest) {
                const int a = CrosspointTable::ByteAddress(level, dest);
                const auto cell = static_cast<std::uint16_t>((static_cast<unsigned char>(image[a]) << 8) |
                                                             static_cast<unsigned char>(image[a + 1]));
                if (whole.Source(level, dest) != cell)
                    std::abort();
            }
        }
    }
    return 0;
}
