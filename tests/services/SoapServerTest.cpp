#include "services/SoapServer.h"
#include "services/ConfigOperations.h"
#include "services/ServiceBindings.h"
#include "support/TestFolder.h"

#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace qdv;

namespace {

// A worker that waits for a keep-alive client's next request must not hold up Stop: with time-outs of
// an hour, Stop returns only if it ends that connection itself.
TEST(SoapServer, stopEndsAConnectionWaitingForItsNextRequest) {
    test::TestFolder folder;
    ImageStore images([](const QString&) {});
    ConfigOperations operations(images, [&] { return folder.Path(); });
    ServiceContext context{&operations, 0};
    SoapServer::Config c;
    c.name = "primarystation";
    c.namespaces = kPrimaryStationNamespaces;
    c.dispatch = DispatchPrimaryStation;
    c.user = &context;
    c.bindAddress = QStringLiteral("127.0.0.1");
    c.recvTimeoutSeconds = c.sendTimeoutSeconds = c.transferTimeoutSeconds = 3600;
    SoapServer server(c, [](const QString&) {});
    ASSERT_TRUE(server.Start());

    QTcpSocket client;
    client.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(server.Port()));
    ASSERT_TRUE(client.waitForConnected(30000));
    const QByteArray body = "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
                            "envelope/\"><s:Body><GetProductInfoReq xmlns=\"http://switcher.example/pro/"
                            "switcher/primarystation/configurationservice\"/></s:Body></s:Envelope>";
    client.write("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: keep-alive\r\nContent-Type: text/xml\r\n"
                 "Content-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray answer;
    while (!answer.contains("Envelope>") && client.waitForReadyRead(30000))
        answer += client.readAll();
    ASSERT_TRUE(answer.contains("ProductName")) << answer.toStdString();
    ASSERT_TRUE(answer.contains("keep-alive")) << answer.toStdString(); // the worker waits for more

    server.Stop();
    EXPECT_FALSE(server.Running());
    client.waitForReadyRead(30000);
    EXPECT_EQ(client.state(), QAbstractSocket::UnconnectedState); // the server closed the connection
}

} // namespace
