#pragma once

#include "secondary/ui/TfrmSecondaryData.h"

namespace qdv {

// The receive face of the secondary data dialog.
class TfrmRcvSecondaryData : public TfrmSecondaryData {
public:
    explicit TfrmRcvSecondaryData(StationDialogServices services, QWidget* parent = nullptr)
        : TfrmSecondaryData(std::move(services), Direction::Receive, parent) {}
};

} // namespace qdv
