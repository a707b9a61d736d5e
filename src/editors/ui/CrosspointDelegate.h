#pragma once

#include <QStyledItemDelegate>

namespace qdv {

// Draws the destination grid: number, label and description cells keep their own colours even on a
// selected row, so that only level cells show the selection; selected level cells are white on the
// highlight colour while the grid has the focus and on grey otherwise (while a source is picked).
class CrosspointDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static const QColor kUnfocusedSelection;

    CrosspointDelegate(int infoColumns, QObject* parent)
        : QStyledItemDelegate(parent), m_infoColumns(infoColumns) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    int m_infoColumns;
};

} // namespace qdv
