#include "editors/ui/TfrmEditDescAndAlias.h"

#include "convert/TerminalTextCodec.h"
#include "convert/TmTableRemote.h"
#include "editors/ui/CellEditDelegate.h"
#include "editors/ui/DescAliasModel.h"
#include "editors/ui/EditorDialogs.h"
#include "editors/ui/FrozenColumns.h"
#include "editors/ui/MessageBoxQuestions.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace qdv {

namespace {

constexpr int kFirstText = DescAliasModel::kFixedColumns;
const QColor kPageColour(0xE1, 0xE7, 0xED);
const QString kFileDescription = QStringLiteral("Description/Alias Name File");

} // namespace

TfrmEditDescAndAlias::TfrmEditDescAndAlias(ConversionTables& tables, const SetupRecord& setup,
                                           const SetupFont* font, QWidget* parent)
    : QDialog(parent), m_editor(tables), m_setup(setup), m_font(font) {
    setWindowTitle(QStringLiteral("Edit Description/Alias"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kPageColour);
    setPalette(palette);

    m_pageQdv70 = new QTabWidget(this);
    m_pageQdv70->addTab(BuildGrid(Side::Source), QStringLiteral("     Source     "));
    m_pageQdv70->addTab(BuildGrid(Side::Destination), QStringLiteral("   Destination  "));
    connect(m_pageQdv70, &QTabWidget::currentChanged, this, &TfrmEditDescAndAlias::pageQdv70Change);
    // The other page from the keyboard, wherever the focus is (the grid would take Ctrl+Tab itself).
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_PageUp)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { m_pageQdv70->setCurrentIndex(1 - m_pageQdv70->currentIndex()); });
    }

    m_popMenu = new QMenu(this);
    const struct {
        const char* caption;
        void (TfrmEditDescAndAlias::*handler)();
    } entries[] = {
        {"Cut", &TfrmEditDescAndAlias::popCutClick},     {"Copy", &TfrmEditDescAndAlias::popCopyClick},
        {"Paste", &TfrmEditDescAndAlias::popPasteClick}, {"Delete", &TfrmEditDescAndAlias::popDeleteClick},
        {"Undo", &TfrmEditDescAndAlias::popUndoClick},   {"Redo", &TfrmEditDescAndAlias::popRedoClick}};
    for (const auto& e : entries)
        connect(m_popMenu->addAction(QString::fromLatin1(e.caption)), &QAction::triggered, this, e.handler);
    connect(m_popMenu, &QMenu::aboutToShow, this, [this] {
        const EditMenuState& s = m_editor.Buffers().Menu();
        const bool enabled[] = {s.cut, s.copy, s.paste, s.del, s.undo, s.redo};
        for (int i = 0; i < 6; ++i)
            m_popMenu->actions()[i]->setEnabled(enabled[i]);
    });

    m_buttons = MakeEditorButtons(
        this, [this] { btnOkClick(); }, [this] { btnImportClick(); }, [this] { btnExportClick(); });

    m_lblMessage = new QLabel(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_buttons.importFile);
    buttons->addWidget(m_buttons.exportFile);
    buttons->addWidget(m_lblMessage, 1);
    buttons->addWidget(m_buttons.ok);
    buttons->addWidget(m_buttons.cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pageQdv70, 1);
    layout->addLayout(buttons);
    const QHeaderView* header = Grid(Side::Source)->horizontalHeader();
    SizeEditor(this, {Grid(Side::Source)->verticalHeader()->width() + header->length() + 80, 640},
               {m_grids[0], m_grids[1]}, QStringLiteral("descAlias"));
    FormShow();
}

TfrmEditDescAndAlias::~TfrmEditDescAndAlias() = default;

