#include "app/ui/TAboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qdv {

TAboutDlg::TAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About QDV-70"));
    setObjectName(QStringLiteral("AboutDlg"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    m_productName = new QLabel(QStringLiteral(QDV70_PRODUCT_NAME), this);
    m_productName->setObjectName(QStringLiteral("ProductName"));
    QFont bold = m_productName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    m_productName->setFont(bold);
    m_version = new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(QDV70_VERSION)), this);
    m_version->setObjectName(QStringLiteral("Version"));
    m_copyright = new QLabel(QStringLiteral(QDV70_LEGAL_NOTICE), this);
    m_copyright->setObjectName(QStringLiteral("Copyright"));
    // The comments are carried along for whoever reads the dialog's labels, as the version resource
    // they come from does, but not shown.
    m_comments = new QLabel(QStringLiteral(QDV70_COMMENTS), this);
    m_comments->setObjectName(QStringLiteral("Comments"));
    m_comments->setVisible(false);
    for (QLabel* l : {m_productName, m_version, m_copyright})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(this);
    m_okButton = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_okButton->setObjectName(QStringLiteral("OKButton"));
    m_okButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_productName);
    texts->addWidget(m_version);
    texts->addSpacing(8);
    texts->addWidget(m_copyright);
    texts->addWidget(m_comments);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace qdv
