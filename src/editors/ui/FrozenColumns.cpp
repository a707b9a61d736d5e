#include "editors/ui/FrozenColumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

namespace qdv {

FrozenColumns::FrozenColumns(QTableView* grid, int count)
    : QObject(grid), m_grid(grid), m_view(new QTableView(grid)), m_count(count) {
    m_view->setObjectName(grid->objectName() + QStringLiteral("Frozen"));
    m_view->setModel(grid->model());
    m_view->setSelectionModel(grid->selectionModel());
    m_view->setItemDelegate(grid->itemDelegate());
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionMode(grid->selectionMode());
    m_view->setWordWrap(false);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setMinimumSectionSize(1);
    m_view->verticalHeader()->setDefaultSectionSize(grid->verticalHeader()->defaultSectionSize());
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->horizontalHeader()->setHighlightSections(false);
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        if (c < count) {
            m_view->setColumnWidth(c, grid->columnWidth(c));
            grid->setColumnHidden(c, true);
        } else {
            m_view->setColumnHidden(c, true);
        }
    }
    // The grid's row header is the frozen columns' room; the view lies over it.
    grid->verticalHeader()->show();
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, m_view->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, grid->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { Place(); });
    m_gridViewport = grid->viewport();
    m_gridHeader = grid->horizontalHeader();
    m_viewViewport = m_view->viewport();
    for (QObject* watched : {m_gridViewport, m_gridHeader, m_viewViewport})
        watched->installEventFilter(this);
    Place();
    m_view->show();
}

void FrozenColumns::Place() {
    int width = 0;
    for (int c = 0; c < m_count; ++c)
        width += m_view->columnWidth(c);
    m_grid->verticalHeader()->setFixedWidth(width);
    const int frame = m_grid->frameWidth();
    m_view->setGeometry(frame, frame, width,
                        m_grid->horizontalHeader()->height() + m_grid->viewport()->height());
    m_view->horizontalHeader()->setFixedHeight(m_grid->horizontalHeader()->height());
}

bool FrozenColumns::eventFilter(QObject* watched, QEvent* event) {
    // The grid lays out its header and its cells first; the view follows them.
    if ((watched == m_gridViewport || watched == m_gridHeader) && event->type() == QEvent::Resize)
        Place();
    // A click on a frozen cell gives the grid the focus, as one on its other cells does.
    if (watched == m_viewViewport && event->type() == QEvent::MouseButtonPress)
        m_grid->setFocus(Qt::MouseFocusReason);
    return QObject::eventFilter(watched, event);
}

} // namespace qdv
