#include "secondary/ui/StationDialogs.h"

#include "secondary/ui/TfrmRcvSecondaryData.h"
#include "secondary/ui/TfrmSndAliasToSecondary.h"
#include "secondary/ui/TfrmSndDescriptionToSecondary.h"
#include "secondary/ui/TfrmSndSecondaryData.h"

#include <memory>

namespace qdv {

void OpenStationDialog(QWidget* owner, Direction direction, int place, StationDialogServices services,
                       const TStationDialog::DeviceSearch& search) {
    std::unique_ptr<TStationDialog> dialog;
    if (place == 3 && direction == Direction::Receive)
        dialog = std::make_unique<TfrmRcvSecondaryData>(std::move(services), owner);
    else if (place == 3)
        dialog = std::make_unique<TfrmSndSecondaryData>(std::move(services), owner);
    else if (place == 4 && direction == Direction::Send)
        dialog = std::make_unique<TfrmSndDescriptionToSecondary>(std::move(services), owner);
    else if (place == 5 && direction == Direction::Send)
        dialog = std::make_unique<TfrmSndAliasToSecondary>(std::move(services), owner);
    if (!dialog)
        return;
    dialog->SetDeviceSearch(search);
    dialog->exec();
}

} // namespace qdv
