#pragma once

#include "vbrt/convert.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringDecoder>
#include <QtGlobal>
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace platform {

// The TCP socket control: one client connection, or one listener that hands the connections
// it is asked for to other sockets. Everything happens on the one event loop: the events below
// are called from it, so they arrive during every wait that lets events run. No operation
// throws; a failure shows as the error state and the error event.
//
// Texts go over the wire in a multi-byte code page (GBK by default); a character split
// between two arrivals is kept back and given with the next one.
//
// A socket keeps at most kReadBound bytes that the program has not taken, in Qt's buffer and
// in its own each: past that TCP holds the peer back, so a handler that does not read (or a
// dialog that keeps it from returning) costs no more memory whatever the peer sends. What was
// held back is announced once the program takes what it was given.
//
// One arrival brings at most a chunk (kReadBound unless set smaller); what follows it is
// announced once the event loop has had its turn, so that a peer that never pauses still
// leaves the windows their clicks, timers and paints.
//
// What the system delivers while the handler of an arrival waits with events running is
// announced after that handler has returned, as the arrivals it came in, one per turn of the
// event loop: a handler is never entered again from inside its own wait, and what a peer sent
// while the program was busy is neither merged nor dropped. At most kHeldArrivals are told
// apart; a peer that sends more pieces than that during one wait has the rest joined.
//
// The peer's close is told when it comes, inside such a wait too, so that the program can mend
// the link while the handler still waits; when no handler runs, what came before the goodbye is
// announced first. What the connection brought and the program was not given yet outlives it:
// it is kept (up to about kReadBound) through the program's close and its next connection, and
// announced ahead of anything that connection brings, whatever the state then.
class TcpSocket : public QObject {
    Q_OBJECT
public:
    enum State : int {
        Closed = 0,
        Open = 1,
        Listening = 2,
        ConnectionPending = 3,
        ResolvingHost = 4,
        HostResolved = 5,
        Connecting = 6,
        Connected = 7,
        Closing = 8, // the peer closed; the program has not closed its side yet
        Error = 9,   // stays until the program closes the socket
    };

    // Error numbers given to onError, as the program's messages know them.
    enum ErrorNumber : int {
        ErrAddressInUse = 10048,
        ErrNetworkUnreachable = 10051,
        ErrConnectionAborted = 10053,
        ErrConnectionReset = 10054,
        ErrTimedOut = 10060,
        ErrConnectionRefused = 10061,
        ErrHostNotFound = 11001,
        ErrOther = 40006,
    };

    static constexpr qint64 kReadBound = 1024 * 1024;
    static constexpr qsizetype kHeldArrivals = 4096;

    explicit TcpSocket(QObject* parent = nullptr);
    ~TcpSocket() override;

    QString RemoteHost() const { return remoteHost_; }
    void setRemoteHost(const QString& host) { remoteHost_ = host; }
    int RemotePort() const { return remotePort_; }
    void setRemotePort(int port) { remotePort_ = port; }
    // The port the program asked for (Listen binds it; see setPortMap for tests).
    int LocalPort() const { return localPort_; }
    void setLocalPort(int port) { localPort_ = port; }
    // The port really bound while listening (the one a peer dials), else 0.
    int boundPort() const;
    // The address of the peer while connected, and on a listener, while it announces a
    // connection request, the address of the peer asking.
    QString RemoteHostIP() const;

    int State() const { return state_; }

    // Connects to RemoteHost:RemotePort. Only from the closed state; in any other state it does
    // nothing (the program always closes first).
    void Connect();
    void Connect(const QString& host, int port);
    // Listens on LocalPort on every address. Only from the closed state.
    void Listen();
    // Takes over the connection that a listener announced with this request id; the socket
    // is connected from then on. An unknown or stale id leaves it as it is.
    void Accept(int requestID);
    // Hands the bytes of a text (in the socket's code page) or raw bytes to the connection.
    // Only while connected; in any other state nothing is sent.
    void SendData(const QString& text);
    void SendData(const QByteArray& bytes);
    // Takes everything received and not yet taken: as text (decoded, a split character kept
    // for the next call) or as raw bytes.
    QString GetData();
    QByteArray GetBytes();
    qint64 BytesReceived() const { return received_.size(); }
    // Bytes handed to SendData and not yet passed to the system.
    qint64 BytesToWrite() const;
    // Takes in at once what the system already holds for the connection and announces it a
    // chunk at a time, about kLastReadBytes at most: a program about to end handles what was sent
    // to it before it ends, even from a wait that runs no events.
    void readWhatArrived();
    static constexpr qint64 kLastReadBytes = 8 * kReadBound;
    // Closes the connection or stops listening; the state is closed at once. Bytes handed to
    // SendData before are still delivered.
    void Close();

    // The code page of texts; GBK unless set.
    void setCodePage(const char* name);

    // Keep-alive on every connection this socket makes or takes from now on: a peer gone
    // without a word (a pulled cable, a machine switched off) shows as a failed connection
    // within a minute of silence, or of a send it does not acknowledge: within two minutes
    // of the peer's going, whatever is sent meanwhile.
    void setKeepAlive(bool on) { keepAlive_ = on; }
    // At most this many bytes (1 .. kReadBound) in one arrival.
    void setReadChunk(qint64 bytes) { readChunk_ = std::clamp<qint64>(bytes, 1, kReadBound); }

    // Runs `fn` after the event handler now running has returned, while the socket exists.
    // A handler opens its dialogs through this: a dialog open inside a handler would stop
    // every later event of the socket until it is closed.
    void afterEvent(std::function<void()> fn);

    // Events.
    std::function<void()> onConnect;
    std::function<void(qint64 bytesTotal)> onDataArrival;
    std::function<void(int requestID)> onConnectionRequest;
    std::function<void()> onClose;
    std::function<void(qint64 bytesSent, qint64 bytesRemaining)> onSendProgress;
    std::function<void()> onSendComplete;
    std::function<void(int number, const QString& description)> onError;

    // Where the ports the program names are really dialled and bound: tests move the fixed
    // ports of the program to free ones (0 binds any free port). Identity by default.
    static void setPortMap(std::function<int(int)> map);
    // Hands what the program's connections, open or closed just now, still have to send to
    // the system, waiting at most `waitMs` in all: a program that ends straight after its last
    // message still sends it.
    static void deliverBeforeTheEnd(int waitMs);

private:
    void adopt(QTcpSocket* s);
    void hook(QTcpSocket* s);
    void dropConnection();
    void fail(int number, const QString& description);
    void socketStateChanged(int socketState);
    void socketError(int error);
    void peerClosed();
    void readArrived();
    // Notes what the system delivered since the last note as an arrival of its own.
    void noteArrival();
    // Takes in and announces one chunk of the oldest arrival; the bytes taken, 0 when there
    // was nothing to take or no room.
    qint64 readChunk();
    // Runs the arrival handler on what was taken.
    void announce();
    // Runs `fn` with what arrives meanwhile noted, not announced; it is announced from the
    // event loop once `fn` has returned.
    void holdingArrivals(const std::function<void()>& fn);
    // Announces, once the event loop is back, what was held back at the bound.
    void readHeldBack();
    // Moves what the ended connection brought and the program was not given into leftover_.
    void keepWhatCame();
    // Tells the peer's close unless it was told, or the program closed, already.
    void tellClose();
    void bytesWritten(qint64 bytes);
    void newConnections();
    static int mapPort(int port);

    QString remoteHost_;
    int remotePort_ = 0;
    int localPort_ = 0;
    int state_ = Closed;
    QPointer<QTcpSocket> socket_;
    QPointer<QTcpServer> server_;
    QPointer<QTcpSocket> requesting_;
    QByteArray received_;
    // The sizes of the arrivals that wait in the connection's buffer, oldest first; bytes
    // past their sum came since the last note.
    std::deque<qint64> held_;
    qint64 heldBytes_ = 0;
    // The arrivals a connection that ended brought and the program was not given, oldest
    // first; announced before anything else.
    std::deque<QByteArray> leftover_;
    qint64 leftoverBytes_ = 0;
    // The handler of an arrival is running (or the program's end is taking what came).
    bool announcing_ = false;
    bool closeUntold_ = false;
    bool readQueued_ = false;
    bool keepAlive_ = false;
    qint64 readChunk_ = kReadBound;
    QByteArray codePage_ = vbrt::kAnsiCodePage;
    std::unique_ptr<QStringDecoder> decoder_;
};

// Sockets that share one set of handlers, each getting its index. Element 0 exists from the
// start; the others are loaded and unloaded while the program runs. An element unloaded from inside
// one of its own events is closed at once and freed once that event has returned.
class TcpSocketArray {
public:
    TcpSocketArray();
    ~TcpSocketArray();
    TcpSocketArray(const TcpSocketArray&) = delete;
    TcpSocketArray& operator=(const TcpSocketArray&) = delete;

    bool exists(int index) const { return elements_.count(index) > 0; }
    // The element; raises the subscript error when it is not loaded.
    TcpSocket& operator()(int index) const;
    // A new closed element with the handlers of the array. False when it exists already.
    bool load(int index);
    // Closes and removes an element. False when it does not exist.
    bool unload(int index);

    // Connects every element, present and future, to the window's handlers.
    void wire(std::function<void(TcpSocket&, int)> fn);

private:
    std::map<int, TcpSocket*> elements_;
    std::function<void(TcpSocket&, int)> wire_;
};

} // namespace platform
