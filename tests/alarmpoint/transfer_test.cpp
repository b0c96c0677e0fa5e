#include "alarm_point_fixture.h"
#include "alarmpoint/download.h"
#include "alarmpoint/link.h"
#include "alarmpoint/message_log.h"
#include "alarmpoint/transfer_math.h"
#include "alarmpoint/upload.h"
#include "alarmpoint/watchdog.h"
#include "app/module1.h"
#include "app/program.h"
#include "text_printers.h"
#include "ui/event_loop.h"
#include "ui/timer.h"
#include "vbrt/convert.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>

using namespace testing_support;
using alarmpoint::FileSplit;
using alarmpoint::Form4;
using alarmpoint::TransferFigures;

namespace {

const QString kPrefix = QStringLiteral("zen-tur:~");

// The worked splits: equal thirds under 3072 bytes, whole packets from there on.
TEST(FileSplitTest, ThreeStretchesOfAFile) {
    struct Row {
        qint64 length;
        FileSplit split;
    };
    const Row rows[] = {
        {3, {0, 1, {0, 1, 2}, {1, 1, 1}, 0}},
        {4, {0, 1, {0, 1, 2}, {1, 1, 2}, 1}},
        {1000, {0, 333, {0, 333, 666}, {333, 333, 334}, 1}},
        {3071, {2, 1023, {0, 1023, 2046}, {1023, 1023, 1025}, 2}},
        {3072, {3, 1024, {0, 1024, 2048}, {1024, 1024, 1024}, 0}},
        {5000, {4, 1024, {0, 1024, 2048}, {1024, 1024, 2952}, 904}},
        {10000, {9, 1024, {0, 3072, 6144}, {3072, 3072, 3856}, 784}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(alarmpoint::splitFile(row.length), row.split) << row.length;
}

TEST(TransferReportTest, TimesFiguresAndLines) {
    EXPECT_EQ(alarmpoint::sntime(QStringLiteral("9:05:07")), 32707);
    EXPECT_EQ(alarmpoint::sntime(QStringLiteral("21:05:07")), 75907);
    EXPECT_EQ(alarmpoint::sntime(QStringLiteral("21:05:07 PM")), 75907);
    EXPECT_EQ(alarmpoint::sntime(QString()), 0);
    EXPECT_EQ(alarmpoint::elapsedSeconds(QStringLiteral("9:05:07"), QStringLiteral("9:05:07")), 1);
    EXPECT_EQ(alarmpoint::elapsedSeconds(QStringLiteral("23:59:59"), QStringLiteral("0:00:01")), 2)
        << "across midnight";

    EXPECT_EQ(alarmpoint::uploadFigures(10000, 10000, 2), (TransferFigures{0, 9, 0, 4.8828}));
    EXPECT_EQ(alarmpoint::uploadFigures(9999, 10000, 2).resent, 1);
    EXPECT_EQ(alarmpoint::uploadFigures(500, 500, 1), (TransferFigures{0, 1, 0, 0.4882}));
    EXPECT_EQ(alarmpoint::receiveFigures(10002, 10000, 10000, 1),
              (TransferFigures{0, 9, 0, 9.7656}));
    EXPECT_EQ(alarmpoint::receiveFigures(12050, 10000, 10000, 1).loss, 22.2222);

    EXPECT_EQ(
        alarmpoint::uploadReport(QStringLiteral("9:05:09"), QStringLiteral("/a/b.bmp"),
                                 {0, 9, 0, 4.8828}),
        QStringLiteral("。 本地时间： 9:05:09/a/b.bmp 装入缓存时:  校验重发0个包。应发包数为: "
                       "9，丢包率为：  0%   。\r\n：从缓存发送到服务器端的平均速度为：4.8828 "
                       "K/秒，\r\n"));
    EXPECT_EQ(alarmpoint::receiveReport(QStringLiteral("9:05:09"), QStringLiteral("127.0.0.1"),
                                        QStringLiteral("/r/x"), {0, 9, 0, 9.7656}),
              QStringLiteral("本地时间： 9:05:09     127.0.0.1       /r/x      receive complete:  "
                             "校验重收0个包。应收包数为: 9，丢包率为：  0%   。\r\n：从服务器接收"
                             "文件的平均速度为： 9.7656K/秒”\r\n"));
}

QByteArray bytesOf(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

class TransferTest : public AlarmPointTest {
protected:
    // Lets virtual time pass in small steps, with sockets running, until `done` holds.
    bool runUntil(const std::function<bool()>& done, double virtualSeconds = 60) {
        QDeadlineTimer deadline(20000);
        for (double t = 0; t < virtualSeconds && !deadline.hasExpired(); t += 0.05) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (done())
                return true;
            advance(0.05);
        }
        return done();
    }
    int pointPort() { return f4().Winsock3(0).boundPort(); }
    QStringList offersAndNotices() { return server.from(0); }
    int lastClient() { return server.clientCount() - 1; }
    // A connection to the download listener from `from` is closed at once.
    bool turnedAway(const QHostAddress& from) {
        QTcpSocket stray;
        if (from != QHostAddress(QHostAddress::LocalHost))
            stray.bind(from);
        stray.connectToHost(QHostAddress::LocalHost, quint16(pointPort()));
        return pumpUntil([&] { return stray.state() == QAbstractSocket::UnconnectedState; }, 2);
    }
    void reconnect() {
        const int clients = server.clientCount();
        f4().Form_DblClick();
        ASSERT_TRUE(server.waitForClients(clients + 1));
        ASSERT_TRUE(pumpUntil([&] { return connected(); }));
    }
};

TEST_F(TransferTest, UploadsArriveWholeOverThreeConnections) {
    open();
    app::module1().snapshotName = QStringLiteral("snap.bmp");
    // The server chats on while the uploads start and run.
    QStringList said;
    ui::Timer chatter;
    chatter.onTimer = [&] {
        said << QStringLiteral("第%1句").arg(said.size());
        server.send(0, QStringLiteral("A2zen-tur:~%1\r\n{}OK").arg(said.last()));
    };
    chatter.setInterval(500);
    const auto chatIn = [](const QString& text) { return text.split("\r\n").filter(u"句"); };
    int ended = 0;
    for (const qint64 size : {3, 4, 3071, 3072, 5000, 10000, 921654}) {
        SCOPED_TRACE(size);
        const QByteArray file = bytesOf(size);
        write(QStringLiteral("up.bin"), file);
        EXPECT_EQ(sentBy([&] { EXPECT_EQ(f4().tuxiangsc(path(QStringLiteral("up.bin"))), "0k"); }),
                  QStringLiteral("snap.bmp\r\n&*%^") + QString::number(size));
        server.send(0, QStringLiteral("OK*&^"));
        ASSERT_TRUE(runUntil([&] { return server.uploadsEnded == ended + 3; }));
        EXPECT_EQ(server.uploads.mid(ended).join(), file);
        ended += 3;
        ASSERT_TRUE(runUntil([&] { return !f4().upload.mang; }));
        EXPECT_TRUE(log().contains(QStringLiteral("\r\nSend complete.\r\n")));
        EXPECT_TRUE(
            log().contains(QStringLiteral("校验重发0个包。应发包数为: %1，丢包率为：  0%   。")
                               .arg(std::max<qint64>(1, size / 1024))));
    }
    chatter.setEnabled(false);

    // Too short or missing: refused with a line in the log, nothing offered.
    const qsizetype sent = server.received.size();
    for (const QByteArray& tiny : {QByteArray(), QByteArray("a"), QByteArray("ab")}) {
        write(QStringLiteral("tiny.bin"), tiny);
        EXPECT_EQ(f4().tuxiangsc(path(QStringLiteral("tiny.bin"))), QString());
    }
    EXPECT_EQ(f4().tuxiangsc(path(QStringLiteral("missing.bmp"))), QString());
    EXPECT_TRUE(log().endsWith(QStringLiteral("无法读取要上传的文件：") +
                               path(QStringLiteral("missing.bmp")) + QStringLiteral("\r\n")));
    EXPECT_EQ(log().count(QStringLiteral("文件长度小于3个字节，不能上传：")), 3);
    pumpUntil([] { return false; }, 0.1);
    EXPECT_EQ(server.received.size(), sent);
    EXPECT_EQ(chatIn(log()), said) << "each line once, in order";
    f4().unload();
    EXPECT_EQ(chatIn(vbrt::fromAnsi(read(alarmpoint::MessageLog::kArchiveFile))), said);
}

TEST_F(TransferTest, TheUploadButtonOffersTheChosenFile) {
    open();
    write(QStringLiteral("two.bin"), "ab");
    write(QStringLiteral("photo.jpg"), "abc");
    dialogs.expectOpenFile(std::nullopt)
        .expectOpenFile(path(QStringLiteral("two.bin")))
        .expectMsgBox(QStringLiteral("文件长度小于3个字节!"), ui::defaultTitle(), ui::vbOK,
                      ui::vbOKOnly)
        .expectOpenFile(path(QStringLiteral("photo.jpg")));
    f4().Command3.press();
    f4().Command3.press();
    EXPECT_EQ(sentBy([&] { f4().Command3.press(); }), QStringLiteral("photo.jpg\r\n&*%^3"));
    EXPECT_EQ(dialogs.filters.constLast(), QStringLiteral("所有文件*.*|*.*"));
    EXPECT_TRUE(f4().Command2.Visible() && f4().Command3.Visible() && f4().Text1.Visible());
    EXPECT_TRUE(f4().link.commandMode);
}

TEST_F(TransferTest, ACancelLeavesNoChannelOrTimerRunning) {
    open();
    write(QStringLiteral("up.bin"), bytesOf(5000));
    f4().tuxiangsc(path(QStringLiteral("up.bin")));
    // A new snapshot offered while the first channel is done and the second is due.
    std::optional<QString> offered;
    f4().Timer(10).onTimer = [&] { offered = f4().tuxiangsc(path(QStringLiteral("up.bin"))); };
    receive(QStringLiteral("OK*&^"));
    ASSERT_TRUE(runUntil([&] { return offered.has_value(); }));
    EXPECT_EQ(*offered, QString()) << "cancels instead of offering";
    EXPECT_FALSE(f4().upload.mang);
    EXPECT_FALSE(f4().Timer(10).Enabled() || f4().Timer(11).Enabled());
    for (int k = 1; k <= 3; ++k)
        EXPECT_FALSE(f4().Winsock2.exists(k)) << k;
    advance(5);
    EXPECT_EQ(server.uploads.size(), 1) << "no further channel connects";
}

TEST_F(TransferTest, DownloadsLandWholeInTheReceiveFolder) {
    open();
    for (const qint64 size : {3, 4, 3071, 3072, 5000, 10000, 921654}) {
        SCOPED_TRACE(size);
        const QByteArray file = bytesOf(size);
        const QString name = QStringLiteral("down%1.bin").arg(size);
        // After each download the link is closed and opened again: a new client each time.
        const int client = server.clientCount() - 1;
        receive(name + QStringLiteral("\r\n*&*") + QString::number(size) + QStringLiteral("@"),
                client);
        ASSERT_TRUE(server.sendDownload(pointPort(), file));
        ASSERT_TRUE(runUntil([&] { return !f4().download.pang.toBool(); }));
        EXPECT_EQ(read(QStringLiteral("zenturmail5/") + name), file);
        EXPECT_TRUE(
            log().contains(name + QStringLiteral("      receive complete:  校验重收0个包。")));
        EXPECT_FALSE(f4().Timer(9).Enabled() || f4().Timer(5).Enabled());
        ASSERT_TRUE(runUntil([&] { return server.clientCount() == client + 2 && connected(); }));
    }
}

// The n-th channel of a download is the n-th connection since its offer, from its server:
// a stray connection, or the late channels of an empty file already complete, shift nothing.
TEST_F(TransferTest, StrayConnectionsAndAnEmptyDownloadLeaveTheNextDownloadWhole) {
    open();
    EXPECT_TRUE(turnedAway(QHostAddress(QHostAddress::LocalHost))) << "no download announced";
    EXPECT_EQ(f4().download.winsi, 0);

    receive(QStringLiteral("empty.bin\r\n*&*0@"));
    ASSERT_TRUE(runUntil([&] { return !f4().download.pang.toBool(); }));
    EXPECT_TRUE(exists(QStringLiteral("zenturmail5/empty.bin")));
    EXPECT_TRUE(
        log().contains(QStringLiteral("empty.bin      receive complete:  校验重收0个包。")));
    server.sendDownload(pointPort(), QByteArray());
    ASSERT_TRUE(runUntil([&] { return server.clientCount() == 2 && connected(); }));
    EXPECT_EQ(f4().download.winsi, 0);

    const QByteArray file = bytesOf(10000);
    receive(QStringLiteral("next.bin\r\n*&*10000@"), lastClient());
    EXPECT_TRUE(turnedAway(QHostAddress(QStringLiteral("127.0.0.2")))) << "not the server";
    EXPECT_EQ(f4().download.winsi, 0);
    ASSERT_TRUE(server.sendDownload(pointPort(), file));
    EXPECT_TRUE(turnedAway(QHostAddress(QHostAddress::LocalHost))) << "all three have come";
    ASSERT_TRUE(runUntil([&] { return !f4().download.pang.toBool(); }));
    EXPECT_EQ(read(QStringLiteral("zenturmail5/next.bin")), file);
    EXPECT_TRUE(log().contains(QStringLiteral("next.bin      receive complete:  校验重收0个包。")));
}

// A download that cannot go on is given up with one report: a file that cannot be made at the
// offer (empty or not), channels that never come once the stall time is over, and an end of
// the program while the channels are still sending, told before the log is archived.
TEST_F(TransferTest, ADownloadThatCannotGoOnIsGivenUpWithOneReport) {
    const QString loss =
        kPrefix + QStringLiteral("/&@/客户端接收文件存在丢包现象，中断链接停止接收！");
    const QString cannotMake = QStringLiteral("无法写入文件：") +
                               path(QStringLiteral("zenturmail5/x.bin")) +
                               QStringLiteral("（文件夹不存在）\r\n");
    const QString stalled = kPrefix + QStringLiteral("文件传送暂停时间过长，取消接收文件！\r\n"
                                                     "this is client timer2-7.colse!\r\n");
    struct Row {
        const char* what;
        qint64 length;
        bool folderIsAFile, channelsCome;
        double quiet, wait; // seconds still announced, then until given up
        QString report, toServer;
        bool programEnds = false;
    };
    const Row rows[] = {
        {"an empty file that cannot be made", 0, true, false, 0, 2, cannotMake + loss, loss},
        {"a file that cannot be made", 10000, true, true, 0, 2, cannotMake + loss, loss},
        {"channels that never come", 5000, false, false, 100, 11, stalled, stalled},
        {"the program ends meanwhile", 10000, false, false, 1, 0, loss, loss, true},
    };
    open();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.folderIsAFile) {
            QDir(path(QStringLiteral("zenturmail5"))).removeRecursively();
            write(QStringLiteral("zenturmail5"), "a file where the folder was");
        }
        const QString before = log();
        const QString sent = sentBy([&] {
            receive(QStringLiteral("x.bin\r\n*&*%1@").arg(row.length), lastClient());
            if (row.channelsCome)
                server.sendDownload(pointPort(), bytesOf(row.length));
            if (row.programEnds)
                server.sendDownload(pointPort(), bytesOf(row.length),
                                    {.withhold = {0, 5, 0}, .close = false});
            advance(row.quiet);
            EXPECT_EQ(f4().download.pang.toBool(), row.quiet > 0);
            if (row.programEnds)
                app::End();
            advance(row.wait);
        });
        EXPECT_TRUE(sent.startsWith(row.toServer)) << sent.toStdString();
        EXPECT_FALSE(f4().download.pang.toBool());
        const QString archived = vbrt::fromAnsi(read(alarmpoint::MessageLog::kArchiveFile));
        const QString added = row.programEnds ? archived.mid(archived.lastIndexOf(row.report))
                                              : log().mid(before.size());
        EXPECT_TRUE(added.startsWith(row.report)) << added.toStdString();
        EXPECT_EQ(added.count(QStringLiteral("无法写入")), row.folderIsAFile ? 1 : 0);
        EXPECT_FALSE(added.contains(QStringLiteral("receive complete")));
        QFile::remove(path(QStringLiteral("zenturmail5")));
        QDir(path(QStringLiteral("zenturmail5"))).removeRecursively();
        QDir().mkpath(path(QStringLiteral("zenturmail5")));
        server.closeDownloads();
        if (!row.programEnds)
            reconnect();
    }
}

// An upload that fails is told once, in Chinese, after the attempt it ended.
TEST_F(TransferTest, AFailedUploadIsToldOnceAfterItsAttempt) {
    const QString file = path(QStringLiteral("up.bin"));
    const auto uploadsTo = [this](int port) {
        platform::TcpSocket::setPortMap([message = server.port(), port](int p) {
            return p == AlarmServer::kMessagePort    ? message
                   : p == AlarmServer::kUploadPort   ? port
                   : p == AlarmServer::kDownloadPort ? 0
                                                     : p;
        });
    };
    QTcpServer gone;
    gone.listen(QHostAddress::LocalHost);
    const int closedPort = gone.serverPort();
    gone.close();
    struct Row {
        const char* what;
        std::function<void()> meanwhile;
        QString tail;
    };
    const Row rows[] = {
        {"the server refuses the channel", [&] { uploadsTo(closedPort); },
         QStringLiteral("\r\nConnecting...\r\n上传通道出错，上传已停止：服务端拒绝了连接\r\n")},
        {"the file is gone when the channel opens", [&] { QFile::remove(file); },
         QStringLiteral("\r\nConnecting...\r\n无法读取要上传的文件：") + file +
             QStringLiteral("\r\n")},
    };
    open();
    app::module1().snapshotName = QStringLiteral("snap.bmp");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        write(QStringLiteral("up.bin"), bytesOf(5000));
        EXPECT_EQ(sentBy([&] { EXPECT_EQ(f4().tuxiangsc(file), "0k"); }),
                  QStringLiteral("snap.bmp\r\n&*%^5000"));
        row.meanwhile();
        receive(QStringLiteral("OK*&^"));
        ASSERT_TRUE(runUntil([&] { return !f4().upload.mang; }, 10));
        EXPECT_TRUE(log().endsWith(row.tail)) << log().right(80).toStdString();
        uploadsTo(server.uploadPort());
    }
}

