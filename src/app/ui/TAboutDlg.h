#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qdv {

// "About QDV-70": the product name, version, legal notice and comments compiled into the program.
class TAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit TAboutDlg(QWidget* parent = nullptr);

    QLabel* ProductName() const { return m_productName; }
    QLabel* Version() const { return m_version; }
    QLabel* Copyright() const { return m_copyright; }
    QLabel* Comments() const { return m_comments; }

private:
    QLabel* m_productName;
    QLabel* m_version;
    QLabel* m_copyright;
    QLabel* m_comments;
    QPushButton* m_okButton;
};

} // namespace qdv
