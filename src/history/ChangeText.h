#pragma once

#include "history/MeaningChange.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace qdv::history {

// Helpers the file decoders share to word their changes.
class ChangeText {
public:
    // A text of the data files for the operator: bytes up to the first NUL; single bytes 0xA1..0xDF are
    // the devices' half-width katakana, other bytes outside ASCII are shown as \xNN.
    static QString Readable(const QByteArray& bytes);
    // Readable() in double quotes.
    static QString Quoted(const QByteArray& bytes);
    // "source" or "destination".
    static QString SideWord(bool destination);

    // A change of `file` with the words `text`, of `kind`, with `fields` added to the details.
    static MeaningChange Make(const QString& file, const QString& kind, const QString& text,
                              const QJsonObject& fields = {});
    // `subject: old -> new` with the values also in the details as "old" and "new".
    static MeaningChange Value(const QString& file, const QString& kind, const QString& subject,
                               const QString& oldValue, const QString& newValue, QJsonObject fields = {});
};

} // namespace qdv::history
