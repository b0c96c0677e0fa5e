#include "platform/tcp_socket.h"

#include "support/pump_until.h"
#include "vbrt/errors.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using namespace platform;
using testing_support::pumpUntil;

namespace {

constexpr int kServerPort = 8192; // the alarm server's port as the program names it
constexpr int kListenPort = 4096;

// Records the events of a socket as short texts.
void record(TcpSocket& s, QStringList& log) {
    s.onConnect = [&log] { log << "connect"; };
    s.onDataArrival = [&log](qint64 n) { log << QString("data %1").arg(n); };
    s.onClose = [&log] { log << "close"; };
    s.onError = [&log](int number, const QString&) { log << QString("error %1").arg(number); };
}

// The far end is a plain Qt server that keeps the last connection it is given.
class TcpSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection,
                         [this] { peer = server.nextPendingConnection(); });
        const int port = server.serverPort();
        TcpSocket::setPortMap([port](int asked) {
            return asked == kServerPort ? port : asked == kListenPort ? 0 : asked;
        });
    }
    void TearDown() override {
        TcpSocket::setPortMap(nullptr);
        pumpUntil([] { return false; }, 0.02);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void connectToPeer(TcpSocket& s) {
        s.Connect("127.0.0.1", kServerPort);
        ASSERT_TRUE(pumpUntil([&] { return s.State() == TcpSocket::Connected && peer; }));
    }
    void send(const QByteArray& bytes) {
        peer->write(bytes);
        peer->flush();
    }
    QByteArray readAtPeer(qsizetype size) {
        QByteArray bytes;
        pumpUntil([&] { return (bytes += peer->readAll()).size() >= size; });
        return bytes;
    }

    QTcpServer server;
    QPointer<QTcpSocket> peer;
};

