#pragma once

#include "history/MeaningChange.h"

#include <QByteArray>

namespace qdv::history {

// Changes of the standard settings file ZEBU_STD.DAU: type names, terminal labels, level names, the
// control area, the station presence bits and list, the modes and the controller's identity, then every
// other byte of the image as ranges.
class StandardSettingsDiff {
public:
    static void Describe(const QString& file, const QByteArray& oldText, const QByteArray& newText,
                         MeaningChanges* out);
};

} // namespace qdv::history
