#include "convert/TerminalTextCodec.h"

#include "base/CatalogueCodes.h"
#include "base/MessageCatalogue.h"

namespace qdv {

namespace {

constexpr char16_t kKatakanaFirst = 0xFF61; // 0xA1
constexpr char16_t kKeptByteBase = 0xE000;
constexpr char16_t kReplacement = 0xFFFD;

bool IsAscii(unsigned b) {
    return b >= 0x20 && b <= 0x7E;
}

bool IsKatakana(unsigned b) {
    return b >= 0xA1 && b <= 0xDF;
}

QString DecodeWith(const QByteArray& bytes, bool display) {
    QString text;
    text.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (IsAscii(b))
            text += QChar(static_cast<char16_t>(b));
        else if (IsKatakana(b))
            text += QChar(static_cast<char16_t>(kKatakanaFirst + (b - 0xA1)));
        else
            text += QChar(display ? kReplacement : static_cast<char16_t>(kKeptByteBase + b));
    }
    return text;
}

} // namespace

int TerminalTextCodec::ByteOf(QChar c) {
    const char16_t u = c.unicode();
    if (IsAscii(u))
        return u;
    if (u >= kKatakanaFirst && u <= kKatakanaFirst + (0xDF - 0xA1))
        return 0xA1 + (u - kKatakanaFirst);
    // A kept byte other than NUL, which would end the text in its slot.
    if (u > kKeptByteBase && u <= kKeptByteBase + 0xFF)
        return u - kKeptByteBase;
    return -1;
}

QString TerminalTextCodec::Decode(const QByteArray& bytes) {
    return DecodeWith(bytes, false);
}

QString TerminalTextCodec::Display(const QByteArray& bytes) {
    return DecodeWith(bytes, true);
}

qsizetype TerminalTextCodec::FirstRefused(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (ByteOf(text[i]) < 0)
            return i;
    }
    return -1;
}

bool TerminalTextCodec::Encode(const QString& text, QByteArray* bytes) {
    if (FirstRefused(text) >= 0)
        return false;
    bytes->resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        (*bytes)[i] = static_cast<char>(ByteOf(text[i]));
    return true;
}

bool TerminalTextCodec::EncodeImported(const QString& text, QByteArray* bytes, qsizetype* refused) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        // Kept bytes are the editors' own stand-ins; in a file they are characters like any other.
        const int b = u < 0x80 ? u : (u >= kKeptByteBase && u <= kKeptByteBase + 0xFF) ? -1 : ByteOf(text[i]);
        if (b < 0) {
            *refused = i;
            return false;
        }
        out.append(static_cast<char>(b));
    }
    *bytes = out;
    return true;
}

QString TerminalTextCodec::RefusalText(const QString& text, qsizetype at) {
    const char32_t c = QChar::isHighSurrogate(text[at].unicode()) && at + 1 < text.size()
                           ? QChar::surrogateToUcs4(text[at], text[at + 1])
                           : text[at].unicode();
    const QString shown = QString::fromUcs4(&c, 1);
    return CatalogueText(msg::kRefusedCharacter)
        .arg(QChar::isPrint(c) ? shown : QString(), QString::number(c, 16).toUpper().rightJustified(4, u'0'));
}

} // namespace qdv
