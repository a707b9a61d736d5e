#pragma once

#include <QAbstractButton>
#include <QColor>

namespace qdv {

// A raised panel that acts as a button, as the main window's function buttons, Cancel and Exit are:
// a flat face, bevels drawn lowered while its action runs, black text when enabled and grey text when
// not. A letter of the caption may be marked with "&"; it is shown underlined, but its Alt key is the
// window's to handle, so that the window decides when it acts.
class TPanelButton : public QAbstractButton {
    Q_OBJECT

public:
    static const QColor kFace;
    static const QColor kDisabledText;

    explicit TPanelButton(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    // The pressed look that stays while the action the button started runs.
    bool Lowered() const { return m_lowered; }
    void SetLowered(bool lowered);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    bool m_lowered = false;
};

} // namespace qdv
