#include "alarmpoint/form4.h"

#include "alarmpoint/download.h"
#include "alarmpoint/link.h"
#include "alarmpoint/message_log.h"
#include "alarmpoint/upload.h"
#include "alarmpoint/watchdog.h"
#include "app/module1.h"
#include "app/program.h"
#include "ui/clock.h"
#include "ui/waits.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/datetime.h"

#include <QDir>

namespace alarmpoint {

namespace {
constexpr vbrt::Colour kInputColour = vbrt::RGB(232, 227, 174);
constexpr vbrt::Colour kLogColour = vbrt::RGB(168, 221, 155);
const QString kCaption = QStringLiteral("Tessal 人工智能监控远程告警点 ");
const QString kLogHeading = QStringLiteral("Tessal人工智能监控系统 告警集群接收点：");
const QString kCollaboration = QStringLiteral(
    "远程协作：任何一个告警点的智能监控出现告警时，各告警点都会显示“远程上传图像”、“远程开启告警”"
    "和“远程重启监控”三个按钮，用它们可以请其他告警点上传一次实时图像、开启一次报警提示声音或"
    "重启一次智能监控。在输入框中输入查询条件后回车，可以向服务端查询；输入 Zentur 后回车，"
    "进入群策群力。");

// The timers of the window: number, interval, ticking from the start.
struct TimerDesign {
    int number, interval;
    bool enabled;
};
constexpr TimerDesign kTimers[] = {
    {1, 1000, true},   // clock in the input box
    {2, 100, true},    // state of the link
    {3, 1000, true},   // log snapshots
    {5, 1000, false},  // download completion
    {7, 1000, false},  // reconnect after a pause
    {8, 1000, false},  // close after a pause
    {9, 1000, false},  // link watch while downloading
    {10, 1000, false}, // second upload channel
    {11, 1000, false}, // third upload channel
};

// What one arrival on the link may bring. The server's messages are far shorter; a server that
// streams more is taken a chunk at a time, so that each arrival costs the window (parse, log,
// labels) a bounded time and clicks are answered in between.
constexpr qint64 kLinkArrivalBytes = 64 * 1024;
} // namespace

struct Form4::Subsystems {
    explicit Subsystems(Form4& f) : link(f), upload(f), download(f), watchdog(f), log(f) {}

    // The window's timers are there before the parts wire them.
    static std::unique_ptr<Subsystems> make(Form4& f) {
        for (const TimerDesign& t : kTimers)
            f.Timer.add(t.number);
        return std::make_unique<Subsystems>(f);
    }

