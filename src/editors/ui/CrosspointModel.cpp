#include "editors/ui/CrosspointModel.h"

#include "convert/ConversionTables.h"
#include "convert/TerminalTextCodec.h"
#include "editors/CrosspointEditor.h"
#include "editors/LabelText.h"

#include <QApplication>
#include <QPalette>

namespace qdv {

CrosspointModel::CrosspointModel(const CrosspointEditor& editor, const ConversionTables& tables,
                                 bool destinations, QObject* parent)
    : QAbstractTableModel(parent), m_editor(editor), m_tables(tables), m_destinations(destinations) {}

int CrosspointModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTerminalCount;
}

int CrosspointModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kInfoColumns + (m_destinations ? CrosspointTable::kLevels : 0);
}

QVariant CrosspointModel::data(const QModelIndex& index, int role) const {
    const int column = index.column();
    const int number = index.row() + 1;
    const Side side = m_destinations ? Side::Destination : Side::Source;
    const bool info = column < kInfoColumns;
    // The source grid keeps the grid's own grey; the destination grid's first columns are info cells.
    if (info && m_destinations && role == Qt::BackgroundRole)
        return QApplication::palette().toolTipBase();
    if (info && m_destinations && role == Qt::ForegroundRole)
        return QColor(Qt::black);
    if (info && role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case 0:
        return QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
    case 1:
        return TerminalTextCodec::Display(LabelText(m_tables.Labels().Label(side, number)));
    case 2:
        return TerminalTextCodec::Display(m_tables.Descriptions().At(side, number).Text());
    default:
        return TerminalTextCodec::Display(m_editor.LevelText(column - kInfoColumns + 1, number));
    }
}

QVariant CrosspointModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case 0:
        return QStringLiteral("No.");
    case 1:
        return QStringLiteral("Type+Num");
    case 2:
        return QStringLiteral("Description");
    default:
        return QStringLiteral("Lv%1").arg(section - kInfoColumns + 1);
    }
}

Qt::ItemFlags CrosspointModel::flags(const QModelIndex&) const {
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void CrosspointModel::LevelsChanged(const GridRect& cells) {
    if (cells.IsEmpty())
        return;
    Q_EMIT dataChanged(index(cells.row, cells.column + kInfoColumns),
                       index(cells.row + cells.height - 1, cells.column + kInfoColumns + cells.width - 1));
}

} // namespace qdv
