#pragma once

#include "link/TransferJobs.h"
#include "secondary/ui/TfrmNamesToSecondary.h"

namespace qdv {

// The dialog that sends the descriptions to a secondary station or to all of them.
class TfrmSndDescriptionToSecondary : public TfrmNamesToSecondary {
public:
    explicit TfrmSndDescriptionToSecondary(StationDialogServices services, QWidget* parent = nullptr)
        : TfrmNamesToSecondary(std::move(services), kJobDescriptionToSecondary, parent) {}
};

} // namespace qdv
