// Feeds arbitrary bytes to the record parser the link engine and the simulated controller share, and
// reads every field of each record it accepts.
#include "link/Record.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    record::Parser parser;
    unsigned sink = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto status = parser.Feed(static_cast<char>(data[i]));
        if (status != record::Parser::Status::Complete)
            continue;
        const QByteArrayView rec = parser.Record();
        if (rec.size() < record::kMinLength || rec.size() > record::kMaxLength)
            std::abort();
        const record::View view(rec);
        if (view.Dlen() < 0 || view.Dlen() > record::kMaxData || view.Pn() > 15)
            std::abort();
        if (rec.size() != record::kMinLength + 2 * view.Dlen())
            std::abort();
        sink += static_cast<unsigned>(view.Cmd()) + view.Id() + static_cast<unsigned>(view.DataType()) +
                view.Oset() + static_cast<unsigned>(view.HData().size());
        for (int f = 0; f <= static_cast<int>(record::Fixed::Apply); ++f)
            sink += view.Is(static_cast<record::Fixed>(f)) ? 1 : 0;
        // A record the parser accepted carries a checksum that Build() reproduces from its fields.
        const QByteArray rebuilt =
            record::Build(view.Pn(), view.Cmd(), view.Id(), view.DataType(), view.Oset(), view.HData());
        if (rebuilt.size() != rec.size())
            std::abort();
    }
    return sink == 0xFFFFFFFFu ? 1 : 0;
}
