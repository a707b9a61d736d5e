#pragma once

#include "netctl/XmlConnection.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QTcpSocket;

namespace qdv {

// The XML exchange's connection over QTcpSocket. It lives in the link engine's thread; the notify
// callback is called there whenever the connection changes or bytes arrive, so the sequence is stepped
// at once instead of on its next tick.
class TcpXmlConnection final : public QObject, public XmlConnection {
    Q_OBJECT

public:
    explicit TcpXmlConnection(QObject* parent = nullptr);
    ~TcpXmlConnection() override;

    void SetNotify(std::function<void()> notify) { m_notify = std::move(notify); }

    bool Open(const QString& host, quint16 port) override;
    State CurrentState() const override { return m_state; }
    bool Send(QByteArrayView bytes) override;
    QByteArray Answer() const override { return m_answer; }
    void Close() override;

private:
    void TakeBytes();
    void Notify();

    QPointer<QTcpSocket> m_socket;
    std::function<void()> m_notify;
    State m_state = State::Closed;
    QByteArray m_answer;
};

} // namespace qdv
