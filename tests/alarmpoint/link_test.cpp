#include "alarm_point_fixture.h"
#include "alarmpoint/download.h"
#include "alarmpoint/link.h"
#include "alarmpoint/upload.h"
#include "alarmpoint/watchdog.h"
#include "app/module1.h"
#include "ui/clock.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>

using namespace testing_support;
using alarmpoint::Form4;

namespace {

const QString kPrefix = QStringLiteral("zen-tur:~");
const QString kNotice = kPrefix + QStringLiteral("￥&#通知：");

class AlarmLinkTest : public AlarmPointTest {};

// What each action of the window and each call of the monitoring puts on the wire.
TEST_F(AlarmLinkTest, SendsEveryMessageAsThePeersExpectIt) {
    open();
    struct Row {
        const char* what;
        std::function<void(Form4&)> action;
        QString expected;
    };
    const Row rows[] = {
        {"report, leading line break and blanks kept",
         [](Form4& f) { EXPECT_EQ(f.gaojingsc(QStringLiteral("\r\n  红色告警！")), "ok"); },
         kPrefix + QStringLiteral("\r\n  红色告警！")},
        {"collaboration", [](Form4& f) { EXPECT_EQ(f.yuancx(), "ok"); },
         kNotice + QStringLiteral("告警颜色为 红色时，将会启动远程协作。")},
        {"live picture button", [](Form4& f) { f.Command1.press(); },
         kNotice + QStringLiteral("请稍等，准备远程上传一次实时图像到服务器。\r\n")},
        {"alarm sound button", [](Form4& f) { f.Command4.press(); },
         kNotice + QStringLiteral("请稍等，准备远程开启一次报警提示声音。\r\n")},
        {"restart button", [](Form4& f) { f.Command5.press(); },
         kNotice +
             QStringLiteral("请稍等，准备远程重启监控，人外出时，室内一般没有照明，为了防止天黑"
                            "后，智能监控一直报警，\r\n需要重启一次智能监控，以便切换到暗夜模"
                            "式，天亮后，也需要重启一次监控，以便切换到日光模式。")},
        {"chat button",
         [](Form4& f) {
             f.Text1.setText(QStringLiteral("大家好"));
             f.Command2.press();
         },
         kPrefix + QStringLiteral("大家好")},
        {"Enter in command mode with an empty box",
         [](Form4& f) {
             f.Text1.setText(QString());
             f.Text1.type(QStringLiteral("\r"));
         },
         kPrefix},
    };
    for (const Row& row : rows)
        EXPECT_EQ(sentBy([&] { row.action(f4()); }), row.expected) << row.what;
    EXPECT_FALSE(f4().Label3.Visible());
}

TEST_F(AlarmLinkTest, QueryModeAsksTheServerAndWaitsForItsReply) {
    open();
    f4().Text1.setText(QStringLiteral("zentur"));
    EXPECT_EQ(sentBy([&] { f4().Text1.type(QStringLiteral("\r")); }), "zentur")
        << "only the exact word opens the chat";
    EXPECT_EQ(log(), QString()) << "a query empties the log";
    EXPECT_TRUE(f4().Text1.Locked());
    EXPECT_EQ(f4().Text1.Text(), QStringLiteral("：请稍候， Zentur 服务端正在查询......"));

    receive(QStringLiteral("在线~3 个告警点"));
    EXPECT_EQ(f4().Label1.Caption(), QStringLiteral("在线"));
    EXPECT_EQ(log(), QStringLiteral("3 个告警点"));
    EXPECT_EQ(f4().Text1.Text(), QStringLiteral("zentur"));
    EXPECT_FALSE(f4().Text1.Locked());

    // "Zentur" opens the chat and sends nothing.
    const qsizetype sent = server.received.size();
    f4().Text1.setText(QStringLiteral("Zentur"));
    f4().Text1.type(QStringLiteral("\r"));
    EXPECT_TRUE(f4().Command2.Visible() && f4().Command3.Visible());
    EXPECT_FALSE(f4().link.commandMode);
    EXPECT_EQ(f4().RichTextBox3.Left(), f4().Command2.Left());

    dialogs.expectMsgBox(QStringLiteral("查寻条件为空"), QStringLiteral("zentuur"), ui::vbOK,
                         ui::vbOKOnly);
    f4().Text1.setText(QString());
    f4().Text1.type(QStringLiteral("\r"));
    pumpUntil([] { return false; }, 0.1);
    EXPECT_EQ(server.received.size(), sent);
}

struct Effect {
    const char* what;
    QString message;
    QString logged = {}; // appended to the log
    QString label1 = {}; // caption of Label1 afterwards, when it changes
    QString label2 = {}; // caption of Label2 afterwards, when it changes
    bool upload = false, sound = false, restart = false, collab = false;
    bool unlocked = false; // a waiting query's lock is lifted
};

// Each kind of server message, recognised by its marker in order, with what it does.
TEST_F(AlarmLinkTest, ActsOnEachServerMessage) {
    const QString liveImage = QStringLiteral("请稍等，准备远程上传一次实时图像到服务器。\r\n");
    std::vector<Effect> rows = {
        {.what = "server notice",
         .message = QStringLiteral("系统￥&$今晚维护"),
         .logged = QStringLiteral("今晚维护")},
        {.what = "a server notice wins over a relayed notice",
         .message = QStringLiteral("￥&#x￥&$甲"),
         .logged = QStringLiteral("甲")},
        {.what = "relayed notice straight after the prefix: the sender part is the lone ~",
         .message = QStringLiteral("A1") + kNotice + liveImage,
         .logged = QStringLiteral("~\r\n请稍后，远程上传 一次 实时图像 到服务器。\r\n"),
         .upload = true,
         .unlocked = true},
        {.what = "relayed notice with two keywords",
         .message = QStringLiteral("A1") + kNotice +
                    QStringLiteral("请稍等，准备远程开启一次报警提示声音。启动远程协作"),
         .logged = QStringLiteral("~\r\n请稍后，远程开启 一次 警报提示音。\r\n"),
         .sound = true,
         .collab = true,
         .unlocked = true},
        {.what = "relayed restart notice: the sender part runs from the ~ to the marker",
         .message = QStringLiteral("xxzen-tur:~A3￥&#远程重启监控"),
         .logged = QStringLiteral("~A3\r\n请稍后，远程重启 一次 智能监控。\r\n"),
         .restart = true,
         .unlocked = true},
        {.what = "chat line",
         .message = QStringLiteral("A01zen-tur:~你好{}OK"),
         .logged = QStringLiteral("你好"),
         .label1 = QStringLiteral("OK"),
         .label2 = QStringLiteral("A01")},
        {.what = "markers inside a chat line are acted on",
         .message = QStringLiteral("A01zen-tur:~￥&$看{}OK"),
         .logged = QStringLiteral("看{}OK")},
        {.what = "reply without ~ is logged whole",
         .message = QStringLiteral("无结果"),
         .logged = QStringLiteral("无结果")},
        {.what = "refused upload", .message = QStringLiteral("NO*&^"), .logged = QString()},
    };
    // Messages without the layout their marker promises are logged whole and do nothing else.
    for (const char* malformed :
         {"SYN$datetime$SYN", "SYN$datetime$SYN2026-2-30 9:03:53", "ab￥&#实时图像",
          "A01zen-tur:~你好", "~A1zen-tur:~你好{}OK", "a.txt\r\n*&*12", "x\r\n*&*1e999@"})
        rows.push_back({.what = malformed,
                        .message = QString::fromUtf8(malformed),
                        .logged = QString::fromUtf8(malformed)});
    open();
    app::Module1& m = app::module1();
    for (const Effect& row : rows) {
        SCOPED_TRACE(row.what);
        m.alarmUploadArmed = m.alarmSoundArmed = m.remoteRestartRequest = m.remoteCollabOn = false;
        ui::showControls({&f4().Command1, &f4().Command4, &f4().Command5}, false);
        f4().Text1.setLocked(true);
        f4().Label1.setCaption(QStringLiteral("before"));
        f4().Label2.setCaption(QStringLiteral("before"));
        const QString before = log();
        receive(row.message);
        EXPECT_EQ(log(), before + row.logged);
        EXPECT_EQ(f4().Label1.Caption(), row.label1.isNull() ? "before" : row.label1);
        EXPECT_EQ(f4().Label2.Caption(), row.label2.isNull() ? "before" : row.label2);
        EXPECT_EQ(m.alarmUploadArmed, row.upload);
        EXPECT_EQ(m.alarmSoundArmed, row.sound);
        EXPECT_EQ(m.remoteRestartRequest, row.restart);
        EXPECT_EQ(m.remoteCollabOn, row.collab);
        EXPECT_EQ(f4().Command1.Visible() && f4().Command4.Visible() && f4().Command5.Visible(),
                  row.collab);
        EXPECT_EQ(f4().Text1.Locked(), !row.unlocked);
        EXPECT_TRUE(connected());
    }
}

TEST_F(AlarmLinkTest, TimeSyncSetsTheProgramsClockOnly) {
    open();
    const QDateTime machine = QDateTime::currentDateTime();
    receive(QStringLiteral("SYN$datetime$SYN2026-12-7 9:03:53"));
    EXPECT_EQ(f4().Label1.Caption(), QStringLiteral("时间同步OK！"));
    const QDateTime now = ui::Clock::instance().now();
    EXPECT_EQ(now.date(), QDate(2026, 12, 7));
    EXPECT_LE(std::abs(now.time().secsTo(QTime(9, 3, 53))), 2);
    EXPECT_LE(std::abs(QDateTime::currentDateTime().secsTo(machine)), 5);
    receive(QStringLiteral("SYN$datetime$SYN2026-12-7 22:03:53"));
    EXPECT_EQ(f4().Label1.Caption(), QStringLiteral("OK"));
    EXPECT_EQ(log(), QStringLiteral("Tessal人工智能监控系统 告警集群接收点：\r\n"));
}

TEST_F(AlarmLinkTest, ServerCloseAndServerFullEndTheLink) {
    open();
    f4().link.commandMode = true;
    receive(QStringLiteral("￥&@服务端关闭"));
    EXPECT_TRUE(log().endsWith(QStringLiteral("服务端关闭")));
    EXPECT_EQ(f4().Winsock1.State(), platform::TcpSocket::Closed);
    EXPECT_TRUE(f4().Timer(7).Enabled());
    EXPECT_TRUE(f4().Command2.Visible() && f4().Command3.Visible());

    // The reconnect timer brings the link back on its sixth tick.
    advance(5.5);
    EXPECT_EQ(server.clientCount(), 1);
    advance(1);
    ASSERT_TRUE(server.waitForClients(2));
    EXPECT_FALSE(f4().Timer(7).Enabled());
    ASSERT_TRUE(pumpUntil([&] { return connected(); }));

    // The box is opened once the arrival has been handled: while it is open, what the server
    // sends is still taken in, and a second "full" opens no second box.
    dialogs.expectMsgBox(QStringLiteral("服务器链接数目超出程序设定的阀值，请排队等候。"),
                         ui::defaultTitle(), ui::vbOK, ui::vbOKOnly, [&] {
                             EXPECT_TRUE(connected());
                             receive(QStringLiteral("|||"), 1);
                             receive(QStringLiteral("￥&$排队中"), 1);
                             EXPECT_TRUE(log().endsWith(QStringLiteral("排队中")));
                         });
    receive(QStringLiteral("|||"), 1);
    ASSERT_TRUE(pumpUntil([&] { return f4().Winsock1.State() == platform::TcpSocket::Closed; }));
    EXPECT_TRUE(dialogs.allShown());
    advance(10);
    EXPECT_EQ(server.clientCount(), 2) << "no reconnection after a full server";
}

// A server that answers every new link with its closing message: the close that comes while
// the reconnect timer waits for its new link asks for the next reconnect, which comes.
TEST_F(AlarmLinkTest, ACloseDuringAReconnectAsksForTheNextOne) {
    open();
    server.greeting = QStringLiteral("￥&@再见");
    receive(QStringLiteral("￥&@再见"));
    advance(6.5);
    ASSERT_TRUE(server.waitForClients(2));
    ASSERT_TRUE(pumpUntil([&] { return log().count(QStringLiteral("再见")) == 2; }));
    EXPECT_TRUE(f4().Timer(7).Enabled());
    advance(5);
    ASSERT_TRUE(server.waitForClients(3));
    advance(5);
    EXPECT_TRUE(server.waitForClients(4));
}

TEST_F(AlarmLinkTest, AnAcceptanceWhileAnUploadRunsIsAReply) {
    open();
    f4().upload.mang = true;
    receive(QStringLiteral("OK*&^"));
    EXPECT_TRUE(log().endsWith(QStringLiteral("OK*&^")));
    EXPECT_EQ(f4().upload.uploadReply, QString());
}

TEST_F(AlarmLinkTest, DownloadOffersKeepEveryFileInsideTheReceiveFolder) {
    open();
    const QString folder = path(QStringLiteral("zenturmail5"));
    ASSERT_TRUE(QDir(folder).exists());
    write(QStringLiteral("zenturmail5/x.jpg"), "older and longer");

    const QString offer = QStringLiteral("x.jpg\r\n*&*5000@");
    EXPECT_EQ(sentBy([&] { receive(offer); }),
              kPrefix + QStringLiteral("客户端文件已经存在，所以在文件名称前加上2又一个x.jpg"));
    EXPECT_TRUE(f4().download.pang.toBool());
    EXPECT_EQ(f4().download.downloadLength, 5000);
    EXPECT_EQ(f4().watchdog.stallLimit, 10);
    EXPECT_TRUE(f4().Timer(5).Enabled());
    f4().download.pang = false;
    EXPECT_EQ(sentBy([&] { receive(offer); }),
              kPrefix + QStringLiteral("客户端文件已经存在，所以在文件名称前加上3又一个x.jpg"));
    EXPECT_EQ(read(QStringLiteral("zenturmail5/x.jpg")), "older and longer");

    for (const char* hostile :
         {"../../escaped-download", "/etc/y", "a\\b", "", "..", "c\x01\x02"}) {
        f4().download.pang = false;
        receive(QString::fromUtf8(hostile) + QStringLiteral("\r\n*&*300000000@"));
        EXPECT_EQ(f4().watchdog.stallLimit, 13);
    }
    QStringList stored = QDir(folder).entryList(QDir::Files);
    stored.sort();
    QStringList expected{"2又一个x.jpg",     "3又一个x.jpg", "b", "c",
                         "escaped-download", "x.jpg",        "y", "未命名文件",
                         "4又一个未命名文件"};
    expected.sort();
    EXPECT_EQ(stored, expected);
    EXPECT_FALSE(
        QFile::exists(QDir(dir.path()).absoluteFilePath(QStringLiteral("../escaped-download"))));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/etc/y")));
}

// Names past the 255 bytes a file name may take are cut at the end of the name, keeping the
// extension, before the same-name prefixes, which are cut to fit as well.
TEST_F(AlarmLinkTest, LongNamesAreCutToWhatTheFileSystemTakes) {
    const QString latin(300, QLatin1Char('n'));
    const QString chinese = QString(100, QChar(u'图'));
    struct Row {
        const char* what;
        QString offered, stored;
        QString notice = {}; // the same-name notice, when one is sent
    };
    const Row rows[] = {
        {"latin letters", latin + QStringLiteral(".jpg"), latin.left(251) + QStringLiteral(".jpg")},
        {"Chinese, three bytes each", chinese + QStringLiteral(".txt"),
         chinese.left(83) + QStringLiteral(".txt")},
        {"the same long name again", chinese + QStringLiteral(".txt"),
         QStringLiteral("2又一个") + chinese.left(80) + QStringLiteral(".txt"),
         kPrefix + QStringLiteral("客户端文件已经存在，所以在文件名称前加上2又一个") +
             chinese.left(80) + QStringLiteral(".txt")},
        {"an extension too long to be one", QStringLiteral("x.") + latin,
         QStringLiteral("x.") + latin.left(253)},
        {"a name that fits", chinese.left(83) + QStringLiteral(".bmp"),
         chinese.left(83) + QStringLiteral(".bmp")},
    };
    open();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        f4().download.pang = false;
        const qsizetype sent = server.received.size();
        receive(row.offered + QStringLiteral("\r\n*&*5@"));
        EXPECT_EQ(f4().download.receivedName, row.stored);
        EXPECT_TRUE(exists(QStringLiteral("zenturmail5/") + row.stored));
        EXPECT_TRUE(f4().Timer(5).Enabled());
        if (row.notice.isEmpty()) {
            EXPECT_EQ(server.received.size(), sent);
            continue;
        }
        ASSERT_TRUE(server.waitForMessages(int(sent) + 1));
        EXPECT_EQ(server.received.at(sent).text, row.notice);
    }
}

