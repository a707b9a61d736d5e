#include "store/JobKind.h"

namespace qdv {

QString JobKindName(JobKind kind) {
    static const char* const kNames[kJobKinds] = {"Primary",
                                                  "Description",
                                                  "Crosspoint",
                                                  "Secondary",
                                                  "Description to Secondary",
                                                  "Alias to Secondary",
                                                  "Station menu"};
    return kind >= 0 && kind < kJobKinds ? QLatin1String(kNames[kind]) : QStringLiteral("job %1").arg(kind);
}

} // namespace qdv
