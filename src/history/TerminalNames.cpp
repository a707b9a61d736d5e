#include "history/TerminalNames.h"

#include "history/ChangeText.h"

namespace qdv::history {

void TerminalNames::Load(const QByteArray& stdText, const QByteArray& nmeText) {
    m_labels.Build(stdText);
    m_descriptions.Clear();
    m_descriptions.LoadDau(nmeText);
}

QString TerminalNames::Source(int source) const {
    if (source < 1 || source > kTerminalCount)
        return source == 0 ? QStringLiteral("no source") : QStringLiteral("source %1").arg(source);
    QString name = ChangeText::Readable(m_descriptions.At(Side::Source, source).Text());
    if (name.isEmpty()) {
        const TerminalLabel& label = m_labels.Label(Side::Source, source);
        if (!label.IsEmpty())
            name = ChangeText::Readable(label.typeName) + QLatin1Char(' ') +
                   ChangeText::Readable(label.numberText);
    }
    return name.isEmpty() ? QStringLiteral("source %1").arg(source)
                          : QStringLiteral("source %1 (%2)").arg(source).arg(name);
}

} // namespace qdv::history
