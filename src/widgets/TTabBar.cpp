#include "widgets/TTabBar.h"

#include "widgets/TPanelButton.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

namespace qdv {

TTabBar::TTabBar(QWidget* parent) : QTabBar(parent) {
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(false);
}

void TTabBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QPalette bevel(TPanelButton::kFace);
    bevel.setColor(QPalette::Light, Qt::white);
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i))
            continue;
        const bool current = i == currentIndex();
        // The current tab stands two pixels higher and joins the page below it.
        QRect r = tabRect(i);
        if (!current)
            r.adjust(0, 2, 0, 0);
        p.fillRect(r, TPanelButton::kFace);
        p.setPen(bevel.color(QPalette::Light));
        p.drawLine(r.bottomLeft(), r.topLeft());
        p.drawLine(r.topLeft(), r.topRight());
        p.setPen(bevel.color(QPalette::Dark));
        p.drawLine(r.topRight(), r.bottomRight());
        if (!current) {
            p.setPen(bevel.color(QPalette::Dark));
            p.drawLine(r.bottomLeft(), r.bottomRight());
        }
        QFont f = font();
        f.setBold(current);
        p.setFont(f);
        p.setPen(isEnabled() ? QColor(Qt::black) : TPanelButton::kDisabledText);
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, tabText(i));
        if (current && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = r.adjusted(3, 3, -3, -3);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
        }
    }
}

} // namespace qdv
