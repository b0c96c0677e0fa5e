#pragma once

#include "pump_until.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringDecoder>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class QTcpServer;
class QTcpSocket;

namespace testing_support {

// An alarm server on 127.0.0.1 for the alarm point to talk to. It records every message it
// receives as text (GBK on the wire), sends the messages a test scripts, and relays what a
// point sends to the others as the real server would: with the sender's name in front and,
// for chat lines, "{}" and a status behind. While it exists the program's fixed ports lead to
// it: the message port to this server, the download listener to a free port.
class AlarmServer : public QObject {
public:
    static constexpr int kMessagePort = 8192;
    static constexpr int kDownloadPort = 4096;
    static constexpr int kUploadPort = 2048;

    struct Message {
        int client;
        QString text;
        bool operator==(const Message&) const = default;
    };

    AlarmServer();
    ~AlarmServer() override;

    int port() const;
    // Where the program's upload channels really connect.
    int uploadPort() const;
    int clientCount() const;
    bool waitForClients(int n);
    // Every arrival at the server, in order; one arrival is one message.
    QList<Message> received;
    bool waitForMessages(int n);
    // The arrivals from one client.
    QStringList from(int client) const;

    // Relayed messages carry this in front of what the point sent ("A1" for client 1).
    static QString senderName(int client) { return QStringLiteral("A%1").arg(client + 1); }
    bool relay = false;
    // Answers every upload offer with an acceptance at once.
    bool acceptOffers = false;
    // Sent to every point as soon as it connects, when set.
    QString greeting;

    void send(int client, const QString& text);
    void sendBytes(int client, const QByteArray& bytes);
    // Sends the messages `next` gives, one after another, until it gives none (empty bytes).
    // The next message is handed over whenever less than one is left queued on the connection:
    // a point that reads slowly holds the stream back instead of the server's memory growing.
    void sendPaced(int client, std::function<QByteArray()> next);
    // Ends the connection to a client from the server's side.
    void drop(int client);
    // Waits until the client's connection is gone.
    bool waitForDisconnect(int client);

    // Uploads: what came on each data connection to the upload port, in the order the
    // connections came, and how many of them have ended.
    QList<QByteArray> uploads;
    int uploadsEnded = 0;
    // Every byte that came, kept or not; large uploads can be counted only.
    qint64 uploadBytes = 0;
    bool keepUploads = true;
    // The file the ended connections brought, their stretches joined in order.
    QByteArray uploadedFile() const;

    // Downloads: opens the three data connections to a point's listener, one after another,
    // and sends each its stretch of `file`. A channel can hold back some bytes of its stretch,
    // and the channels can stay open afterwards instead of closing.
    struct DownloadPlan {
        std::array<qint64, 3> withhold{};
        bool close = true;
    };
    bool sendDownload(int pointPort, const QByteArray& file, DownloadPlan plan);
    // The same from a file or other device (not owned), read as the connections drain.
    bool sendDownload(int pointPort, QIODevice* source, qint64 length, DownloadPlan plan);
    bool sendDownload(int pointPort, const QByteArray& file) {
        return sendDownload(pointPort, file, DownloadPlan{});
    }
    // Ends the download connections still open.
    void closeDownloads();

private:
    struct Client {
        QPointer<QTcpSocket> socket;
        std::unique_ptr<QStringDecoder> decoder;
    };
    struct DownloadStream {
        QPointer<QTcpSocket> socket;
        QIODevice* source = nullptr;
        qint64 next = 0, end = 0;
        bool close = true;
    };
    void accept();
    void arrived(int client);
    static void feed(DownloadStream& stream);

    QTcpServer* server_;
    QTcpServer* uploadServer_;
    std::vector<Client> clients_;
    std::vector<std::shared_ptr<DownloadStream>> downloads_;
};

} // namespace testing_support
