#include "alarm_server.h"

#include "platform/tcp_socket.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>

namespace testing_support {

namespace {
const QString kChatPrefix = QStringLiteral("zen-tur:~");
const QString kNoticeMarker = QStringLiteral("￥&#");
} // namespace

bool pumpUntil(const std::function<bool()>& done, double seconds) {
    QDeadlineTimer deadline(qint64(seconds * 1000));
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

AlarmServer::AlarmServer() : server_(new QTcpServer(this)) {
    server_->listen(QHostAddress::LocalHost, 0);
    connect(server_, &QTcpServer::newConnection, this, &AlarmServer::accept);
    const int messagePort = port();
    platform::TcpSocket::setPortMap([messagePort](int p) {
        if (p == kMessagePort)
            return messagePort;
        if (p == kDownloadPort)
            return 0;
        return p;
    });
}

AlarmServer::~AlarmServer() {
    platform::TcpSocket::setPortMap({});
    for (Client& c : clients_)
        if (c.socket)
            c.socket->abort();
}

int AlarmServer::port() const {
    return server_->serverPort();
}

int AlarmServer::clientCount() const {
    return int(clients_.size());
}

bool AlarmServer::waitForClients(int n) {
    return pumpUntil([&] { return clientCount() >= n; });
}

bool AlarmServer::waitForMessages(int n) {
    return pumpUntil([&] { return received.size() >= n; });
}

QStringList AlarmServer::from(int client) const {
    QStringList out;
    for (const Message& m : received)
        if (m.client == client)
            out << m.text;
    return out;
}

void AlarmServer::send(int client, const QString& text) {
    sendBytes(client, QStringEncoder("GBK").encode(text));
}

void AlarmServer::sendBytes(int client, const QByteArray& bytes) {
    QTcpSocket* s = clients_.at(size_t(client)).socket;
    if (!s)
        return;
    s->write(bytes);
    s->flush();
}

void AlarmServer::drop(int client) {
    if (QTcpSocket* s = clients_.at(size_t(client)).socket)
        s->disconnectFromHost();
}

bool AlarmServer::waitForDisconnect(int client) {
    return pumpUntil([&] {
        QTcpSocket* s = clients_.at(size_t(client)).socket;
        return !s || s->state() == QAbstractSocket::UnconnectedState;
    });
}

void AlarmServer::accept() {
    while (QTcpSocket* s = server_->nextPendingConnection()) {
        const int index = int(clients_.size());
        clients_.push_back({s, std::make_unique<QStringDecoder>("GBK")});
        connect(s, &QTcpSocket::readyRead, this, [this, index] { arrived(index); });
    }
}

void AlarmServer::arrived(int client) {
    Client& c = clients_[size_t(client)];
    const QString text = (*c.decoder)(c.socket->readAll());
    received.append({client, text});
    if (!relay || !text.contains(kChatPrefix))
        return;
    const QString tail = text.contains(kNoticeMarker) ? QString() : QStringLiteral("{}OK");
    for (int other = 0; other < clientCount(); ++other)
        if (other != client)
            send(other, senderName(client) + text + tail);
}

} // namespace testing_support
