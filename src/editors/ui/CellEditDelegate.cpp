#include "editors/ui/CellEditDelegate.h"

#include "editors/DescAliasEditor.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <memory>

namespace qdv {

QWidget* CellEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex& index) const {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    const int column = index.column() - m_firstTextColumn;
    // The text the cell held after the last accepted change; an edit that is refused goes back to it.
    auto accepted = std::make_shared<QString>();
    connect(edit, &QLineEdit::textChanged, edit, [edit, accepted](const QString& text) {
        if (!edit->isModified())
            *accepted = text; // set by the view, not typed
    });
    connect(edit, &QLineEdit::textEdited, this, [this, edit, column, accepted](const QString& text) {
        const QString why = DescAliasEditor::RefuseEdit(column, *accepted, text);
        if (why.isEmpty()) {
            *accepted = text;
            return;
        }
        const int cursor = edit->cursorPosition() - static_cast<int>(text.size() - accepted->size());
        const QSignalBlocker block(edit);
        edit->setText(*accepted);
        edit->setCursorPosition(std::clamp(cursor, 0, static_cast<int>(accepted->size())));
        Q_EMIT Refused(why);
    });
    connect(edit, &QWidget::customContextMenuRequested, this,
            [this, edit](const QPoint& pos) { Q_EMIT MenuRequested(edit->mapToGlobal(pos)); });
    connect(edit, &QObject::destroyed, this, [this, edit] {
        if (m_open == edit)
            m_open = nullptr;
    });
    m_open = edit;
    return edit;
}

bool CellEditDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            auto* editor = qobject_cast<QWidget*>(watched);
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, NoHint);
            Q_EMIT EnterPressed();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

} // namespace qdv
