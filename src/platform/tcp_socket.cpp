#include "platform/tcp_socket.h"

#include "vbrt/errors.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <utility>

namespace platform {

namespace {

// Keep-alive: after this much silence the system probes the peer, this many times this far
// apart, and gives the peer up a minute after it last heard from it. The same minute bounds a
// send the peer does not acknowledge, counted from that send; the system probes no link
// with a send waiting. So a link that dies idle is found within a minute, and one found busy
// by a report sent just before that minute is out within two.
constexpr int kKeepIdleSeconds = 30;
constexpr int kKeepIntervalSeconds = 10;
constexpr int kKeepProbes = 3;
constexpr unsigned kDeadPeerMs = (kKeepIdleSeconds + kKeepProbes * kKeepIntervalSeconds) * 1000;

void keepAlive(const QTcpSocket* s) {
    const auto fd = int(s->socketDescriptor());
    if (fd < 0)
        return;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepIdleSeconds, sizeof kKeepIdleSeconds);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepIntervalSeconds, sizeof kKeepIntervalSeconds);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepProbes, sizeof kKeepProbes);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kDeadPeerMs, sizeof kDeadPeerMs);
}

// How long a closed connection may take to deliver what was sent before it is dropped.
constexpr int kLingerMs = 60'000;

std::function<int(int)>& portMap() {
    static std::function<int(int)> map;
    return map;
}

// Every connection the program made or took, while it exists.
std::vector<QPointer<QTcpSocket>>& connections() {
    static std::vector<QPointer<QTcpSocket>> all;
    return all;
}

// Connections a listener has announced and nobody has taken yet, by request id.
struct PendingConnection {
    QPointer<QTcpSocket> socket;
    QPointer<TcpSocket> listener;
};

std::map<int, PendingConnection>& pendingConnections() {
    static std::map<int, PendingConnection> pending;
    return pending;
}

int nextRequestID() {
    static int last = 0;
    return ++last;
}

void boundReading(QTcpSocket* s) {
    s->setReadBufferSize(TcpSocket::kReadBound);
}

void closePending(QTcpSocket* s) {
    if (!s)
        return;
    s->abort();
    s->deleteLater();
}

// A handler may unload its own socket, which clears the handlers: the call runs on a copy so
// that the function being run is not destroyed under it.
template <typename F, typename... Args> void emitEvent(const F& handler, Args... args) {
    if (!handler)
        return;
    const F call = handler;
    call(args...);
}

struct SocketFailure {
    int number;
    const char* description;
};

SocketFailure failureOf(QAbstractSocket::SocketError error, bool connected) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return {TcpSocket::ErrConnectionRefused, "Connection is refused"};
    case QAbstractSocket::HostNotFoundError:
        return {TcpSocket::ErrHostNotFound, "Host not found"};
    case QAbstractSocket::SocketTimeoutError:
        return {TcpSocket::ErrTimedOut, "Connection timed out"};
    case QAbstractSocket::AddressInUseError:
        return {TcpSocket::ErrAddressInUse, "Address in use"};
    case QAbstractSocket::RemoteHostClosedError:
        return {TcpSocket::ErrConnectionReset, "Connection is reset by the peer"};
    case QAbstractSocket::NetworkError:
        if (connected)
            return {TcpSocket::ErrConnectionAborted, "Connection is aborted"};
        return {TcpSocket::ErrNetworkUnreachable, "Network is unreachable"};
    default:
        return {TcpSocket::ErrOther, nullptr};
    }
}

} // namespace

TcpSocket::TcpSocket(QObject* parent) : QObject(parent) {}

TcpSocket::~TcpSocket() {
    Close();
}

void TcpSocket::setPortMap(std::function<int(int)> map) {
    portMap() = std::move(map);
}

int TcpSocket::mapPort(int port) {
    const auto& map = portMap();
    return map ? map(port) : port;
}

int TcpSocket::boundPort() const {
    return server_ && server_->isListening() ? server_->serverPort() : 0;
}

