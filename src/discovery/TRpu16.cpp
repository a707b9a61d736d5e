#include "discovery/TRpu16.h"

#include "discovery/NetworkDeviceTable.h"

#include <QTimer>

namespace qdv {

namespace {
constexpr int kTickMs = 50;
}

TRpu16::TRpu16(NetworkDeviceTable& table, DiscoverySettings settings)
    : m_table(table), m_worker(table, std::move(settings)) {
    m_thread.setObjectName(QStringLiteral("QDV70 IP"));
}

TRpu16::~TRpu16() {
    Stop();
}

void TRpu16::Start() {
    if (m_thread.isRunning())
        return;
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    connect(&m_thread, &QThread::started, m_context, [this] {
        auto* timer = new QTimer(m_context);
        timer->setInterval(kTickMs);
        connect(timer, &QTimer::timeout, m_context, [this] { m_worker.Tick(); });
        timer->start();
        m_worker.Tick();
        m_started = true;
        Q_EMIT StartedReached();
    });
    // finished comes from the thread itself: the socket is closed where it lives.
    connect(
        &m_thread, &QThread::finished, this,
        [this] {
            m_worker.Close();
            delete m_context;
            m_context = nullptr;
        },
        Qt::DirectConnection);
    m_thread.start();
}

void TRpu16::Stop() {
    if (!m_thread.isRunning())
        return;
    m_thread.quit();
    m_thread.wait();
}

bool TRpu16::QueueRequest(int entry, int kind) {
    if (kind < 0 || kind > 2)
        return false;
    m_table.ClearAnswerStatus(entry);
    m_table.SetRequestKind(kind);
    return m_worker.Queue(kind);
}

} // namespace qdv
