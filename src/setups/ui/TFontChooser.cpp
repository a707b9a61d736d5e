#include "setups/ui/TFontChooser.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace qdv {
namespace {

struct Named {
    int value;
    const char* name;
};

// The sixteen colours of the classic font chooser, as 0x00BBGGRR values.
constexpr Named kColors[] = {
    {0x000000, "Black"},  {0x000080, "Maroon"},  {0x008000, "Green"}, {0x008080, "Olive"},
    {0x800000, "Navy"},   {0x800080, "Purple"},  {0x808000, "Teal"},  {0x808080, "Gray"},
    {0xC0C0C0, "Silver"}, {0x0000FF, "Red"},     {0x00FF00, "Lime"},  {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},   {0xFF00FF, "Fuchsia"}, {0xFFFF00, "Aqua"},  {0xFFFFFF, "White"},
};

// Character-set numbers as the settings file keeps them.
constexpr Named kCharsets[] = {
    {0, "Western"},          {1, "Default"},
    {2, "Symbol"},           {128, "Japanese"},
    {129, "Hangul"},         {134, "Chinese (GB2312)"},
    {136, "Chinese (Big5)"}, {161, "Greek"},
    {162, "Turkish"},        {163, "Vietnamese"},
    {177, "Hebrew"},         {178, "Arabic"},
    {186, "Baltic"},         {204, "Cyrillic"},
    {222, "Thai"},           {238, "Central European"},
    {255, "OEM/DOS"},
};

constexpr int kMenuFontSize = 8;

} // namespace

TFontChooser::TFontChooser(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgFont"));
    setWindowTitle(QStringLiteral("Font"));

    m_cmbFace = new QFontComboBox(this);
    m_cmbFace->setObjectName(QStringLiteral("cmbFace"));
    m_edtSize = new QSpinBox(this);
    m_edtSize->setObjectName(QStringLiteral("edtSize"));
    m_edtSize->setRange(kMinSize, kMaxSize);
    m_cmbColor = new QComboBox(this);
    m_cmbColor->setObjectName(QStringLiteral("cmbColor"));
    for (const Named& c : kColors) {
        QPixmap swatch(12, 12);
        swatch.fill(ToColor(c.value));
        m_cmbColor->addItem(QIcon(swatch), QString::fromLatin1(c.name), c.value);
    }
    m_cmbCharset = new QComboBox(this);
    m_cmbCharset->setObjectName(QStringLiteral("cmbCharset"));
    for (const Named& c : kCharsets)
        m_cmbCharset->addItem(QString::fromLatin1(c.name), c.value);

    auto styleBox = [this](const char* caption, const char* name) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), this);
        box->setObjectName(QString::fromLatin1(name));
        connect(box, &QCheckBox::toggled, this, &TFontChooser::UpdateSample);
        return box;
    };
    m_chkBold = styleBox("&Bold", "chkBold");
    m_chkItalic = styleBox("&Italic", "chkItalic");
    m_chkUnderline = styleBox("&Underline", "chkUnderline");
    m_chkStrikeOut = styleBox("Stri&keout", "chkStrikeOut");

    m_lblSample = new QLabel(QStringLiteral("AaBbYyZz 0123"), this);
    m_lblSample->setObjectName(QStringLiteral("lblSample"));
    m_lblSample->setAlignment(Qt::AlignCenter);
    m_lblSample->setMinimumSize(220, 48);
    m_lblSample->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Font:"), m_cmbFace);
    form->addRow(QStringLiteral("&Size:"), m_edtSize);
    form->addRow(QStringLiteral("&Color:"), m_cmbColor);
    form->addRow(QStringLiteral("Sc&ript:"), m_cmbCharset);
    auto* styles = new QGroupBox(QStringLiteral("Effects"), this);
    auto* styleLayout = new QHBoxLayout(styles);
    for (QCheckBox* b : {m_chkBold, m_chkItalic, m_chkUnderline, m_chkStrikeOut})
        styleLayout->addWidget(b);
    auto* sample = new QGroupBox(QStringLiteral("Sample"), this);
    (new QVBoxLayout(sample))->addWidget(m_lblSample);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(styles);
    layout->addWidget(sample);
    layout->addWidget(buttons);

    connect(m_cmbFace, &QComboBox::currentTextChanged, this, &TFontChooser::UpdateSample);
    connect(m_edtSize, &QSpinBox::valueChanged, this, &TFontChooser::UpdateSample);
    connect(m_cmbColor, &QComboBox::currentIndexChanged, this, &TFontChooser::UpdateSample);
}

SetupFont TFontChooser::MenuFontEntry() {
    const QFont menu = QApplication::font("QMenu");
    SetupFont f;
    f.name = menu.family();
    f.size = kMenuFontSize;
    f.height = HeightOfSize(kMenuFontSize);
    return f;
}

int TFontChooser::HeightOfSize(int points) {
    // Rounded as the Windows MulDiv does, at 96 dots per inch.
    return -((points * 96 + 36) / 72);
}

QColor TFontChooser::ToColor(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int TFontChooser::FromColor(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QFont TFontChooser::ToFont(const SetupFont& e) {
    QFont f(e.name);
    if (e.size > 0)
        f.setPointSize(e.size);
    else if (e.height < 0)
        f.setPixelSize(-e.height);
    f.setBold(e.bold);
    f.setItalic(e.italic);
    f.setUnderline(e.underline);
    f.setStrikeOut(e.strikeOut);
    return f;
}

void TFontChooser::SelectData(QComboBox* box, int value, const QString& otherText) {
    int i = box->findData(value);
    if (i < 0) {
        box->addItem(otherText, value);
        i = box->count() - 1;
    }
    box->setCurrentIndex(i);
}

void TFontChooser::Load(const SetupFont& f) {
    m_cmbFace->setCurrentFont(QFont(f.name));
    // A face this machine lacks keeps its name rather than turning into the nearest installed one.
    m_cmbFace->setEditText(f.name);
    m_edtSize->setValue(std::clamp(f.size, kMinSize, kMaxSize));
    SelectData(m_cmbColor, f.color, QStringLiteral("Custom"));
    SelectData(m_cmbCharset, f.charset, QStringLiteral("Charset %1").arg(f.charset));
    m_chkBold->setChecked(f.bold);
    m_chkItalic->setChecked(f.italic);
    m_chkUnderline->setChecked(f.underline);
    m_chkStrikeOut->setChecked(f.strikeOut);
    UpdateSample();
}

SetupFont TFontChooser::Current() const {
    SetupFont f;
    f.name = m_cmbFace->currentText().trimmed();
    f.size = m_edtSize->value();
    f.height = HeightOfSize(f.size);
    f.color = m_cmbColor->currentData().toInt();
    f.charset = static_cast<std::uint8_t>(m_cmbCharset->currentData().toInt());
    f.pitch = QFontInfo(QFont(f.name)).fixedPitch() ? 2 : 1;
    f.bold = m_chkBold->isChecked();
    f.italic = m_chkItalic->isChecked();
    f.underline = m_chkUnderline->isChecked();
    f.strikeOut = m_chkStrikeOut->isChecked();
    return f;
}

void TFontChooser::UpdateSample() {
    const SetupFont f = Current();
    m_lblSample->setFont(ToFont(f));
    QPalette p = m_lblSample->palette();
    p.setColor(QPalette::WindowText, ToColor(f.color));
    m_lblSample->setPalette(p);
}

bool TFontChooser::Choose(const SetupFont& start, SetupFont* chosen) {
    Load(start);
    if (exec() != QDialog::Accepted)
        return false;
    *chosen = Current();
    return true;
}

} // namespace qdv
