#pragma once

#include "editors/EditorKind.h"

class QWidget;

namespace qdv {

class ConversionTables;
struct SetupFont;
struct SetupRecord;

// Opens an editor modally on fresh tables: the descriptions with the alias tables, or the descriptions
// with the crosspoints, loaded from the setup's backup folder into `tables`.
void OpenEditor(QWidget* owner, EditorKind kind, ConversionTables& tables, const SetupRecord& setup,
                const SetupFont* font);

} // namespace qdv
