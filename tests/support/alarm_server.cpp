#include "alarm_server.h"

#include "alarmpoint/transfer_math.h"
#include "platform/tcp_socket.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>

namespace testing_support {

namespace {
const QString kChatPrefix = QStringLiteral("zen-tur:~");
const QString kNoticeMarker = QStringLiteral("￥&#");
} // namespace

AlarmServer::AlarmServer() : server_(new QTcpServer(this)), uploadServer_(new QTcpServer(this)) {
    server_->listen(QHostAddress::LocalHost, 0);
    connect(server_, &QTcpServer::newConnection, this, &AlarmServer::accept);
    uploadServer_->listen(QHostAddress::LocalHost, 0);
    connect(uploadServer_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = uploadServer_->nextPendingConnection()) {
            const qsizetype index = uploads.size();
            uploads.append(QByteArray());
            const auto take = [this, s, index] {
                const QByteArray bytes = s->readAll();
                uploadBytes += bytes.size();
                if (keepUploads)
                    uploads[index] += bytes;
            };
            connect(s, &QTcpSocket::readyRead, this, take);
            connect(s, &QTcpSocket::disconnected, this, [this, s, take] {
                take();
                ++uploadsEnded;
                s->deleteLater();
            });
        }
    });
    const int messagePort = port();
    platform::TcpSocket::setPortMap([messagePort, uploadPort = uploadPort()](int p) {
        switch (p) {
        case kMessagePort:
            return messagePort;
        case kUploadPort:
            return uploadPort;
        case kDownloadPort:
            return 0;
        default:
            return p;
        }
    });
}

AlarmServer::~AlarmServer() {
    platform::TcpSocket::setPortMap({});
    closeDownloads();
    for (Client& c : clients_)
        if (c.socket)
            c.socket->abort();
}

int AlarmServer::port() const {
    return server_->serverPort();
}

int AlarmServer::uploadPort() const {
    return uploadServer_->serverPort();
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

void AlarmServer::sendPaced(int client, std::function<QByteArray()> next) {
    QTcpSocket* s = clients_.at(size_t(client)).socket;
    if (!s)
        return;
    struct Paced {
        std::function<QByteArray()> next;
        qint64 lastSize = 0;
        QMetaObject::Connection topUp;
    };
    auto paced = std::make_shared<Paced>();
    paced->next = std::move(next);
    const auto feedMessages = [s, paced] {
        while (paced->lastSize == 0 || s->bytesToWrite() < paced->lastSize) {
            const QByteArray bytes = paced->next();
            if (bytes.isEmpty()) {
                QObject::disconnect(paced->topUp);
                return;
            }
            s->write(bytes);
            paced->lastSize = bytes.size();
        }
    };
    paced->topUp = connect(s, &QTcpSocket::bytesWritten, this, feedMessages);
    feedMessages();
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
        // Each message leaves when it is sent, not joined to the next small one.
        s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(s, &QTcpSocket::readyRead, this, [this, index] { arrived(index); });
        if (!greeting.isEmpty())
            send(index, greeting);
    }
}

void AlarmServer::arrived(int client) {
    Client& c = clients_[size_t(client)];
    const QString text = (*c.decoder)(c.socket->readAll());
    received.append({client, text});
    if (acceptOffers && text.contains(QStringLiteral("\r\n&*%^")))
        send(client, QStringLiteral("OK*&^"));
    if (!relay || !text.contains(kChatPrefix))
        return;
    const QString tail = text.contains(kNoticeMarker) ? QString() : QStringLiteral("{}OK");
    for (int other = 0; other < clientCount(); ++other)
        if (other != client)
            send(other, senderName(client) + text + tail);
}

QByteArray AlarmServer::uploadedFile() const {
    QByteArray file;
    for (qsizetype i = 0; i < uploads.size() && i < uploadsEnded; ++i)
        file += uploads.at(i);
    return file;
}

bool AlarmServer::sendDownload(int pointPort, const QByteArray& file, DownloadPlan plan) {
    auto* buffer = new QBuffer(this);
    buffer->setData(file);
    buffer->open(QIODevice::ReadOnly);
    return sendDownload(pointPort, buffer, file.size(), plan);
}

bool AlarmServer::sendDownload(int pointPort, QIODevice* source, qint64 length, DownloadPlan plan) {
    const alarmpoint::FileSplit split = alarmpoint::splitFile(length);
    for (size_t n = 0; n < 3; ++n) {
        auto* s = new QTcpSocket(this);
        auto stream = std::make_shared<DownloadStream>();
        *stream = {s, source, split.start[n],
                   split.start[n] + std::max<qint64>(0, split.size[n] - plan.withhold[n]),
                   plan.close};
        downloads_.push_back(stream);
        // The point may take a connection and drop it again at once (a download it gave up).
        auto reached = std::make_shared<bool>(false);
        connect(s, &QTcpSocket::connected, s, [reached] { *reached = true; });
        connect(s, &QTcpSocket::bytesWritten, s, [stream] { feed(*stream); });
        s->connectToHost(QHostAddress::LocalHost, quint16(pointPort));
        if (!pumpUntil(
                [&] { return *reached || s->state() == QAbstractSocket::UnconnectedState; }) ||
            !*reached)
            return false;
        feed(*stream);
    }
    return true;
}

// Keeps a little queued on the connection, so a large file costs no more memory than a small.
void AlarmServer::feed(DownloadStream& stream) {
    constexpr qint64 kChunk = 64 * 1024, kQueued = 1024 * 1024;
    QTcpSocket* s = stream.socket;
    if (!s || s->state() != QAbstractSocket::ConnectedState)
        return;
    while (stream.next < stream.end && s->bytesToWrite() < kQueued) {
        stream.source->seek(stream.next);
        const QByteArray bytes = stream.source->read(std::min(kChunk, stream.end - stream.next));
        if (bytes.isEmpty())
            break;
        s->write(bytes);
        stream.next += bytes.size();
    }
    if (stream.next >= stream.end && stream.close) {
        stream.close = false;
        s->disconnectFromHost();
    }
}

void AlarmServer::closeDownloads() {
    for (const auto& stream : downloads_)
        if (stream->socket)
            stream->socket->abort();
    downloads_.clear();
}

} // namespace testing_support
