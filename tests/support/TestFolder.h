#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace qdv::test {

// A temporary folder removed at the end of the test, with helpers to lay out and read back files.
class TestFolder {
public:
    TestFolder();

    QString Path() const { return m_dir.path(); }
    // Absolute path of a relative one inside the folder.
    QString FilePath(const QString& relative) const;
    // Writes a file, creating its folders.
    void Write(const QString& relative, const QByteArray& data) const;
    QByteArray Read(const QString& relative) const;
    bool Exists(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

// Bytes of a file under tests/data.
QByteArray ReadTestData(const QString& relative);

} // namespace qdv::test
