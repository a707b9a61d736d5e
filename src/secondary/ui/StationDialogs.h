#pragma once

#include "secondary/StationDialogModel.h"
#include "secondary/ui/TStationDialog.h"

class QWidget;

namespace qdv {

// Opens, modally, the dialog of a secondary function button of the main window: Secondary (place 3) on
// the Receive or the Send tab, Description to Secondary (4) or Alias to Secondary (5).
void OpenStationDialog(QWidget* owner, Direction direction, int place, StationDialogServices services,
                       const TStationDialog::DeviceSearch& search = {});

} // namespace qdv