QTableView* TfrmEditDescAndAlias::BuildGrid(Side side) {
    auto* grid = new QTableView;
    grid->setObjectName(side == Side::Source ? QStringLiteral("grdSrcList") : QStringLiteral("grdDstList"));
    auto* model = new DescAliasModel(m_editor, side, grid);
    m_models[Index(side)] = model;
    m_grids[Index(side)] = grid;
    grid->setModel(model);
    // A delegate per grid: a view takes every commit and close its delegate announces as its own.
    auto* delegate = new CellEditDelegate(kFirstText, grid);
    m_delegates[Index(side)] = delegate;
    connect(delegate, &CellEditDelegate::Refused, this, &TfrmEditDescAndAlias::Say);
    connect(delegate, &CellEditDelegate::EnterPressed, this, &TfrmEditDescAndAlias::grdListEnter);
    connect(delegate, &CellEditDelegate::MenuRequested, this, &TfrmEditDescAndAlias::ShowMenu);
    grid->setItemDelegate(delegate);
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->setWordWrap(false);
    // Tab leaves the grid for the buttons; the arrow keys move between cells.
    grid->setTabKeyNavigation(false);
    ApplyEditorFont(grid, m_font);
    const QString text = WidestText(grid, DescAliasEditor::kMaxBytes);
    QStringList longest{NumberSample(), LabelSample()};
    for (int c = 0; c < DescAliasEditor::kTextColumns; ++c)
        longest << text;
    SetColumnWidths(grid, longest);
    new FrozenColumns(grid, kFirstText);
    grid->installEventFilter(this);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& pos) { ShowMenu(grid->viewport()->mapToGlobal(pos)); });
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { grdListSelectCell(current); });
    connect(grid, &QAbstractItemView::doubleClicked, this, [this] { m_editor.SetEditMode(true); });
    return grid;
}

void TfrmEditDescAndAlias::FormShow() {
    m_editor.Show();
    for (DescAliasModel* model : m_models)
        model->ChangedAll();
    for (QTableView* grid : m_grids)
        grid->setCurrentIndex(grid->model()->index(0, kFirstText));
    m_pageQdv70->setCurrentIndex(0);
    m_editor.SetEditMode(false);
    Grid(Side::Source)->setFocus();
}

QString TfrmEditDescAndAlias::MessageText() const {
    return m_lblMessage->text();
}

void TfrmEditDescAndAlias::Say(const QString& text) {
    m_lblMessage->setText(text);
    if (!text.isEmpty())
        QApplication::beep();
}

QLineEdit* TfrmEditDescAndAlias::OpenEditor() const {
    return m_delegates[Index(m_editor.Page())]->OpenEditor();
}

GridRect TfrmEditDescAndAlias::CurrentCell() const {
    const QModelIndex current = CurrentGrid()->currentIndex();
    return {std::max(current.column() - kFirstText, 0), std::max(current.row(), 0), 1, 1};
}

void TfrmEditDescAndAlias::FinishEditing() {
    if (QLineEdit* edit = OpenEditor()) {
        CellEditDelegate* delegate = m_delegates[Index(m_editor.Page())];
        Q_EMIT delegate->commitData(edit);
        Q_EMIT delegate->closeEditor(edit, QAbstractItemDelegate::NoHint);
    }
}

void TfrmEditDescAndAlias::pageQdv70Change(int index) {
    FinishEditing();
    m_editor.ChangePage(index == 0 ? Side::Source : Side::Destination);
    for (QTableView* grid : m_grids)
        grid->setCurrentIndex(grid->model()->index(0, kFirstText));
    m_editor.SetEditMode(false);
    Say({});
    CurrentGrid()->setFocus();
}

void TfrmEditDescAndAlias::grdListSelectCell(const QModelIndex&) {
    m_editor.SetEditMode(false);
}

void TfrmEditDescAndAlias::grdListEnter() {
    QTableView* grid = CurrentGrid();
    const bool editing = m_editor.EditMode();
    const QModelIndex current = grid->currentIndex();
    const int row = std::min(current.row() + 1, kTerminalCount - 1);
    const QModelIndex next = grid->model()->index(row, std::max(current.column(), kFirstText));
    grid->setCurrentIndex(next);
    grid->setFocus();
    if (editing) {
        m_editor.SetEditMode(true);
        grid->edit(next);
    }
}

void TfrmEditDescAndAlias::ShowMenu(const QPoint& globalPos) {
    m_popMenu->popup(globalPos);
}

void TfrmEditDescAndAlias::popCopyClick() {
    if (QLineEdit* edit = OpenEditor()) {
        QByteArray bytes;
        TerminalTextCodec::Encode(edit->text(), &bytes);
        m_editor.Buffers().CopyText(bytes);
        return;
    }
    m_editor.Buffers().Copy(m_editor.Current(), SelectedRect(CurrentGrid(), kFirstText));
}

