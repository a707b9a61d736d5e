#pragma once

namespace qdv {

// The two editors: the descriptions with the alias tables, and the crosspoints.
enum class EditorKind { DescriptionAndAlias, Crosspoint };

} // namespace qdv
