#include "editors/ui/TfrmEditCrosspoint.h"

#include "convert/ConversionTables.h"
#include "convert/TextSlot.h"
#include "convert/TmTableRemote.h"
#include "editors/ui/CrosspointDelegate.h"
#include "editors/ui/CrosspointModel.h"
#include "editors/ui/EditorDialogs.h"
#include "editors/ui/FrozenColumns.h"
#include "editors/ui/MessageBoxQuestions.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace qdv {

namespace {

constexpr int kInfo = CrosspointModel::kInfoColumns;
const QColor kSourceGrey(0xC0, 0xC0, 0xC0);
const QString kFileDescription = QStringLiteral("Crosspoint Name File");

} // namespace

TfrmEditCrosspoint::TfrmEditCrosspoint(ConversionTables& tables, const SetupRecord& setup,
                                       const SetupFont* font, QWidget* parent)
    : QDialog(parent), m_tables(tables), m_editor(tables), m_setup(setup), m_font(font) {
    setWindowTitle(QStringLiteral("Edit Crosspoint"));
    m_dstModel = new CrosspointModel(m_editor, m_tables, true, this);
    m_srcModel = new CrosspointModel(m_editor, m_tables, false, this);
    m_grdDstList = BuildGrid(m_dstModel, "grdDstList");
    m_grdSrcList = BuildGrid(m_srcModel, "grdSrcList");
    m_grdDstList->setItemDelegate(new CrosspointDelegate(kInfo, m_grdDstList));
    // The number and the label stay in place while the levels scroll.
    new FrozenColumns(m_grdDstList, 2);
    m_grdDstList->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grdSrcList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grdSrcList->setSelectionBehavior(QAbstractItemView::SelectRows);
    QPalette grey = m_grdSrcList->palette();
    grey.setColor(QPalette::Base, kSourceGrey);
    m_grdSrcList->setPalette(grey);
    // The sources are shown whole and grow with the window.
    m_grdSrcList->setMinimumWidth(m_grdSrcList->horizontalHeader()->length() +
                                  m_grdSrcList->verticalScrollBar()->sizeHint().width() +
                                  2 * m_grdSrcList->frameWidth());
    m_grdSrcList->horizontalHeader()->setStretchLastSection(true);

    connect(m_grdDstList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { grdDstListSelectCell(current); });
    connect(m_grdSrcList, &QAbstractItemView::doubleClicked, this, &TfrmEditCrosspoint::grdSrcListDblClick);
    m_grdDstList->installEventFilter(this);
    m_grdSrcList->installEventFilter(this);
    m_grdSrcList->setTabKeyNavigation(false);

    m_buttons = MakeEditorButtons(
        this, [this] { btnOkClick(); }, [this] { btnImportClick(); }, [this] { btnExportClick(); });

    auto* grids = new QHBoxLayout;
    grids->addWidget(m_grdDstList, 3);
    grids->addWidget(m_grdSrcList, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_buttons.importFile);
    buttons->addWidget(m_buttons.exportFile);
    buttons->addStretch(1);
    buttons->addWidget(m_buttons.ok);
    buttons->addWidget(m_buttons.cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grids, 1);
    layout->addLayout(buttons);
    SizeEditor(this,
               {m_grdDstList->verticalHeader()->width() + m_grdDstList->horizontalHeader()->length() +
                    m_grdSrcList->minimumWidth() + 80,
                640},
               {m_grdDstList, m_grdSrcList}, QStringLiteral("crosspoint"));
    FormShow();
}

TfrmEditCrosspoint::~TfrmEditCrosspoint() = default;

QTableView* TfrmEditCrosspoint::BuildGrid(CrosspointModel* model, const char* name) {
    auto* grid = new QTableView(this);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setModel(model);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    ApplyEditorFont(grid, m_font);
    // Descriptions and the sources shown in the level cells are texts of up to 16 characters.
    const QString text = WidestText(grid, TextSlot::kSize);
    QStringList longest{NumberSample(), LabelSample()};
    for (int c = 2; c < model->columnCount(); ++c)
        longest << text;
    SetColumnWidths(grid, longest);
    return grid;
}

