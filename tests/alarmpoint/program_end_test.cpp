#include "alarm_point_fixture.h"
#include "alarmpoint/message_log.h"
#include "monitoring/monitoring.h"
#include "platform/media_backend.h"
#include "platform/synthetic_capture_driver.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/program_end.h"
#include "ui/event_loop.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"

#include <QImage>
#include <QProcess>
#include <csignal>

using namespace testing_support;

namespace {

const char* const kFolderVariable = "TESSAL_TEST_PROGRAM_FOLDER";
const char* const kPortVariable = "TESSAL_TEST_SERVER_PORT";
const QString kClosingNotice = QStringLiteral("有人关闭了监控系统");

class ProgramEnd : public AlarmPointTest {};

// The program as it runs, in a process of its own that the test below starts: on the machine's
// clock, ended as the program ends, watching a synthetic camera and linked to that test's
// alarm server, in that test's program folder. It runs until something ends the process.
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
    shell::form2().monitoring.Command13_Click();
    dialogs.expectInputBox(kServerPrompt, QStringLiteral("127.0.0.1"));
    shell::form2().Command15.press();
    QCoreApplication::exec();
}

// However the program ends (the desktop's signal, or killed outright after its log's last
// snapshot), the lines its alarm point showed are in recordarchive.txt exactly once when it
// has started again and opened the alarm point. A signal ends it as the quit does: the
// monitoring tells the server it was closed, and the process ends well.
TEST_F(ProgramEnd, TheAlarmPointsLogIsKeptHoweverTheProgramEnds) {
    const struct {
        const char* what;
        int signal;
    } rows[] = {
        {"SIGTERM: a logout or a shut-down", SIGTERM},
        {"SIGHUP: the terminal gone", SIGHUP},
        {"SIGINT: Ctrl+C", SIGINT},
        {"SIGKILL: killed, or the power gone", SIGKILL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        for (const char* name : {"recordarchive.txt", "record1.txt", "record2.txt"})
            QFile::remove(path(QString::fromLatin1(name)));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kFolderVariable), dir.path());
        env.insert(QString::fromLatin1(kPortVariable), QString::number(server.port()));
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
        const auto snapshotHoldsAll = [&] {
            return vbrt::fromAnsi(read(QStringLiteral("record1.txt")) +
                                  read(QStringLiteral("record2.txt")))
                .contains(lines);
        };
        ASSERT_TRUE(pumpUntil(snapshotHoldsAll, 10))
            << vbrt::fromAnsi(read(QStringLiteral("record2.txt"))).toStdString();
        const int heard = int(server.received.size());
        ::kill(program.processId(), row.signal);
        ASSERT_TRUE(pumpUntil([&] { return program.state() == QProcess::NotRunning; }, 10));
        if (row.signal != SIGKILL) {
            EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(program.exitCode(), 0);
            EXPECT_TRUE(pumpUntil([&] {
                return server.from(client).join(QString()).contains(kClosingNotice);
            })) << "heard "
                << server.received.size() - heard << " messages after the signal";
        }

        open();
        const QString archived = vbrt::fromAnsi(read(alarmpoint::MessageLog::kArchiveFile));
        EXPECT_EQ(archived.count(lines), 1) << archived.toStdString();
        f4().unload();
    }
}

} // namespace
