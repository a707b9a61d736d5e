#include "history/ChangeText.h"

namespace qdv::history {

QString ChangeText::Readable(const QByteArray& bytes) {
    QString text;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0)
            break;
        if (u >= 0x20 && u < 0x7F && u != '"' && u != '\\')
            text += QLatin1Char(c);
        else if (u == '"' || u == '\\')
            text += QLatin1String("\\") + QLatin1Char(c);
        else if (u >= 0xA1 && u <= 0xDF)
            text += QChar(0xFF61 + (u - 0xA1));
        else
            text += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return text;
}

QString ChangeText::Quoted(const QByteArray& bytes) {
    return QLatin1Char('"') + Readable(bytes) + QLatin1Char('"');
}

QString ChangeText::SideWord(bool destination) {
    return destination ? QStringLiteral("destination") : QStringLiteral("source");
}

MeaningChange ChangeText::Make(const QString& file, const QString& kind, const QString& text,
                               const QJsonObject& fields) {
    MeaningChange change{file, text, fields};
    change.details.insert(QStringLiteral("file"), file);
    change.details.insert(QStringLiteral("kind"), kind);
    change.details.insert(QStringLiteral("text"), text);
    return change;
}

MeaningChange ChangeText::Value(const QString& file, const QString& kind, const QString& subject,
                                const QString& oldValue, const QString& newValue, QJsonObject fields) {
    fields.insert(QStringLiteral("old"), oldValue);
    fields.insert(QStringLiteral("new"), newValue);
    return Make(file, kind, subject + QStringLiteral(": ") + oldValue + QStringLiteral(" -> ") + newValue,
                fields);
}

} // namespace qdv::history
