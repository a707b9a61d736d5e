#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace qdv::test {

TestFolder::TestFolder() {
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TestFolder::FilePath(const QString& relative) const {
    return QDir(m_dir.path()).filePath(relative);
}

void TestFolder::Write(const QString& relative, const QByteArray& data) const {
    const QString path = FilePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        throw std::runtime_error("cannot write test file");
}

QByteArray TestFolder::Read(const QString& relative) const {
    QFile f(FilePath(relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool TestFolder::Exists(const QString& relative) const {
    return QFileInfo::exists(FilePath(relative));
}

QByteArray ReadTestData(const QString& relative) {
    QFile f(QDir(QStringLiteral(QDV70_TEST_DATA)).filePath(relative));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing test data file");
    return f.readAll();
}

} // namespace qdv::test
