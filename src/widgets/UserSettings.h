#pragma once

#include <QString>
#include <memory>

class QSettings;
class QTableView;
class QWidget;

namespace qdv {

// What the desktop program remembers for the user who runs it: window sizes, the editors' column
// widths, the "Verify after sending" box. It lives in the user's configuration folder
// (~/.config/qdv70/desktop.conf), never in the settings files beside the backup data, which are
// shared by every user and tool of a plant.
std::unique_ptr<QSettings> UserSettings();

// A window's size as the user left it, clamped to its screen; nothing when none is remembered.
void RestoreWindowSize(QWidget* window, const QString& key);
void SaveWindowSize(const QWidget* window, const QString& key);

// A grid's column widths as the user left them, each at least as wide as it is now (so that a column
// made for a larger font is never narrowed below what its texts need).
void RestoreColumnWidths(QTableView* grid, const QString& key);
void SaveColumnWidths(const QTableView* grid, const QString& key);

} // namespace qdv