// A link whose target is gone holds its name: the download takes the next free one.
TEST_F(TransferTest, ADanglingLinkWithTheOfferedNameIsLeftAlone) {
    open();
    ASSERT_TRUE(
        QFile::link(path(QStringLiteral("gone")), path(QStringLiteral("zenturmail5/x.bin"))));
    const QByteArray file = bytesOf(3000);
    EXPECT_EQ(sentBy([&] { receive(QStringLiteral("x.bin\r\n*&*3000@")); }),
              kPrefix + QStringLiteral("客户端文件已经存在，所以在文件名称前加上2又一个x.bin"));
    ASSERT_TRUE(server.sendDownload(pointPort(), file));
    ASSERT_TRUE(runUntil([&] { return !f4().download.pang.toBool(); }));
    EXPECT_EQ(read(QStringLiteral("zenturmail5/2又一个x.bin")), file);
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("zenturmail5/x.bin"))).isSymLink());
    EXPECT_TRUE(
        log().contains(QStringLiteral("2又一个x.bin      receive complete:  校验重收0个包。")));
}

TEST_F(TransferTest, AShortChannelAbandonsTheDownloadAndTellsTheServer) {
    open();
    const QByteArray file = bytesOf(10000);
    receive(QStringLiteral("short.bin\r\n*&*10000@"));
    const QString loss =
        kPrefix + QStringLiteral("/&@/客户端接收文件存在丢包现象，中断链接停止接收！");
    EXPECT_EQ(sentBy([&] {
                  ASSERT_TRUE(server.sendDownload(pointPort(), file, {.withhold = {0, 5, 0}}));
              }),
              loss);
    EXPECT_FALSE(f4().download.pang.toBool());
    EXPECT_TRUE(log().contains(loss));
    EXPECT_EQ(read(QStringLiteral("zenturmail5/short.bin")).size(), 3072 + 3067)
        << "the partial file stays";
    ASSERT_TRUE(pumpUntil([&] { return !connected(); }));
    for (int k = 1; k <= 3; ++k)
        EXPECT_FALSE(f4().Winsock3.exists(k));
}

