// Arbitrary text through the crosspoint import and as the text of ZEBU_XPT.DAU, with the round trips
// the editors rely on.
#include "convert/CrosspointTable.h"
#include "convert/CrosspointText.h"

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
    return 0;
}
