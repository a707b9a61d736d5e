#include "support/SetupsRig.h"

namespace qdv::test {

SetupRecord FullSetup(const QString& name, const QString& backup) {
    SetupRecord r;
    SetupList::SetNewSetupOptions(r); // every tab, button and Primary file; Remote3 port 1001
    r.name = name;
    r.SetBackupDataPath(backup);
    r.selectLan = true;
    r.ipAddress = QStringLiteral("127.0.0.1");
    return r;
}

SetupsRig::SetupsRig(const QStringList& names, bool fonts, int selected) {
    table->count = static_cast<int>(names.size());
    table->selected = names.isEmpty() ? -1 : selected;
    for (int i = 0; i < table->count; ++i) {
        SetupRecord& r = table->records[i];
        r = FullSetup(names[i], QStringLiteral("/data/") + names[i]);
        r.ipAddress = QStringLiteral("127.0.0.%1").arg(i + 1);
        r.comPort = 1;
        if (fonts)
            table->fonts[i] = SetupFont{0, -11, QStringLiteral("Font ") + names[i], 0, i + 1};
    }
    list.Save();
}

QStringList SetupsRig::Names() const {
    QStringList names;
    for (int i = 0; i < table->count; ++i)
        names << table->records[i].name;
    return names;
}

std::unique_ptr<SetupTable> SetupsRig::Reloaded() const {
    auto t = std::make_unique<SetupTable>();
    files.LoadSetupList(*t, MenuFont());
    return t;
}

} // namespace qdv::test
