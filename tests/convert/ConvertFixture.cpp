#include "ConvertFixture.h"

#include "store/DataImage.h"
#include "support/TestFolder.h"

#include <QFile>
#include <exception>

namespace qdv::test {

namespace {

void Put(QByteArray& img, int at, std::initializer_list<int> bytes) {
    for (const int b : bytes)
        img[at++] = static_cast<char>(b);
}

} // namespace

SetupRecord SetupAt(const QString& path) {
    SetupRecord s;
    s.SetBackupDataPath(path);
    return s;
}

QByteArray FixtureStdText() {
    QByteArray img(16384, '\0');
    const char* names[] = {"VTR ", "CAM ", "MIC ", "GFX"};
    for (int t = 0; t < 4; ++t)
        img.replace(8 * t, static_cast<int>(qstrlen(names[t])), names[t]);
    img.replace(8192 + 8 * 1, 4, "SAT2");  // type 18
    img.replace(8192 + 8 * 15, 4, "LAST"); // type 32
    // Sources (packed decimal): 1 = VTR 001, 2 = CAM 012, 300 = CAM 345 with second number 0x123.
    Put(img, 256 + 4 * 0, {0x00, 0x01, 0x00, 0x07});
    Put(img, 256 + 4 * 1, {0x10, 0x12, 0x00, 0x00});
    Put(img, 256 + 4 * 299, {0x13, 0x45, 0xF1, 0x23});
    // Source 5: no label, only a second number.
    Put(img, 256 + 4 * 4, {0x00, 0x00, 0x00, 0x2A});
    // Second half (binary): source 513 = SAT2 number 0x105 = 261, source 1024 = LAST number 1000.
    Put(img, 8192 + 256 + 4 * 0, {0x19, 0x05, 0x00, 0x00});
    Put(img, 8192 + 256 + 4 * 511, {0xFB, 0xE8, 0x00, 0x00});
    // Destinations: 1 = MIC 002, 2 = GFX 100, 1024 = VTR 009.
    Put(img, 2304 + 5 * 0, {0x20, 0x02, 0x00, 0x00, 0x55});
    Put(img, 2304 + 5 * 1, {0x31, 0x00, 0x00, 0x00, 0x00});
    Put(img, 8192 + 2304 + 5 * 511, {0x00, 0x09, 0x00, 0x00, 0x00});
    return image::Encode(img);
}

void FillFixtureNames(DescriptionTable* descriptions, AliasTables* aliases) {
    descriptions->At(Side::Source, 1).SetText("VTR-A");
    descriptions->At(Side::Source, 2).SetText("CAMERA-1/STUDIO2"); // 16 bytes
    descriptions->At(Side::Source, 300).SetText("\xB6\xD2\xD7-3"); // katakana
    descriptions->At(Side::Source, 513).SetText(QByteArray("FEED\0OLD", 8));
    descriptions->At(Side::Destination, 1).SetText("MIC.OUT");
    descriptions->At(Side::Destination, 1024).SetText("LAST-DEST");
    aliases->Table(1).At(Side::Source, 1).SetText("A1");
    aliases->Table(7).At(Side::Source, 1).SetText("A7");
    aliases->Table(3).At(Side::Source, 1024).SetText("SEVENTEEN-CHARS!!"); // cut to 16
    aliases->Table(2).At(Side::Destination, 2).SetText("GFX_B");
}

CrosspointTable FixtureCrosspoints() {
    CrosspointTable t;
    t.SetSource(1, 1, 5);
    t.SetSource(1, 300, 5);
    t.SetSource(2, 300, 5);
    t.SetSource(4, 300, 5);
    t.SetSource(3, 300, 7);
    t.SetSource(8, 513, 1);
    t.SetSource(5, 1024, 1024);
    return t;
}

::testing::AssertionResult MatchesGolden(const QString& name, const QByteArray& actual) {
    QByteArray expected;
    try {
        expected = ReadTestData(QStringLiteral("convert/") + name);
    } catch (const std::exception&) {
        // A missing golden file reads as empty, so the actual bytes are still written out.
    }
    if (expected == actual)
        return ::testing::AssertionSuccess();
    QFile out(name + QStringLiteral(".actual"));
    if (out.open(QIODevice::WriteOnly))
        out.write(actual);
    return ::testing::AssertionFailure()
           << "differs from golden file " << name.toStdString() << " (" << expected.size()
           << " bytes expected, " << actual.size() << " actual; see " << name.toStdString() << ".actual)";
}

} // namespace qdv::test