void TfrmEditCrosspoint::FormShow() {
    m_editor.SetCurrentColumn(0);
    m_grdDstList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdDstList->setTabKeyNavigation(false);
    m_grdDstList->setCurrentIndex(m_dstModel->index(0, 0));
    m_grdSrcList->setCurrentIndex(m_srcModel->index(0, 0));
    m_grdDstList->setFocus();
}

GridRect TfrmEditCrosspoint::SelectedLevels() const {
    return SelectedRect(m_grdDstList, kInfo);
}

void TfrmEditCrosspoint::grdDstListSelectCell(const QModelIndex& current) {
    const bool wasRowMode = m_editor.RowMode();
    m_editor.SetCurrentColumn(current.column());
    if (m_editor.RowMode() != wasRowMode) {
        m_grdDstList->setSelectionBehavior(m_editor.RowMode() ? QAbstractItemView::SelectRows
                                                              : QAbstractItemView::SelectItems);
        const auto how = QItemSelectionModel::ClearAndSelect |
                         (m_editor.RowMode() ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate);
        m_grdDstList->selectionModel()->select(current, how);
        // Tab moves between level cells; from a whole row it leaves the grid.
        m_grdDstList->setTabKeyNavigation(!m_editor.RowMode());
    }
    m_grdDstList->viewport()->update();
}

void TfrmEditCrosspoint::grdSrcListDblClick() {
    const int source = m_grdSrcList->currentIndex().row() + 1;
    const GridRect cells = m_editor.RouteTarget(SelectedLevels(), m_grdDstList->currentIndex().row());
    m_editor.Route(source, cells);
    m_dstModel->LevelsChanged(cells);
}

void TfrmEditCrosspoint::grdDstListDelete() {
    const GridRect cells = m_editor.ClearTarget(SelectedLevels());
    m_editor.Clear(cells);
    m_dstModel->LevelsChanged(cells);
}

void TfrmEditCrosspoint::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The keys act on the grid of the current cell at once.
    m_grdDstList->setFocus();
}

bool TfrmEditCrosspoint::eventFilter(QObject* watched, QEvent* event) {
    // Selected level cells change colour when the focus leaves the grid or comes back.
    if (watched == m_grdDstList && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        m_grdDstList->viewport()->update();
    if (watched == m_grdDstList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
        grdDstListDelete();
        return true;
    }
    // Ctrl+Tab goes from the destinations to the sources, also from level cells, where Tab moves
    // between cells; the selection stays for Enter on a source.
    if (watched == m_grdDstList && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            m_grdSrcList->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    // Enter on a source routes it, as a double click does.
    if (watched == m_grdSrcList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            grdSrcListDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmEditCrosspoint::btnOkClick() {
    MessageBoxQuestions questions(this);
    if (ShowOkOutcome(this, m_editor.Ok(m_setup, questions)))
        accept();
}

void TfrmEditCrosspoint::btnImportClick() {
    if (!ImportCsvFile(this, TmTableRemote::XPointFolder(m_setup), kFileDescription,
                       [this](const QString& path, QString*) { return m_editor.Import(path); }))
        return;
    m_dstModel->LevelsChanged({0, 0, CrosspointTable::kLevels, kTerminalCount});
}

void TfrmEditCrosspoint::btnExportClick() {
    ExportCsvFile(this, TmTableRemote::XPointFolder(m_setup), kFileDescription,
                  [this](const QString& path, QString* why) { return m_editor.Export(path, why); });
}

void TfrmEditCrosspoint::done(int result) {
    RememberEditor(this, {m_grdDstList, m_grdSrcList}, QStringLiteral("crosspoint"));
    QDialog::done(result);
}

void TfrmEditCrosspoint::reject() {
    if (MayDiscardChanges(this, m_editor.Modified()))
        QDialog::reject();
}

} // namespace qdv
