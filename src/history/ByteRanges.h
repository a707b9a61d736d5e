#pragma once

#include "history/MeaningChange.h"

#include <QByteArray>
#include <optional>
#include <vector>

namespace qdv::history {

// The bytes that differ between two images (or two raw files) as ranges: how many bytes, how many
// ranges, and the first few of them, for data the program does not decode.
class ByteRanges {
public:
    static constexpr int kRangesShown = 4;

    // The change of `file`, or none when the bytes are equal. `subject` names what is compared ("image
    // bytes", "other bytes"). Bytes whose `covered` flag is set were already described and are skipped;
    // bytes beyond the shorter side count as changed.
    static std::optional<MeaningChange> Describe(const QString& file, const QString& subject,
                                                 const QByteArray& oldBytes, const QByteArray& newBytes,
                                                 const std::vector<bool>* covered = nullptr);
};

} // namespace qdv::history