TEST_F(TransferTest, AStalledDownloadIsCancelledWithTheStateOfTheTransfer) {
    open();
    receive(QStringLiteral("stall.bin\r\n*&*50000000@"));
    f4().Form_MouseDown(2, 1, 0, 0); // Shift and the right button: the link display is back
    ASSERT_TRUE(f4().Timer(2).Enabled());
    ASSERT_TRUE(server.sendDownload(pointPort(), bytesOf(50000), {.close = false}));
    ASSERT_TRUE(pumpUntil([&] { return f4().watchdog.gangam.toDouble() == 50000; }));
    // The display counts ten idle ticks a second, the download watch (on since the first
    // channel came) one more at each second: the count stands at 12 when the display acts.

    const QString expected =
        kPrefix + QStringLiteral("文件传送暂停时间过长，取消接收文件！\r\n"
                                 "this is client timer2-7.colse!\r\n"
                                 "mang isFalse\r\nbok isFalse\r\npang  isTrue\r\ngang  isTrue\r\n"
                                 "winsi is3\r\nclm1 is\r\nclm2 is\r\nclm3 is\r\n"
                                 "kongjian1 isTrue\r\nkongjian2 isTrue\r\nkongjian3 isTrue\r\n"
                                 "recng is12\r\ngangam is50000\r\ngangbm is50000\r\n");
    EXPECT_EQ(sentBy([&] { runUntil([&] { return !f4().download.pang.toBool(); }, 3); }), expected);
    EXPECT_TRUE(log().endsWith(expected));
    EXPECT_TRUE(f4().Timer(8).Enabled() && f4().Timer(7).Enabled());
    EXPECT_EQ(f4().Label2.Caption(), QStringLiteral("已经建立链接，可以通信了。“"));
    server.closeDownloads();

    // The next offer is an offer again.
    receive(QStringLiteral("next.bin\r\n*&*3@"));
    EXPECT_TRUE(f4().download.pang.toBool());
    EXPECT_TRUE(exists(QStringLiteral("zenturmail5/next.bin")));
}

} // namespace
