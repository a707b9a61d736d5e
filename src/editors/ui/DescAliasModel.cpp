#include "editors/ui/DescAliasModel.h"

#include "convert/ConversionTables.h"
#include "convert/TerminalTextCodec.h"
#include "editors/DescAliasEditor.h"
#include "editors/LabelText.h"

#include <QApplication>
#include <QPalette>

namespace qdv {

DescAliasModel::DescAliasModel(DescAliasEditor& editor, Side side, QObject* parent)
    : QAbstractTableModel(parent), m_editor(editor), m_side(side) {}

int DescAliasModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTerminalCount;
}

int DescAliasModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFixedColumns + DescAliasEditor::kTextColumns;
}

QVariant DescAliasModel::data(const QModelIndex& index, int role) const {
    const int column = index.column();
    const int number = index.row() + 1;
    if (role == Qt::BackgroundRole && column < kFixedColumns)
        return QApplication::palette().button();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (column == 0)
        return QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
    if (column == 1)
        return TerminalTextCodec::Display(LabelText(m_editor.Tables().Labels().Label(m_side, number)));
    const QByteArray& text = m_editor.Grid(m_side).At(column - kFixedColumns, index.row());
    return role == Qt::EditRole ? TerminalTextCodec::Decode(text) : TerminalTextCodec::Display(text);
}

QVariant DescAliasModel::headerData(int section, Qt::Orientation orientation, int role) const {
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
        return QStringLiteral("Alias%1").arg(section - 2);
    }
}

Qt::ItemFlags DescAliasModel::flags(const QModelIndex& index) const {
    if (index.column() < kFixedColumns)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool DescAliasModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() < kFixedColumns)
        return false;
    QByteArray bytes;
    if (!TerminalTextCodec::Encode(value.toString(), &bytes))
        return false;
    m_editor.Grid(m_side).Set(index.column() - kFixedColumns, index.row(), bytes);
    Q_EMIT dataChanged(index, index);
    return true;
}

void DescAliasModel::Changed(const GridRect& cells) {
    if (cells.IsEmpty())
        return;
    Q_EMIT dataChanged(index(cells.row, cells.column + kFixedColumns),
                       index(cells.row + cells.height - 1, cells.column + kFixedColumns + cells.width - 1));
}

void DescAliasModel::ChangedAll() {
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

} // namespace qdv
