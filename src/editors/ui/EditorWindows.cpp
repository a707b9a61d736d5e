#include "editors/ui/EditorWindows.h"

#include "convert/ConversionTables.h"
#include "editors/ui/TfrmEditCrosspoint.h"
#include "editors/ui/TfrmEditDescAndAlias.h"

namespace qdv {

void OpenEditor(QWidget* owner, EditorKind kind, ConversionTables& tables, const SetupRecord& setup,
                const SetupFont* font) {
    tables.Descriptions().Clear();
    if (kind == EditorKind::DescriptionAndAlias) {
        tables.Aliases().Clear();
        tables.BuildTerminalLabels(setup);
        tables.LoadDescriptions(setup);
        for (int k = 1; k <= 7; ++k)
            tables.LoadAliases(setup, k);
        TfrmEditDescAndAlias(tables, setup, font, owner).exec();
    } else {
        tables.Crosspoints().Clear();
        tables.BuildTerminalLabels(setup);
        tables.LoadDescriptions(setup);
        tables.LoadCrosspoints(setup);
        TfrmEditCrosspoint(tables, setup, font, owner).exec();
    }
}

} // namespace qdv
