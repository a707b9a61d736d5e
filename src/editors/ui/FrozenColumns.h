#pragma once

#include <QObject>

class QTableView;

namespace qdv {

// Keeps the first columns of an editor's grid (the terminal's number and label) in place while the
// others scroll sideways, so that a row is always seen with its terminal. A second view over the
// grid's left edge shows those columns; the grid hides them and reserves their room with its row
// header. Both views share the model, the selection and the rows' scrolling.
class FrozenColumns : public QObject {
    Q_OBJECT

public:
    // After the grid's font, delegate and column widths are set.
    FrozenColumns(QTableView* grid, int count);

    QTableView* View() const { return m_view; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    QTableView* m_grid;
    QTableView* m_view;
    int m_count;
    // The watched widgets, kept so that the filter compares pointers only: while the grid is being
    // destroyed its children still send events, and the grid is then no longer a table view to ask.
    QObject* m_gridViewport;
    QObject* m_gridHeader;
    QObject* m_viewViewport;
};

} // namespace qdv
