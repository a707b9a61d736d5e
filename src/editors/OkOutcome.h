#pragma once

#include <QString>

namespace qdv {

// What an editor's OK ended in: close the editor, or stay open, with a text to show when something
// could not be written, and one about the backup history (a snapshot that failed or is off).
struct OkOutcome {
    bool close = false;
    QString error;
    QString note;
};

} // namespace qdv
