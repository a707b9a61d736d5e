#pragma once

#include <QString>

namespace qdv {

// Every status and error text the program shows is a numbered entry of one catalogue in two languages:
// Japanese texts under the code itself, English texts under the code plus 1000. Failures travel through
// the program as these codes (0 is success) and become words only when shown.

constexpr int kEnglishOffset = 1000;

// Text of a code that already includes the language offset; an unknown code gives an empty text.
QString MessageText(int code);

// Text of a catalogue code in the user's language.
QString CatalogueText(int code);

// 0 for a Japanese user language, 1000 for every other. Asked of the system at each call, so a
// change of the user's language is seen by the next message.
int LanguageOffset();

} // namespace qdv
