#pragma once

#include "store/SetupRecord.h"

#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QSpinBox;

namespace qdv {

// "Font": the chooser of a setup's editor font, with face, size (1 to 9 points), colour, character set
// and the four styles. It starts from a SetupFont and returns one in the form the settings file keeps:
// the colour as 0x00BBGGRR, the height as the negative pixel height at 96 dots per inch.
class TFontChooser : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMinSize = 1;
    static constexpr int kMaxSize = 9;

    explicit TFontChooser(QWidget* parent = nullptr);

    // Shows `start` modally; true with `chosen` set when the operator accepts a font.
    bool Choose(const SetupFont& start, SetupFont* chosen);

    // The font an entry without a face name starts from: the menu font at 8 points, black.
    static SetupFont MenuFontEntry();
    // The entry as a font for widgets, and the colour of a colour value.
    static QFont ToFont(const SetupFont& entry);
    static QColor ToColor(int value);
    static int FromColor(const QColor& colour);
    // Height of a point size as the settings file keeps it.
    static int HeightOfSize(int points);

private:
    void Load(const SetupFont& f);
    SetupFont Current() const;
    void UpdateSample();
    static void SelectData(QComboBox* box, int value, const QString& otherText);

    QFontComboBox* m_cmbFace;
    QSpinBox* m_edtSize;
    QComboBox* m_cmbColor;
    QComboBox* m_cmbCharset;
    QCheckBox* m_chkBold;
    QCheckBox* m_chkItalic;
    QCheckBox* m_chkUnderline;
    QCheckBox* m_chkStrikeOut;
    QLabel* m_lblSample;
};

} // namespace qdv