QString TcpSocket::RemoteHostIP() const {
    const QTcpSocket* s = state_ == ConnectionPending ? requesting_.data() : socket_.data();
    if (!s || (state_ != Connected && state_ != Closing && state_ != ConnectionPending))
        return {};
    const QHostAddress peer = s->peerAddress();
    // A listener on every address sees IPv4 peers as IPv6-mapped; the program expects dotted
    // IPv4 texts.
    bool isIPv4 = false;
    const quint32 ipv4 = peer.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : peer.toString();
}

void TcpSocket::setCodePage(const char* name) {
    codePage_ = name;
    if (decoder_)
        decoder_ = std::make_unique<QStringDecoder>(codePage_.constData());
}

void TcpSocket::Connect(const QString& host, int port) {
    if (state_ != Closed)
        return;
    remoteHost_ = host;
    remotePort_ = port;
    Connect();
}

void TcpSocket::Connect() {
    if (state_ != Closed)
        return;
    if (!socket_)
        hook(new QTcpSocket(this));
    decoder_ = std::make_unique<QStringDecoder>(codePage_.constData());
    state_ = Connecting;
    // The states of the attempt follow from the socket's own state changes.
    socket_->connectToHost(remoteHost_, quint16(mapPort(remotePort_)));
}

void TcpSocket::Listen() {
    if (state_ != Closed)
        return;
    server_ = new QTcpServer(this);
    connect(server_, &QTcpServer::newConnection, this, &TcpSocket::newConnections);
    if (!server_->listen(QHostAddress::Any, quint16(mapPort(localPort_)))) {
        const SocketFailure f = failureOf(server_->serverError(), false);
        const QString description =
            f.description ? QString::fromLatin1(f.description) : server_->errorString();
        delete server_;
        fail(f.number, description);
        return;
    }
    state_ = Listening;
}

void TcpSocket::newConnections() {
    QPointer<TcpSocket> self(this);
    while (self && server_ && server_->hasPendingConnections()) {
        QTcpSocket* s = server_->nextPendingConnection();
        boundReading(s);
        const int id = nextRequestID();
        pendingConnections()[id] = {s, this};
        state_ = ConnectionPending;
        requesting_ = s;
        emitEvent(onConnectionRequest, id);
        if (self)
            requesting_ = nullptr;
        // Nobody took the connection: the peer is turned away.
        auto& pending = pendingConnections();
        if (auto it = pending.find(id); it != pending.end()) {
            closePending(it->second.socket);
            pending.erase(it);
        }
        if (self && state_ == ConnectionPending)
            state_ = Listening;
    }
}

void TcpSocket::Accept(int requestID) {
    auto& pending = pendingConnections();
    const auto it = pending.find(requestID);
    if (it == pending.end())
        return;
    QPointer<QTcpSocket> s = it->second.socket;
    pending.erase(it);
    if (!s)
        return;
    // Taken out of the listener first: closing a listener (this one, perhaps) drops its children.
    s->setParent(this);
    Close();
    adopt(s);
}

void TcpSocket::adopt(QTcpSocket* s) {
    hook(s);
    if (keepAlive_)
        keepAlive(s);
    decoder_ = std::make_unique<QStringDecoder>(codePage_.constData());
    state_ = Connected;
    // What came before the accept is one arrival, announced from the event loop, not from
    // inside Accept (which usually runs in the listener's connection request).
    noteArrival();
    QMetaObject::invokeMethod(
        this,
        [this, s = QPointer<QTcpSocket>(s)] {
            if (!s || s != socket_ || state_ != Connected)
                return;
            QPointer<TcpSocket> self(this);
            readChunk();
            // The goodbye came before the connection was hooked.
            if (self && s == socket_ && state_ == Connected &&
                s->state() == QAbstractSocket::UnconnectedState)
                peerClosed();
        },
        Qt::QueuedConnection);
}