TEST_F(TcpSocketTest, StatesFollowTheConnectionUntilClosed) {
    struct Case {
        const char* name;
        bool peerListens;
        QList<int> states; // before, after Connect, after the first event, later, after Close
        QStringList events;
    };
    const QList<Case> cases = {
        {"the peer answers, then hangs up", true, {0, 6, 7, 8, 0}, {"connect", "close"}},
        {"nobody answers: the error stays until closed", false, {0, 6, 9, 9, 0}, {"error 10061"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.peerListens)
            server.close(); // its port now refuses
        TcpSocket s;
        QStringList log;
        record(s, log);
        QList<int> states{s.State()};

        s.Connect("127.0.0.1", kServerPort);
        states << s.State();
        pumpUntil([&] { return !log.isEmpty() && (peer || !c.peerListens); });
        states << s.State();
        if (peer)
            peer->disconnectFromHost();
        pumpUntil([&] { return log.size() == 2; }, 0.05);
        states << s.State();
        s.Close();
        states << s.State();

        EXPECT_EQ(states, c.states);
        EXPECT_EQ(log, c.events);
        peer = nullptr;
    }
}

// What the system is told about a peer that vanishes without a word (a pulled cable): an idle
// link is probed until the user timeout since the peer was last heard, and a send waiting for
// its acknowledgement stops the probes and is given up after the user timeout from that send.
// The worst case is a report sent just before the idle link would have been given up: the
// peer is given up within 150 s of its going either way.
TEST_F(TcpSocketTest, KeepAliveGivesUpADeadPeerWithin150SecondsBusyOrIdle) {
    TcpSocket s;
    s.setKeepAlive(true);
    connectToPeer(s);
    const auto* connection = s.findChild<QTcpSocket*>();
    ASSERT_NE(connection, nullptr);
    const auto option = [fd = int(connection->socketDescriptor())](int level, int name) {
        int value = -1;
        socklen_t size = sizeof value;
        getsockopt(fd, level, name, &value, &size);
        return value;
    };
    EXPECT_EQ(option(SOL_SOCKET, SO_KEEPALIVE), 1);
    const int idle = option(IPPROTO_TCP, TCP_KEEPIDLE), every = option(IPPROTO_TCP, TCP_KEEPINTVL);
    const int userTimeout = option(IPPROTO_TCP, TCP_USER_TIMEOUT) / 1000;
    ASSERT_GT(idle, 0);
    ASSERT_GT(every, 0);
    ASSERT_GT(userTimeout, 0);
    // The idle link goes at the first probe tick at or past the user timeout.
    const int idleFound = idle + (std::max(0, userTimeout - idle) + every - 1) / every * every;
    EXPECT_LE(idleFound + userTimeout, 150);
}

TEST_F(TcpSocketTest, TextsTravelInGbkAndASplitCharacterComesWhole) {
    TcpSocket s;
    QStringList texts;
    s.onDataArrival = [&](qint64) { texts << s.GetData(); };
    connectToPeer(s);

    s.SendData(QString("报警 1"));
    EXPECT_EQ(readAtPeer(6), QByteArray("\xB1\xA8\xBE\xAF 1"));

    send("\xCE\xC2\xB6"); // 温 and the first byte of 度
    ASSERT_TRUE(pumpUntil([&] { return texts.size() == 1; }));
    send("\xC8");
    ASSERT_TRUE(pumpUntil([&] { return texts.size() == 2; }));
    EXPECT_EQ(texts, QStringList({"温", "度"}));
}

// What comes while a handler waits comes as it came once it has returned. The goodbye is told
// inside the wait, and what came before it is given all the same, though the program closed.
TEST_F(TcpSocketTest, UntakenBytesAreAnnouncedAgainAndOutliveThePeer) {
    TcpSocket s;
    QStringList log;
    record(s, log);
    QList<QByteArray> meanwhile; // sent apart while the handler waits; an empty one hangs up
    s.onDataArrival = [&](qint64 n) {
        log << QString("data %1").arg(n);
        for (const QByteArray& piece : std::exchange(meanwhile, {})) {
            piece.isEmpty() ? peer->disconnectFromHost() : send(piece);
            pumpUntil([] { return false; }, 0.1);
        }
        log << "returned";
    };
    connectToPeer(s);

    meanwhile = {"de", "fg"};
    send("abc");
    pumpUntil([&] { return log.size() == 7; }, 2);
    EXPECT_EQ(s.GetBytes(), "abcdefg");

    s.onClose = [&] {
        log << "close";
        s.Close();
    };
    meanwhile = {"jk", ""};
    send("hi");
    ASSERT_TRUE(pumpUntil([&] { return log.size() == 12; }));
    EXPECT_EQ(log, QStringList({"connect", "data 3", "returned", "data 5", "returned", "data 7",
                                "returned", "data 2", "close", "returned", "data 2", "returned"}));
    EXPECT_EQ(s.State(), TcpSocket::Closed);
    EXPECT_EQ(s.GetBytes(), "jk");
}

// A handler that leaves what came unread holds at most the bound (a dialog open inside it
// would do the same); the peer is held back meanwhile, and once the program takes what it was
// given the rest comes, in order.
TEST_F(TcpSocketTest, WhatIsNotTakenIsBoundedAndTheRestWaitsWithThePeer) {
    TcpSocket s;
    int arrivals = 0;
    s.onDataArrival = [&](qint64) {
        if (++arrivals == 1)
            pumpUntil([] { return false; }, 0.5);
    };
    connectToPeer(s);
    QByteArray sent(32 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < sent.size(); ++i)
        sent[i] = char(i * 7 / 5);
    peer->write(sent);
    pumpUntil([] { return false; }, 0.5);
    EXPECT_GT(arrivals, 0);
    EXPECT_LE(s.BytesReceived(), TcpSocket::kReadBound);
    // The system's own buffers take a few megabytes; the rest stays with the peer.
    EXPECT_GT(peer->bytesToWrite(), 16 * 1024 * 1024);

    QByteArray got = s.GetBytes();
    s.onDataArrival = [&](qint64) { got += s.GetBytes(); };
    ASSERT_TRUE(pumpUntil([&] { return got.size() >= sent.size(); }, 20));
    EXPECT_TRUE(got == sent);
}

TEST_F(TcpSocketTest, SentBytesAreReportedAndStillArriveAfterAClose) {
    TcpSocket s;
    qint64 sent = 0;
    int completions = 0;
    s.onSendProgress = [&](qint64 bytes, qint64) { sent += bytes; };
    s.onSendComplete = [&] { ++completions; };
    connectToPeer(s);

    const QByteArray block(300'000, 'b');
    s.SendData(block);
    ASSERT_TRUE(pumpUntil([&] { return completions == 1; }));
    EXPECT_EQ(sent, block.size());

    // A file's last block goes out just before the sender closes.
    const QByteArray last(2'000'000, 'f');
    s.SendData(last);
    s.Close();
    EXPECT_EQ(s.State(), TcpSocket::Closed);
    EXPECT_EQ(readAtPeer(block.size() + last.size()), block + last);
}

// The accepted element is told of what came before the accept, and of what came while the
// handler of that first arrival waited, without the caller sending again.
TEST_F(TcpSocketTest, AnotherElementAcceptsAndGetsTheEarlyBytes) {
    TcpSocketArray sockets;
    QStringList log;
    QTcpSocket caller, turnedAway;
    bool firstWaits = true;
    sockets.wire([&](TcpSocket& s, int index) {
        s.onDataArrival = [&, index](qint64 n) {
            log << QString("data %1 %2").arg(index).arg(n);
            if (std::exchange(firstWaits, false)) {
                caller.write("more");
                pumpUntil([] { return false; }, 0.1);
            }
        };
        s.onConnectionRequest = [&](int requestID) {
            log << QString("request state %1").arg(sockets(0).State());
            if (sockets.exists(1))
                return; // only the first caller is taken
            // The program waits a little, so the caller's first bytes are in before the accept.
            pumpUntil([] { return false; }, 0.1);
            sockets.load(1);
            sockets(1).Accept(requestID);
            log << QString("accepted state %1").arg(sockets(1).State());
        };
    });
    TcpSocket& listener = sockets(0);
    listener.setLocalPort(kListenPort);
    listener.Listen();
    ASSERT_EQ(listener.State(), TcpSocket::Listening);

    caller.connectToHost(QHostAddress::LocalHost, quint16(listener.boundPort()));
    caller.write("early");
    ASSERT_TRUE(pumpUntil([&] { return log.size() == 4; }));
    EXPECT_EQ(log, QStringList({"request state 3", "accepted state 7", "data 1 5", "data 1 9"}));
    EXPECT_EQ(listener.State(), TcpSocket::Listening);
    EXPECT_EQ(sockets(1).GetBytes(), "earlymore");
    EXPECT_EQ(sockets(1).RemoteHostIP(), "127.0.0.1");

    turnedAway.connectToHost(QHostAddress::LocalHost, quint16(listener.boundPort()));
    EXPECT_TRUE(pumpUntil([&] { return turnedAway.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(log.last(), "request state 3");
}

TEST_F(TcpSocketTest, AnElementUnloadedInsideItsOwnCloseEventIsFreedSafely) {
    TcpSocketArray sockets;
    QStringList log;
    sockets.wire([&](TcpSocket& s, int index) {
        // The handler goes on after the unload with what it holds, as the program's do.
        const QString name = QString("element %1 unloaded").arg(index);
        s.onClose = [&sockets, &log, index, name] {
            sockets.unload(index);
            log << name;
        };
    });
    sockets.load(1);
    QPointer<TcpSocket> element = &sockets(1);
    connectToPeer(*element);

    peer->disconnectFromHost();
    ASSERT_TRUE(pumpUntil([&] { return element.isNull(); }));
    EXPECT_EQ(log, QStringList({"element 1 unloaded"}));
    EXPECT_THROW(sockets(1), vbrt::RuntimeError);
}

} // namespace
