#include "EditorRig.h"

#include "sim/SampleDataSet.h"

namespace qdv::test {

const QStringList EditorRig::kNameFiles = {"Name/ZEBU_NME.DAU",  "Name/ZEBU_ALS1.DAU", "Name/ZEBU_ALS2.DAU",
                                           "Name/ZEBU_ALS3.DAU", "Name/ZEBU_ALS4.DAU", "Name/ZEBU_ALS5.DAU",
                                           "Name/ZEBU_ALS6.DAU", "Name/ZEBU_ALS7.DAU"};

EditorRig::EditorRig() {
    EXPECT_TRUE(WriteSampleDataSet(dir.Path(), nullptr));
    setup.SetBackupDataPath(dir.Path());
    Load();
}

void EditorRig::Load() {
    tables = std::make_unique<ConversionTables>();
    tables->BuildTerminalLabels(setup);
    EXPECT_TRUE(tables->LoadDescriptions(setup));
    for (int k = 1; k <= AliasTables::kTables; ++k)
        EXPECT_TRUE(tables->LoadAliases(setup, k));
    EXPECT_TRUE(tables->LoadCrosspoints(setup));
}

QList<QByteArray> EditorRig::NameFiles() const {
    QList<QByteArray> files;
    for (const QString& f : kNameFiles)
        files << dir.Read(f);
    return files;
}

} // namespace qdv::test