    Link link;
    Upload upload;
    Download download;
    Watchdog watchdog;
    MessageLog log;
};

Form4::Form4()
    : ui::Form(QStringLiteral("Form4")), subsystems_(Subsystems::make(*this)),
      link(subsystems_->link), upload(subsystems_->upload), download(subsystems_->download),
      watchdog(subsystems_->watchdog), log(subsystems_->log) {
    Timer(1).onTimer = [this] { Timer1_Timer(); };
    // An end at once runs no window's close: the log is archived all the same.
    app::keepAtEnd(this, [this] {
        if (isLoaded())
            keepLogBeforeTheEnd();
    });
    // A server gone without a word (a pulled cable) is noticed as a link that fails.
    Winsock1.setKeepAlive(true);
    Winsock1.setReadChunk(kLinkArrivalBytes);
    mEdit = {{{QStringLiteral("&撤销"), QStringLiteral("Ctrl+Z")},
              {QStringLiteral("-")},
              {QStringLiteral("&剪切"), QStringLiteral("Ctrl+X")},
              {QStringLiteral("&复制"), QStringLiteral("Ctrl+C")},
              {QStringLiteral("&粘贴"), QStringLiteral("Ctrl+V")},
              {QStringLiteral("&删除"), QStringLiteral("Del")}}};
}

Form4::~Form4() {
    app::forgetAtEnd(this);
}

void Form4::Form_Resize() {
    log.Form_Resize();
}
void Form4::Form_DblClick() {
    link.Form_DblClick();
}
void Form4::Form_MouseDown(int button, int shift, int x, int y) {
    watchdog.Form_MouseDown(button, shift, x, y);
}

QString Form4::gaojingsc(const QString& text) {
    return link.gaojingsc(text);
}
QString Form4::yuancx() {
    return link.yuancx();
}
QString Form4::tuxiangsc(const QString& path) {
    return upload.tuxiangsc(path);
}

void Form4::design() {
    designWindow(QStringLiteral("Form4"), 600, 600, 13400, 8280, ui::kButtonFace);

    Text1.Move(3480, 720, 5892, 612);
    Text1.setText(QStringLiteral("Zentur"));
    Text1.setFontSize(12);

    const struct {
        ui::CommandButton& button;
        const char16_t* caption;
        int left, top, width, height;
    } buttons[] = {
        {Command2, u"群策群力", 240, 720, 1500, 612},
        {Command3, u"上传文件", 1860, 720, 1500, 612},
        {Command1, u"远程上传图像", 7440, 1800, 1692, 492},
        {Command4, u"远程开启告警", 9780, 1800, 1692, 492},
        {Command5, u"远程重启监控", 11520, 1800, 1692, 492},
    };
    for (const auto& b : buttons) {
        b.button.setCaption(QString::fromUtf16(b.caption));
        b.button.Move(b.left, b.top, b.width, b.height);
    }

    Label1.Move(9600, 720, 3600, 612);
    Label1.setWordWrap(true);
    Label2.Move(240, 2520, 2712, 3684);
    Label3.Move(360, 6600, 12492, 1332);
    Label3.setWordWrap(true);
    Label3.setCaption(kCollaboration);

    RichTextBox3.Move(3480, 2640, 9252, 3732);
    RichTextBox3.setSelBold(true);
    RichTextBox3.setSelFontName(QStringLiteral("SimSun"));
    RichTextBox3.setSelFontSize(16);
    RichTextBox3.setSelText(kLogHeading + QStringLiteral("\r\n"));
    RichTextBox3.forgetEdits();

    for (const TimerDesign& t : kTimers) {
        Timer(t.number).setInterval(t.interval);
        Timer(t.number).setEnabled(t.enabled);
    }
}

void Form4::Form_Load() {
    // Before the log takes back what the archive refused: a long log laid out with wrapping
    // takes minutes.
    RichTextBox3.setWordWrap(false);
    // Before the snapshot timer's first tick, which the address prompt lets run.
    log.archiveWhatTheSnapshotsKept();
    app::Module1& m = app::module1();
    upload.uploadBytesSent = 0;
    log.recordToggle = true;
    m.alarmSoundArmed = true;
    m.remoteRestartRequest = false;
    m.remoteCollabOn = false;

    log.checkModified();
    RichTextBox3.setVisible(true);

    download.sameNameCount = 1;
    link.timeSynced = false;
    log.logZoomed = false;
    Timer(10).setEnabled(false);
    Timer(11).setEnabled(false);
    watchdog.closedTicks = 1;
    watchdog.recng = 1;
    link.closeTicks = 0;

    const QString answer =
        ui::InputBox(QStringLiteral("请输入告警服务端 所在的IP 地址(测试用公网服务器地址为：") +
                         kDefaultServer + QStringLiteral(" ，确定 即可连接)："),
                     QStringLiteral("Zentur of the ombrix"), kDefaultServer);
    link.serverAddress = answer.isEmpty() ? kDefaultServer : answer;

    download.recvDir = vbrt::appPath() + QStringLiteral("/zenturmail5/");
    Timer(5).setEnabled(false);
    download.winsi = 0;
    link.bok = false;

    Winsock3(0).setLocalPort(kDownloadPort);
    Winsock3(0).Listen();
    // Without the folder downloads cannot be stored; everything else still works.
    QDir().mkpath(download.recvDir);
    link.commandMode = false;

    setHeight(8280);
    setWidth(vbrt::CLng(double(float(Height()) / 0.618f)));
    RichTextBox3.setWidth(vbrt::CLng(0.7 * Width()));

    link.connectToServer();
    if (!isLoaded())
        return;
    Timer(1).setEnabled(true);

    Text1.setBackColor(kInputColour);
    Command1.setBackColor(kInputColour);
    ui::showControls({&Command1, &Command4, &Command5}, false);
    for (ui::CommandButton* b : {&Command4, &Command5, &Command2, &Command3})
        b->setBackColor(kInputColour);
    RichTextBox3.setBackColor(kLogColour);
    RichTextBox3.setVisible(true);
    Label2.setWordWrap(true);
    setCaption(kCaption);
}

void Form4::Form_QueryUnload(int& cancel, int unloadMode) {
    if (unloadMode == ui::FromControlMenu && !log.keptOrLetGo())
        cancel = 1;
}

void Form4::Form_Unload(int&) {
    app::Module1& m = app::module1();
    m.quitConfirmed = true;
    m.alarmPointOn = false;
    takeLastArrivals();
    if (Winsock1.State() != platform::TcpSocket::Closed)
        Winsock1.Close();
    upload.unloadChannels();
    download.unloadDownloadChannels();
    download.closeReceiveFile();
    // The listener goes with the window.
    Winsock3(0).Close();
    log.archiveOnClose();
}

void Form4::takeLastArrivals() {
    Winsock1.readWhatArrived();
    download.cutShortByTheEnd();
}

void Form4::keepLogBeforeTheEnd() {
    takeLastArrivals();
    log.giveUpLog();
}

void Form4::delay(double sec) {
    ui::pumpedWait(float(sec));
}

void Form4::Timer1_Timer() {
    const QDateTime now = ui::Clock::instance().now();
    Text1.setText(vbrt::chineseWeekday(now.date().dayOfWeek()) + QStringLiteral(" ") +
                  vbrt::dateTimeText(now));
}

} // namespace alarmpoint
