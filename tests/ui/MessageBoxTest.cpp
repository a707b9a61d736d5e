#include "support/MainWindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QTranslator>
#include <gtest/gtest.h>

namespace qdv::test {
namespace {

// Stands in for the toolkit's Japanese translation of its standard button texts.
class JapaneseButtonTexts : public QTranslator {
public:
    QString translate(const char*, const char* source, const char*, int) const override {
        static const QHash<QString, QString> texts{
            {"OK", "了解"}, {"Cancel", "キャンセル"}, {"&Yes", "はい(&Y)"}, {"&No", "いいえ(&N)"}};
        return texts.value(QString::fromLatin1(source));
    }
    bool isEmpty() const override { return false; }
};

QStringList ButtonTexts(const QMessageBox& box) {
    QStringList texts;
    for (QAbstractButton* b : box.buttons())
        texts << b->text();
    texts.sort();
    return texts;
}

TEST(MessageBox, buttonsReadInEnglishWhateverTheSystemLanguage) {
    JapaneseButtonTexts japanese;
    QApplication::installTranslator(&japanese);
    // The toolkit's own box does take the translation, so the routine's English is its own doing.
    QMessageBox plain;
    plain.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(ButtonTexts(plain).contains("キャンセル"));

    const std::unique_ptr<QMessageBox> box = CreateMessageBox(
        nullptr, "text", DialogType::Confirmation, kButtonOk | kButtonCancel | kButtonYes | kButtonNo);
    QApplication::removeTranslator(&japanese);
    EXPECT_EQ(ButtonTexts(*box), (QStringList{"Cancel", "No", "OK", "Yes"}));
    EXPECT_EQ(box->windowTitle(), "QDV-70");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
}

} // namespace
} // namespace qdv::test
