#pragma once

#include "setups/SetupList.h"
#include "store/TmFile.h"
#include "support/QtPrinters.h"
#include "support/TestFolder.h"

#include <QStringList>
#include <memory>

namespace qdv::test {

// A LAN setup on 127.0.0.1 whose backup data path is `backup`, with every tab and button.
SetupRecord FullSetup(const QString& name, const QString& backup);

// A home folder whose QDV70LIST.INI holds the named setups, loaded into a table with a setup list over
// it. Setup i (1-based) has the backup path /data/<name>, LAN address 127.0.0.i and, when fonts are
// asked for, a font named "Font <name>" of size i.
struct SetupsRig {
    explicit SetupsRig(const QStringList& names, bool fonts = false, int selected = 0);

    // The setups' names in table order.
    QStringList Names() const;
    // The table as it reads back from the file.
    std::unique_ptr<SetupTable> Reloaded() const;
    QByteArray FileBytes() const { return home.Read(QStringLiteral("QDV70LIST.INI")); }

    TestFolder home;
    TmFile files{home.Path()};
    std::unique_ptr<SetupTable> table = std::make_unique<SetupTable>();
    SetupList list{*table, files};
};

} // namespace qdv::test