TEST_F(AlarmLinkTest, DataIsTakenWholeAndOnlyWhenTheLinkMayRead) {
    open();
    // A character split between two arrivals comes out whole.
    const QByteArray reply = QStringEncoder("GBK").encode(QStringLiteral("结果"));
    receiveBytes(reply.left(3));
    receiveBytes(reply.mid(3));
    EXPECT_TRUE(log().endsWith(QStringLiteral("结果")));

    // While arrivals are held back they wait in the socket and come with the next one.
    f4().link.bok = true;
    receive(QStringLiteral("甲~"));
    f4().link.bok = false;
    receive(QStringLiteral("乙"));
    EXPECT_EQ(f4().Label1.Caption(), QStringLiteral("甲"));
    EXPECT_TRUE(log().endsWith(QStringLiteral("乙")));
}

TEST_F(AlarmLinkTest, SendingOnADownLinkReconnectsAndLosesTheText) {
    open();
    server.drop(0);
    ASSERT_TRUE(pumpUntil([&] { return !connected(); }));
    EXPECT_EQ(f4().gaojingsc(QStringLiteral("lost")), QString());
    ASSERT_TRUE(server.waitForClients(2));
    ASSERT_TRUE(pumpUntil([&] { return connected(); }));
    EXPECT_EQ(server.from(1), QStringList{});

    // A report while the link is still connecting leaves the attempt alone.
    f4().Winsock1.Close();
    f4().Winsock1.Connect();
    EXPECT_EQ(f4().gaojingsc(QStringLiteral("lost too")), QString());
    ASSERT_TRUE(server.waitForClients(3));
    pumpUntil([] { return false; }, 0.3);
    EXPECT_EQ(server.clientCount(), 3);
    EXPECT_TRUE(server.from(2).isEmpty());
}

