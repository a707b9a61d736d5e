// Arbitrary text through the description import (either CSV form) and the description converter, with
// a valid ZEBU_STD.DAU and with the input itself as ZEBU_STD.DAU.
#include "convert/AliasTables.h"
#include "convert/DescriptionConverter.h"
#include "convert/DescriptionTable.h"
#include "convert/DescriptionText.h"
#include "convert/TerminalLabels.h"
#include "store/DataImage.h"
#include "store/StandardSettingsLayout.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

namespace {

// Texts up to their first NUL, the part the text forms carry.
bool SameTexts(const TerminalTextTable& a, const TerminalTextTable& b) {
    for (const Side side : {Side::Source, Side::Destination}) {
        for (int n = 1; n <= kTerminalCount; ++n) {
            if (a.At(side, n).Text() != b.At(side, n).Text())
                return false;
        }
    }
    return true;
}

// The converter reads "/" as the start of a comment and skips leading tabs, so a text holding either
// cannot come through the short form unchanged (left as the text format has it).
bool CarriesThroughShortForm(const TerminalTextTable& t) {
    for (const Side side : {Side::Source, Side::Destination}) {
        for (int n = 1; n <= kTerminalCount; ++n) {
            const QByteArray text = t.At(side, n).Text();
            if (text.contains('/') || text.contains('\t'))
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QByteArray kStd = image::Encode(QByteArray(stdlayout::kImageSize, '\0'));
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    DescriptionTable descriptions;
    AliasTables aliases;
    DescriptionText::Import(text, &descriptions, &aliases);
    TerminalLabels labels;
    labels.Build(kStd);
    (void)DescriptionText::LongForm(labels, descriptions, aliases);
    const QByteArray shortForm = DescriptionText::ShortForm(labels, descriptions);

    DescriptionConverter converter;
    QByteArray dau;
    const ConverterResult result = converter.Convert(text, kStd, &dau);
    if (result.code != DescriptionConverter::kOk && !dau.isEmpty())
        std::abort(); // a refused text must never give a file
    if (!dau.isEmpty()) {
        DescriptionTable loaded;
        if (!loaded.LoadDau(dau) || static_cast<const TerminalTextTable&>(loaded) != converter.Descriptions())
            std::abort();
    }

    // The program's own short form of what it imported converts back to the same descriptions, unless
    // an imported text holds characters a description may not have.
    DescriptionConverter again;
    const ConverterResult own = again.Convert(shortForm, kStd, &dau);
    if (own.code == DescriptionConverter::kOk && CarriesThroughShortForm(descriptions) &&
        !SameTexts(descriptions, again.Descriptions()))
        std::abort();

    DescriptionConverter asStd;
    (void)asStd.Convert(shortForm, text, &dau);
    return 0;
}