void TcpSocket::hook(QTcpSocket* s) {
    std::erase_if(connections(), [](const QPointer<QTcpSocket>& c) { return c.isNull(); });
    connections().emplace_back(s);
    socket_ = s;
    boundReading(s);
    connect(s, &QAbstractSocket::stateChanged, this, &TcpSocket::socketStateChanged);
    connect(s, &QAbstractSocket::errorOccurred, this, &TcpSocket::socketError);
    connect(s, &QIODevice::readyRead, this, &TcpSocket::readArrived);
    // Unlike readyRead, raised inside the handler's waits too: each delivery is noted there.
    connect(s, &QIODevice::channelReadyRead, this, &TcpSocket::noteArrival);
    connect(s, &QAbstractSocket::disconnected, this, [this] {
        if (state_ == Connected)
            peerClosed();
    });
    connect(s, &QIODevice::bytesWritten, this, &TcpSocket::bytesWritten);
}

void TcpSocket::socketStateChanged(int socketState) {
    if (state_ != ResolvingHost && state_ != HostResolved && state_ != Connecting)
        return;
    switch (socketState) {
    case QAbstractSocket::HostLookupState:
        state_ = ResolvingHost;
        return;
    case QAbstractSocket::ConnectingState:
        state_ = Connecting;
        return;
    case QAbstractSocket::ConnectedState:
        state_ = Connected;
        if (keepAlive_ && socket_)
            keepAlive(socket_);
        emitEvent(onConnect);
        return;
    default:
        return;
    }
}

void TcpSocket::socketError(int error) {
    if (state_ == Closed || state_ == Error || state_ == Closing)
        return;
    const auto socketError = QAbstractSocket::SocketError(error);
    if (socketError == QAbstractSocket::RemoteHostClosedError && state_ == Connected) {
        peerClosed();
        return;
    }
    const SocketFailure f = failureOf(socketError, state_ == Connected);
    if (f.description || !socket_)
        fail(f.number, QString::fromLatin1(f.description));
    else
        fail(f.number, socket_->errorString());
}

void TcpSocket::fail(int number, const QString& description) {
    state_ = Error;
    emitEvent(onError, number, description);
}

void TcpSocket::peerClosed() {
    state_ = Closing;
    keepWhatCame();
    // A handler that waits hears of it at once: the program mends the link meanwhile, and what
    // came before the goodbye follows once the handler has returned.
    if (announcing_) {
        emitEvent(onClose);
        return;
    }
    // What came with the goodbye is given before it; should one of its handlers wait, the close
    // is told inside that wait.
    closeUntold_ = true;
    QMetaObject::invokeMethod(this, &TcpSocket::tellClose, Qt::QueuedConnection);
    QPointer<TcpSocket> self(this);
    while (self && state_ == Closing && readChunk()) {
    }
    if (self)
        tellClose();
}

void TcpSocket::tellClose() {
    if (std::exchange(closeUntold_, false) && state_ == Closing)
        emitEvent(onClose);
}

void TcpSocket::keepWhatCame() {
    if (!socket_)
        return;
    // After the goodbye the connection's buffer holds everything up to it. Past the bound the
    // rest stays in the connection, given from there unless the program closes it first.
    noteArrival();
    while (!held_.empty() && leftoverBytes_ < kReadBound) {
        QByteArray bytes = socket_->read(held_.front());
        held_.pop_front();
        heldBytes_ -= bytes.size();
        leftoverBytes_ += bytes.size();
        if (qsizetype(leftover_.size()) < kHeldArrivals)
            leftover_.push_back(std::move(bytes));
        else
            leftover_.back() += bytes;
    }
}

void TcpSocket::readArrived() {
    // Inside the handler's own wait (a nested loop, or a held-back arrival's turn): kept for
    // when it has returned.
    if (announcing_) {
        noteArrival();
        return;
    }
    // The rest, and what came while the handler waited, follow once the event loop has had
    // its turn (see holdingArrivals).
    readChunk();
}

