#include "alarm_point_fixture.h"
#include "alarmpoint/message_log.h"
#include "app/program.h"
#include "monitoring/monitoring.h"
#include "platform/media_backend.h"
#include "platform/synthetic_capture_driver.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/program_end.h"
#include "ui/event_loop.h"
#include "ui/waits.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"

#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <string_view>
#include <unistd.h>

using namespace testing_support;

namespace {

const char* const kFolderVariable = "TESSAL_TEST_PROGRAM_FOLDER";
const char* const kPortVariable = "TESSAL_TEST_SERVER_PORT";
const char* const kWaitVariable = "TESSAL_TEST_WAIT";
const char* const kWatchVariable = "TESSAL_TEST_WATCH";

const QString kAlreadyRunning = QStringLiteral("Tessal Arvendel 已经在这个文件夹中运行：\r\n");
const QString kOneWriter = QStringLiteral("\r\n\r\n同一个文件夹里的记录只能由一份程序来写。\r\n"
                                          "这次启动将退出，已在运行的那一份不受影响。");

class ProgramEnd : public AlarmPointTest {};

// The program as it runs, in a process of its own that the test below starts: on the machine's
// clock, ended as the program ends, with Qt's own dialogs once it is linked, watching a
// synthetic camera (unless told not to) and linked to that test's alarm server, in that test's
// program folder. Once the test says so it waits as the test asks, until something ends the
// process.
TEST_F(ProgramEnd, DISABLED_TheProgramInAProcessOfItsOwn) {
    const QString folder = qEnvironmentVariable(kFolderVariable);
    const int port = qEnvironmentVariableIntValue(kPortVariable);
    ASSERT_FALSE(folder.isEmpty()) << "started by TheAlarmPointsLogIsKeptHoweverTheProgramEnds";
    vbrt::setAppPath(folder);
    // Nothing ends this process in a way that would remove its own folder.
    dir.remove();
    platform::TcpSocket::setPortMap(
        [port](int p) { return p == alarmpoint::Form4::kMessagePort ? port : 0; });
    const auto camera = platform::installSyntheticCaptureDriver();
    QImage room(640, 480, QImage::Format_RGB32);
    room.fill(Qt::gray);
    camera->setFrame(room);
    const auto sounds = platform::installRecordingMediaBackend();
    ui::EventLoop::instance().useRealTime();
    shell::installProgramEnd();

    shell::form1().show();
    shell::form1().Command11_Click();
    if (qEnvironmentVariableIntValue(kWatchVariable) != 0)
        shell::form2().monitoring.Command13_Click();
    dialogs.expectInputBox(kServerPrompt, QStringLiteral("127.0.0.1"));
    shell::form2().Command15.press();
    ui::setDialogs(nullptr);
    // The wait begins once the test has seen the log in a snapshot, and says so.
    QTimer ready;
    QObject::connect(&ready, &QTimer::timeout, [&] {
        if (!QFile::remove(folder + QStringLiteral("/wait")))
            return;
        ready.stop();
        QFile(folder + QStringLiteral("/waiting")).open(QIODevice::WriteOnly);
        const QByteArray wait = qgetenv(kWaitVariable);
        if (wait == "drawing")
            ui::busyWait(60);
        if (wait == "message box")
            QMessageBox(QMessageBox::Question, QString(), QStringLiteral("是否继续？"),
                        QMessageBox::Yes | QMessageBox::No)
                .exec();
    });
    ready.start(50);
    QCoreApplication::exec();
}

// However the program ends (the desktop's signal, whatever it waits for, or killed outright
// after its log's last snapshot), the lines its alarm point showed are in recordarchive.txt
// exactly once when it has started again and opened the alarm point, even when the archive
// could not be written at the end. A signal ends it as the quit does: the monitoring tells the
// server it was closed, no message box holds the end up, and the process ends well; so does
// one that comes while the program is still starting. A second start in its folder while it
// runs says so and ends, and takes nothing from it.
TEST_F(ProgramEnd, TheAlarmPointsLogIsKeptHoweverTheProgramEnds) {
    const QString archiveFile = alarmpoint::MessageLog::kArchiveFile;
    const struct {
        const char* what;
        int signal;
        const char* wait;
        bool archiveRefused;
        // Lines the server sends just before the signal, which the program has not read.
        bool lateLines;
        // A session manager's SIGKILL follows the signal before the windows' closes are done.
        bool killedSoonAfter;
        // The watch runs, and its close waits a second with events running.
        bool watching = true;
        // While it runs, the program is started a second time in its folder.
        bool secondCopy = false;
    } rows[] = {
        {"SIGTERM: a logout or a shut-down, lines sent just before it", SIGTERM, "", false, true,
         false, false},
        {"SIGHUP: the terminal gone, while a drawing waits and lines come", SIGHUP, "drawing",
         false, true, false, false},
        {"SIGINT: Ctrl+C, while a message box waits and the archive refuses the log", SIGINT,
         "message box", true, false, false},
        {"SIGKILL: killed, or the power gone", SIGKILL, "", false, false, false},
        {"SIGTERM and SIGKILL soon after, the watch closing", SIGTERM, "", false, false, true},
        {"SIGTERM the moment the program starts, before it has a window", SIGTERM, "start-up",
         false, false, false},
        {"SIGTERM after a second start in its folder, which ended at once", SIGTERM, "", false,
         false, false, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.wait == std::string_view("start-up")) {
            // The program itself, in this folder, the signal waiting for it since before its
            // first instruction, so that it comes before the program could handle any.
            const QString program = path(QStringLiteral("tessal"));
            ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + "/tessal", program));
            QProcess starting;
            starting.setChildProcessModifier([signal = row.signal] {
                sigset_t held;
                sigemptyset(&held);
                sigaddset(&held, signal);
                ::sigprocmask(SIG_BLOCK, &held, nullptr);
                ::kill(::getpid(), signal);
            });
            starting.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            starting.start(program, {});
            ASSERT_TRUE(pumpUntil([&] { return starting.state() == QProcess::NotRunning; }, 10));
            EXPECT_EQ(starting.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(starting.exitCode(), 0);
            continue;
        }
        for (const QString& name : {archiveFile, QStringLiteral("record1.txt"),
                                    QStringLiteral("record2.txt"), QStringLiteral("waiting")})
            QFile::remove(path(name));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kFolderVariable), dir.path());
        env.insert(QString::fromLatin1(kPortVariable), QString::number(server.port()));
        env.insert(QString::fromLatin1(kWaitVariable), QString::fromLatin1(row.wait));
        env.insert(QString::fromLatin1(kWatchVariable), row.watching ? "1" : "0");
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--gtest_filter=ProgramEnd.DISABLED_*"),
                       QStringLiteral("--gtest_also_run_disabled_tests")});
        const int client = server.clientCount();
        ASSERT_TRUE(server.waitForClients(client + 1));

        QString lines;
        for (int i = 0; i < 30; ++i)
            lines += QStringLiteral("第%1条：客厅红色告警。\r\n").arg(i);
        server.send(client, QStringLiteral("￥&$") + lines);
        ASSERT_TRUE(pumpUntil(
            [&] {
                return vbrt::fromAnsi(read(QStringLiteral("record1.txt")) +
                                      read(QStringLiteral("record2.txt")))
                    .contains(lines);
            },
            10));
        if (row.archiveRefused) {
            ASSERT_TRUE(QDir(dir.path()).mkpath(archiveFile));
        }
        write(QStringLiteral("wait"), {});
        ASSERT_TRUE(pumpUntil([&] { return exists(QStringLiteral("waiting")); }));
        if (row.secondCopy) {
            dialogs.expectMsgBox(kAlreadyRunning + QDir::toNativeSeparators(dir.path()) +
                                     kOneWriter,
                                 ui::defaultTitle(), ui::vbOK, ui::vbOKOnly);
            shell::form1().show();
            EXPECT_TRUE(app::programEnded());
            shell::resetAll();
        }
        QString late;
        if (row.lateLines) {
            for (int i = 0; i < 10; ++i)
                late += QStringLiteral("第%1条：门口黄色告警。\r\n").arg(i);
            server.send(client, QStringLiteral("￥&$") + late);
        }
        ::kill(program.processId(), row.signal);
        if (row.killedSoonAfter) {
            // The monitoring's close waits a second; the log does not wait for it.
            EXPECT_TRUE(
                pumpUntil([&] { return vbrt::fromAnsi(read(archiveFile)).contains(lines); }, 0.8));
            ::kill(program.processId(), SIGKILL);
        }
        ASSERT_TRUE(pumpUntil([&] { return program.state() == QProcess::NotRunning; }, 10));
        if (row.signal != SIGKILL && !row.killedSoonAfter) {
            EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(program.exitCode(), 0);
        }
        if (row.signal != SIGKILL && !row.killedSoonAfter && row.watching) {
            EXPECT_TRUE(pumpUntil([&] {
                return server.from(client).join(QString()).contains(
                    QStringLiteral("有人关闭了监控系统"));
            }));
        }
        if (row.archiveRefused) {
            ASSERT_TRUE(QDir(dir.path()).rmdir(archiveFile));
        }

        open();
        const QString archived = vbrt::fromAnsi(read(archiveFile));
        EXPECT_EQ(archived.count(lines), 1) << archived.toStdString();
        if (row.lateLines) {
            EXPECT_EQ(archived.count(late), 1) << archived.toStdString();
        }
        f4().unload();
    }
}

} // namespace