void TfrmEditDescAndAlias::popCutClick() {
    Say({});
    if (QLineEdit* edit = OpenEditor()) {
        // The whole text goes to the buffers; the cell loses only what is selected in the editor.
        const GridRect cell = CurrentCell();
        QByteArray whole;
        TerminalTextCodec::Encode(edit->text(), &whole);
        m_editor.Current().Set(cell.column, cell.row, whole);
        QString rest = edit->text();
        const int cursor = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        if (edit->hasSelectedText())
            rest.remove(edit->selectionStart(), static_cast<int>(edit->selectedText().size()));
        QByteArray remaining;
        TerminalTextCodec::Encode(rest, &remaining);
        m_editor.Buffers().CutInEditor(m_editor.Current(), cell.column, cell.row, remaining);
        edit->setText(rest);
        edit->setCursorPosition(cursor);
        CurrentModel()->Changed(cell);
        return;
    }
    const GridRect rect = SelectedRect(CurrentGrid(), kFirstText);
    m_editor.Buffers().Cut(m_editor.Current(), rect);
    CurrentModel()->Changed(rect);
}

void TfrmEditDescAndAlias::popDeleteClick() {
    popCutClick();
}

void TfrmEditDescAndAlias::popPasteClick() {
    FinishEditing();
    const GridRect at = CurrentCell();
    GridRect written;
    const QString refused = m_editor.Paste(at.column, at.row, &written);
    Say(refused);
    CurrentModel()->Changed(written);
}

void TfrmEditDescAndAlias::popUndoClick() {
    FinishEditing();
    CurrentModel()->Changed(m_editor.Buffers().Undo(m_editor.Current()));
}

void TfrmEditDescAndAlias::popRedoClick() {
    FinishEditing();
    CurrentModel()->Changed(m_editor.Buffers().Redo(m_editor.Current()));
}

void TfrmEditDescAndAlias::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The keys act on the grid of the current cell at once.
    CurrentGrid()->setFocus();
}

bool TfrmEditDescAndAlias::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || watched != CurrentGrid())
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // F2 starts editing as a double click does: Enter then goes on editing the next row.
    if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier)
        m_editor.SetEditMode(true);
    const struct {
        QKeySequence::StandardKey sequence;
        void (TfrmEditDescAndAlias::*handler)();
    } keys[] = {{QKeySequence::Delete, &TfrmEditDescAndAlias::popDeleteClick},
                {QKeySequence::Copy, &TfrmEditDescAndAlias::popCopyClick},
                {QKeySequence::Paste, &TfrmEditDescAndAlias::popPasteClick},
                {QKeySequence::Cut, &TfrmEditDescAndAlias::popCutClick},
                {QKeySequence::Undo, &TfrmEditDescAndAlias::popUndoClick},
                {QKeySequence::Redo, &TfrmEditDescAndAlias::popRedoClick}};
    for (const auto& k : keys) {
        if (key->matches(k.sequence)) {
            (this->*k.handler)();
            return true;
        }
    }
    // Ctrl+Y redoes as well, whatever the desktop's own Redo key is.
    if (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier) {
        popRedoClick();
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        grdListEnter();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmEditDescAndAlias::btnOkClick() {
    FinishEditing();
    MessageBoxQuestions questions(this);
    if (ShowOkOutcome(this, m_editor.Ok(m_setup, questions)))
        accept();
}

void TfrmEditDescAndAlias::btnImportClick() {
    if (!ImportCsvFile(this, TmTableRemote::NameFolder(m_setup), kFileDescription,
                       [this](const QString& path, QString* why) {
                           FinishEditing();
                           return m_editor.Import(path, why);
                       }))
        return;
    // The buffers refer to texts the import replaced.
    m_editor.Buffers().Reset();
    for (DescAliasModel* model : m_models)
        model->ChangedAll();
}

void TfrmEditDescAndAlias::btnExportClick() {
    FinishEditing();
    ExportCsvFile(this, TmTableRemote::NameFolder(m_setup), kFileDescription,
                  [this](const QString& path, QString* why) { return m_editor.Export(path, why); });
}

void TfrmEditDescAndAlias::done(int result) {
    RememberEditor(this, {m_grids[0], m_grids[1]}, QStringLiteral("descAlias"));
    QDialog::done(result);
}

void TfrmEditDescAndAlias::reject() {
    FinishEditing();
    if (MayDiscardChanges(this, m_editor.Modified()))
        QDialog::reject();
}

} // namespace qdv
