#pragma once

namespace qdv {

// The routing switcher has this many sources and as many destinations, numbered from 1.
constexpr int kTerminalCount = 1024;

enum class Side { Source, Destination };

} // namespace qdv
