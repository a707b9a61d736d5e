#pragma once

#include "secondary/ui/TfrmSecondaryData.h"

namespace qdv {

// The send face of the secondary data dialog.
class TfrmSndSecondaryData : public TfrmSecondaryData {
public:
    explicit TfrmSndSecondaryData(StationDialogServices services, QWidget* parent = nullptr)
        : TfrmSecondaryData(std::move(services), Direction::Send, parent) {}
};

} // namespace qdv
