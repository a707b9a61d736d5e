#pragma once

#include "convert/TerminalSide.h"
#include "editors/GridRect.h"

#include <QAbstractTableModel>

namespace qdv {

class DescAliasEditor;

// One grid of the description editor: number, Type+Num, then the description and aliases 1..7 of the
// editor's grid for one side. Texts are shown decoded from the controller's character set; a text
// typed into a cell goes back as its bytes.
class DescAliasModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kFixedColumns = 2;

    DescAliasModel(DescAliasEditor& editor, Side side, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Tells the view that cells of the editor's grid changed.
    void Changed(const GridRect& cells);
    void ChangedAll();

private:
    DescAliasEditor& m_editor;
    Side m_side;
};

} // namespace qdv
