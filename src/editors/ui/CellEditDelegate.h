#pragma once

#include <QStyledItemDelegate>

class QLineEdit;

namespace qdv {

// The in-place editor of the description editor's text cells: a line editor that refuses, as it is
// typed or pasted, whatever the cell cannot hold (DescAliasEditor::RefuseEdit), and reports Enter and
// its context menu to the window.
class CellEditDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CellEditDelegate(int firstTextColumn, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), m_firstTextColumn(firstTextColumn) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    // The line editor now open, null when there is none.
    QLineEdit* OpenEditor() const { return m_open; }

Q_SIGNALS:
    void Refused(const QString& why) const;
    void EnterPressed() const;
    void MenuRequested(const QPoint& globalPos) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_firstTextColumn;
    mutable QLineEdit* m_open = nullptr;
};

} // namespace qdv
