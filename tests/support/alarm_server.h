#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringDecoder>
#include <functional>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace testing_support {

// Lets Qt's events run, without moving the program's virtual time, until `done` holds or
// `seconds` of real time have passed. True when it holds.
bool pumpUntil(const std::function<bool()>& done, double seconds = 5);

// An alarm server on 127.0.0.1 for the alarm point to talk to. It records every message it
// receives as text (GBK on the wire), sends the messages a test scripts, and relays what a
// point sends to the others as the real server would: with the sender's name in front and,
// for chat lines, "{}" and a status behind. While it exists the program's fixed ports lead to
// it: the message port to this server, the download listener to a free port.
class AlarmServer : public QObject {
public:
    static constexpr int kMessagePort = 8192;
    static constexpr int kDownloadPort = 4096;

    struct Message {
        int client;
        QString text;
        bool operator==(const Message&) const = default;
    };

    AlarmServer();
    ~AlarmServer() override;

    int port() const;
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

    void send(int client, const QString& text);
    void sendBytes(int client, const QByteArray& bytes);
    // Ends the connection to a client from the server's side.
    void drop(int client);
    // Waits until the client's connection is gone.
    bool waitForDisconnect(int client);

private:
    struct Client {
        QPointer<QTcpSocket> socket;
        std::unique_ptr<QStringDecoder> decoder;
    };
    void accept();
    void arrived(int client);

    QTcpServer* server_;
    std::vector<Client> clients_;
};

} // namespace testing_support
