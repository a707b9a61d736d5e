#pragma once

#include "store/FolderLock.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <future>
#include <thread>

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

// Another writer of a folder, as a second program would be: holds the folder's lock on a thread of its
// own from construction until released.
class OtherWriter {
public:
    OtherWriter(const QString& folder, const QString& job) {
        std::promise<void> taken;
        m_thread = std::thread([&taken, folder, job, done = m_release.get_future()] {
            FolderLock lock;
            lock.TryLock(folder, job);
            taken.set_value();
            done.wait();
        });
        taken.get_future().wait();
    }
    ~OtherWriter() { Release(); }
    void Release() {
        if (!m_thread.joinable())
            return;
        m_release.set_value();
        m_thread.join();
    }

private:
    std::promise<void> m_release;
    std::thread m_thread;
};

} // namespace qdv::test
