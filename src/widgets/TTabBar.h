#pragma once

#include <QTabBar>

namespace qdv {

// The main window's tab row, drawn by the window itself: each tab a face-coloured panel with its
// caption centred on one line, the current one raised above the others.
class TTabBar : public QTabBar {
    Q_OBJECT

public:
    explicit TTabBar(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qdv