void TcpSocket::noteArrival() {
    if (!socket_)
        return;
    const qint64 buffered = socket_->bytesAvailable();
    if (buffered < heldBytes_) {
        // Taken by someone else: what is left is one arrival.
        held_.clear();
        heldBytes_ = 0;
    }
    if (buffered == heldBytes_)
        return;
    if (qsizetype(held_.size()) < kHeldArrivals)
        held_.push_back(buffered - heldBytes_);
    else
        held_.back() += buffered - heldBytes_;
    heldBytes_ = buffered;
}

qint64 TcpSocket::readChunk() {
    const qint64 room = readChunk_ - received_.size();
    if (room <= 0)
        return 0;
    qint64 taken = 0;
    // A chunk of a larger arrival leaves the rest of it in front.
    if (!leftover_.empty()) {
        QByteArray& front = leftover_.front();
        taken = std::min(room, qint64(front.size()));
        received_.append(QByteArrayView(front).first(taken));
        leftoverBytes_ -= taken;
        if (taken == front.size())
            leftover_.pop_front();
        else
            front.remove(0, taken);
    } else {
        if (!socket_)
            return 0;
        noteArrival();
        if (held_.empty())
            return 0;
        const QByteArray bytes = socket_->read(std::min(room, held_.front()));
        taken = bytes.size();
        received_ += bytes;
        heldBytes_ -= taken;
        if ((held_.front() -= taken) <= 0)
            held_.pop_front();
    }
    announce();
    return taken;
}

void TcpSocket::announce() {
    holdingArrivals([this] { emitEvent(onDataArrival, qint64(received_.size())); });
}

void TcpSocket::holdingArrivals(const std::function<void()>& fn) {
    // Not a QScopedValueRollback: `fn` may free the socket.
    QPointer<TcpSocket> self(this);
    const bool outer = !announcing_;
    announcing_ = true;
    fn();
    if (!self || !outer)
        return;
    announcing_ = false;
    // The rest of a chunked arrival, and what came while `fn` waited.
    readHeldBack();
}

void TcpSocket::readWhatArrived() {
    // Only ever waited for bytes the system says it holds.
    constexpr int kLastReadWaitMs = 100;
    // What the waits bring in is noted, not announced from inside them: the loop gives it.
    holdingArrivals([this] {
        QPointer<TcpSocket> self(this);
        // What an ended connection left comes first, whatever the state.
        for (qint64 taken = 0; taken < kLastReadBytes && self;) {
            if (const qint64 bytes = readChunk()) {
                taken += bytes;
                continue;
            }
            // Left unread by the handler, or no connection that brings more: nothing more can
            // be given.
            if (received_.size() >= readChunk_ || !socket_ || state_ != Connected)
                return;
            // Brings what the system holds into the socket's buffer. Asked only when there is
            // something: a wait that finds nothing counts as a failure.
            pollfd ready{int(socket_->socketDescriptor()), POLLIN, 0};
            if (::poll(&ready, 1, 0) <= 0 || !socket_->waitForReadyRead(kLastReadWaitMs))
                return;
        }
    });
}

void TcpSocket::readHeldBack() {
    if (readQueued_ || (leftover_.empty() && (!socket_ || socket_->bytesAvailable() == 0)))
        return;
    readQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            readQueued_ = false;
            readArrived();
        },
        Qt::QueuedConnection);
}

