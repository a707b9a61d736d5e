#include "widgets/TPanelButton.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

namespace qdv {

const QColor TPanelButton::kFace(225, 231, 237);
const QColor TPanelButton::kDisabledText(128, 128, 128);

TPanelButton::TPanelButton(const QString& caption, QWidget* parent)
    : QAbstractButton(parent), m_caption(caption) {
    // The caption is kept apart from QAbstractButton's text, which would make its "&" letter a
    // shortcut of its own.
    setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    setFocusPolicy(Qt::StrongFocus);
}

void TPanelButton::SetLowered(bool lowered) {
    if (m_lowered == lowered)
        return;
    m_lowered = lowered;
    update();
}

QSize TPanelButton::sizeHint() const {
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, m_caption);
    return {text.width() + 24, text.height() + 14};
}

void TPanelButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool lowered = m_lowered || isDown();
    const QRect r = rect();
    p.fillRect(r, kFace);
    QPalette bevel(kFace);
    bevel.setColor(QPalette::Light, Qt::white);
    bevel.setColor(QPalette::Shadow, QColor(64, 64, 64));
    qDrawWinPanel(&p, r, bevel, lowered, nullptr);

    p.setPen(isEnabled() ? QColor(Qt::black) : kDisabledText);
    const QRect text = lowered ? r.translated(1, 1) : r;
    p.drawText(text, Qt::AlignCenter | Qt::TextShowMnemonic, m_caption);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = r.adjusted(4, 4, -4, -4);
        focus.backgroundColor = kFace;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

} // namespace qdv
