#pragma once

#include "editors/GridRect.h"

#include <QAbstractTableModel>

namespace qdv {

class ConversionTables;
class CrosspointEditor;

// The crosspoint editor's grids. As the destination grid: number, Type+Num, Description, then the
// source routed on levels 1..8. As the source grid: number, Type+Num, Description only. Number, label
// and description are drawn on the tooltip colour, centred.
class CrosspointModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kInfoColumns = 3;

    CrosspointModel(const CrosspointEditor& editor, const ConversionTables& tables, bool destinations,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Tells the view that level cells (levels 0..7, destinations 0..1023) changed.
    void LevelsChanged(const GridRect& cells);

private:
    const CrosspointEditor& m_editor;
    const ConversionTables& m_tables;
    bool m_destinations;
};

} // namespace qdv
