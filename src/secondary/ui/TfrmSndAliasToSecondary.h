#pragma once

#include "link/TransferJobs.h"
#include "secondary/ui/TfrmNamesToSecondary.h"

namespace qdv {

// The dialog that sends the alias tables to a secondary station or to all of them.
class TfrmSndAliasToSecondary : public TfrmNamesToSecondary {
public:
    explicit TfrmSndAliasToSecondary(StationDialogServices services, QWidget* parent = nullptr)
        : TfrmNamesToSecondary(std::move(services), kJobAliasToSecondary, parent) {}
};

} // namespace qdv