// A link that goes down without the user asking comes back by itself within a minute, whatever
// ordinary traffic switched off; until then Label2 shows it down, and the log says once that
// it was lost and once that it is back. What the server said before it went reaches the log,
// and a loss while a handler of the link waits is told at once, not when the handler returns.
TEST_F(AlarmLinkTest, ALinkThatDropsIsShownDownAndComesBackWithinAMinute) {
    const QString up = QStringLiteral("已经建立链接，可以通信了。“");
    const QString lost = QStringLiteral("与告警服务端的链接中断了");
    const QStringList chat = {QStringLiteral("第一行"), QStringLiteral("第二行"),
                              QStringLiteral("第三行")};
    const auto last = [&] { return server.clientCount() - 1; };
    qsizetype before = 0; // the log's length when the row began
    int arrival = 0;
    // The server sends chat lines apart while the handler of an upload acceptance waits for the
    // upload channel, and drops the link in that handler (1) or at the first line's turn (2).
    const auto duringAnUploadStart = [&](int dropAt) {
        return [&, dropAt] {
            const auto dispatch = f4().Winsock1.onDataArrival;
            f4().Winsock1.onDataArrival = [&, dispatch, dropAt](qint64 n) {
                for (const QString& line : ++arrival == 1 ? chat : QStringList()) {
                    server.send(last(), "A01zen-tur:~" + line + "{}OK");
                    pumpUntil([] { return false; }, 0.05);
                }
                if (arrival == dropAt)
                    server.drop(last());
                dispatch(n);
                EXPECT_TRUE(arrival != 1 || log().mid(before).contains(lost) == (dropAt == 1));
            };
            receive(QStringLiteral("OK*&^"), last());
        };
    };
    struct Row {
        const char* what;
        std::function<void()> drop;
        QStringList lines = {}; // must reach the log, once each
    };
    const Row rows[] = {
        {"the server's end goes after chat lines, which stop the link display",
         [&] {
             receive(QStringLiteral("A01zen-tur:~你好{}OK"), last());
             receive(QStringLiteral("A01zen-tur:~在吗{}OK"), last());
             server.drop(last());
         }},
        {"a receive file that cannot be made closes the link",
         [&] {
             QDir(path(QStringLiteral("zenturmail5"))).removeRecursively();
             write(QStringLiteral("zenturmail5"), "a file where the folder was");
             receive(QStringLiteral("x.bin\r\n*&*100@"), last());
         }},
        {"chat lines, then the drop, while an upload acceptance waits", duringAnUploadStart(1),
         chat},
        {"chat lines while an upload acceptance waits, the drop between their turns after it",
         duringAnUploadStart(2), chat},
    };
    open();
    const auto handler = f4().Winsock1.onDataArrival;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const int clients = server.clientCount();
        before = log().size();
        arrival = 0;
        row.drop();
        ASSERT_TRUE(pumpUntil([&] { return !connected(); }));
        EXPECT_FALSE(f4().Timer(2).Enabled());
        bool shownUp = false;
        double waited = 0;
        for (; waited < 60 && !connected(); waited += 0.5) {
            shownUp |= f4().Label2.Caption() == up;
            advance(0.5);
            pumpUntil([] { return false; }, 0.01);
        }
        ASSERT_TRUE(pumpUntil([&] { return connected(); }));
        EXPECT_LT(waited, 60);
        EXPECT_EQ(server.clientCount(), clients + 1);
        EXPECT_FALSE(shownUp) << "shown down until it was back";
        EXPECT_EQ(f4().Label2.Caption(), up);
        const QString added = log().mid(before);
        EXPECT_EQ(added.count(lost), 1);
        EXPECT_EQ(added.count(QStringLiteral("与告警服务端的链接恢复了")), 1);
        for (const QString& line : row.lines)
            EXPECT_EQ(added.count(line), 1) << line.toStdString();
        QFile::remove(path(QStringLiteral("zenturmail5")));
        f4().Winsock1.onDataArrival = handler;
    }
}

TEST_F(AlarmLinkTest, ANoticeFromOnePointArmsTheOther) {
    server.relay = true;
    open();
    Form4 other;
    dialogs.expectInputBox(kServerPrompt, QStringLiteral("127.0.0.1"));
    other.show();
    ASSERT_TRUE(server.waitForClients(2));
    ASSERT_TRUE(
        pumpUntil([&] { return other.Winsock1.State() == platform::TcpSocket::Connected; }));
    other.Command1.press();
    ASSERT_TRUE(pumpUntil([] { return app::module1().alarmUploadArmed; }));
    EXPECT_TRUE(
        log().endsWith(QStringLiteral("~\r\n请稍后，远程上传 一次 实时图像 到服务器。\r\n")));

    other.Text1.setText(QStringLiteral("收到"));
    other.Command2.press();
    ASSERT_TRUE(pumpUntil([&] { return log().endsWith(QStringLiteral("收到")); }));
    EXPECT_EQ(f4().Label2.Caption(), AlarmServer::senderName(1));
    other.unload();
}

} // namespace
