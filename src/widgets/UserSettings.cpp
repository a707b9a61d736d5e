#include "widgets/UserSettings.h"

#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QWidget>
#include <algorithm>

namespace qdv {

std::unique_ptr<QSettings> UserSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("qdv70"),
                                       QStringLiteral("desktop"));
}

void RestoreWindowSize(QWidget* window, const QString& key) {
    const QSize size = UserSettings()->value(QStringLiteral("windows/%1/size").arg(key)).toSize();
    if (!size.isValid())
        return;
    QSize limit = size;
    if (const QScreen* screen = window->screen())
        limit = screen->availableGeometry().size();
    window->resize(std::min(size.width(), limit.width()), std::min(size.height(), limit.height()));
}

void SaveWindowSize(const QWidget* window, const QString& key) {
    UserSettings()->setValue(QStringLiteral("windows/%1/size").arg(key), window->size());
}

void RestoreColumnWidths(QTableView* grid, const QString& key) {
    const QStringList widths =
        UserSettings()->value(QStringLiteral("grids/%1/columns").arg(key)).toStringList();
    const int columns = std::min(static_cast<int>(widths.size()), grid->horizontalHeader()->count());
    for (int c = 0; c < columns; ++c) {
        bool ok = false;
        const int width = widths[c].toInt(&ok);
        if (ok && width > grid->columnWidth(c))
            grid->setColumnWidth(c, width);
    }
}

void SaveColumnWidths(const QTableView* grid, const QString& key) {
    QStringList widths;
    for (int c = 0; c < grid->horizontalHeader()->count(); ++c)
        widths << QString::number(grid->columnWidth(c));
    UserSettings()->setValue(QStringLiteral("grids/%1/columns").arg(key), widths);
}

} // namespace qdv