void TcpSocket::afterEvent(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void TcpSocket::bytesWritten(qint64 bytes) {
    if (!socket_ || state_ != Connected)
        return;
    QPointer<TcpSocket> self(this);
    emitEvent(onSendProgress, bytes, socket_->bytesToWrite());
    // The progress handler may have handed over more bytes: complete means nothing is left.
    if (self && socket_ && socket_->bytesToWrite() == 0)
        emitEvent(onSendComplete);
}

qint64 TcpSocket::BytesToWrite() const {
    return socket_ && state_ == Connected ? socket_->bytesToWrite() : 0;
}

QString TcpSocket::GetData() {
    if (!decoder_)
        decoder_ = std::make_unique<QStringDecoder>(codePage_.constData());
    const QString text = decoder_->decode(received_);
    received_.clear();
    readHeldBack();
    return text;
}

QByteArray TcpSocket::GetBytes() {
    QByteArray bytes;
    bytes.swap(received_);
    readHeldBack();
    return bytes;
}

void TcpSocket::SendData(const QString& text) {
    if (state_ != Connected || !socket_)
        return;
    QStringEncoder encoder(codePage_.constData());
    socket_->write(encoder.encode(text));
}

void TcpSocket::SendData(const QByteArray& bytes) {
    if (state_ != Connected || !socket_)
        return;
    socket_->write(bytes);
}

void TcpSocket::Close() {
    state_ = Closed;
    received_.clear();
    held_.clear();
    heldBytes_ = 0;
    // leftover_ stays: it came before this close and is still to be given.
    closeUntold_ = false;
    decoder_.reset();
    if (server_) {
        QTcpServer* server = server_;
        server_ = nullptr;
        server->disconnect(this);
        server->close();
        server->deleteLater();
        auto& pending = pendingConnections();
        for (auto it = pending.begin(); it != pending.end();) {
            if (it->second.listener != this) {
                ++it;
                continue;
            }
            closePending(it->second.socket);
            it = pending.erase(it);
        }
    }
    dropConnection();
}

void TcpSocket::dropConnection() {
    QTcpSocket* s = socket_;
    socket_ = nullptr;
    if (!s)
        return;
    s->disconnect(this);
    if (s->state() == QAbstractSocket::UnconnectedState) {
        s->deleteLater();
        return;
    }
    QObject* app = QCoreApplication::instance();
    if (!app) {
        delete s;
        return;
    }
    // Bytes handed over just before the close (the last block of a file) still go out: the
    // connection lives on by itself until it has delivered them or the time is up.
    s->setParent(app);
    connect(s, &QAbstractSocket::disconnected, s, &QObject::deleteLater);
    QTimer::singleShot(kLingerMs, s, &QObject::deleteLater);
    s->disconnectFromHost();
}

void TcpSocket::deliverBeforeTheEnd(int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    for (const QPointer<QTcpSocket>& s : connections()) {
        while (s && s->bytesToWrite() > 0 && !deadline.hasExpired() &&
               (s->state() == QAbstractSocket::ConnectedState ||
                s->state() == QAbstractSocket::ClosingState)) {
            if (!s->waitForBytesWritten(int(deadline.remainingTime())))
                break;
        }
    }
}

TcpSocketArray::TcpSocketArray() {
    elements_[0] = new TcpSocket;
}

TcpSocketArray::~TcpSocketArray() {
    for (auto& [index, socket] : elements_)
        delete socket;
}

TcpSocket& TcpSocketArray::operator()(int index) const {
    const auto it = elements_.find(index);
    if (it == elements_.end())
        vbrt::raise(vbrt::ErrSubscript);
    return *it->second;
}

bool TcpSocketArray::load(int index) {
    if (exists(index))
        return false;
    TcpSocket* socket = new TcpSocket;
    elements_[index] = socket;
    if (wire_)
        wire_(*socket, index);
    return true;
}

bool TcpSocketArray::unload(int index) {
    const auto it = elements_.find(index);
    if (it == elements_.end())
        return false;
    TcpSocket* socket = it->second;
    elements_.erase(it);
    socket->Close();
    socket->onConnect = nullptr;
    socket->onDataArrival = nullptr;
    socket->onConnectionRequest = nullptr;
    socket->onClose = nullptr;
    socket->onSendProgress = nullptr;
    socket->onSendComplete = nullptr;
    socket->onError = nullptr;
    // It may be running one of its own events.
    socket->deleteLater();
    return true;
}

void TcpSocketArray::wire(std::function<void(TcpSocket&, int)> fn) {
    wire_ = std::move(fn);
    if (!wire_)
        return;
    for (auto& [index, socket] : elements_)
        wire_(*socket, index);
}

} // namespace platform
