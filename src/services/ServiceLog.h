#pragma once

#include <QString>

#include <mutex>

namespace qdv {

// The hosted services' failure log: one line per failure appended to "log.txt" in the home folder and
// written to stderr as well, so that an operator running the services headless sees them at once. Both
// service threads write to it.
class ServiceLog {
public:
    static constexpr const char* kFileName = "log.txt";

    explicit ServiceLog(const QString& homeFolder);

    void Write(const QString& line);
    QString FilePath() const { return m_path; }

private:
    QString m_path;
    std::mutex m_mutex;
};

} // namespace qdv
