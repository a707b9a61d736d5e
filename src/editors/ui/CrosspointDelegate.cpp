#include "editors/ui/CrosspointDelegate.h"

#include <QWidget>

namespace qdv {

const QColor CrosspointDelegate::kUnfocusedSelection(0xA0, 0xA0, 0xA0);

void CrosspointDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() < m_infoColumns) {
        option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        return;
    }
    if (!(option->state & QStyle::State_Selected))
        return;
    option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    const bool focused = option->widget && option->widget->hasFocus();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        if (!focused)
            option->palette.setColor(group, QPalette::Highlight, kUnfocusedSelection);
        option->palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
}

} // namespace qdv
