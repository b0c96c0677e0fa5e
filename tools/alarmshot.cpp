// Opens the remote alarm point against an alarm server double on 127.0.0.1, lets them exchange
// a few messages (time, a server notice, a report, a chat line, a collaboration notice, a query
// and its reply) and saves a picture of the window.
//
//   alarmshot OUT.png
#include "alarm_server.h"
#include "alarmpoint/form4.h"
#include "alarmpoint/link.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "vbrt/apppath.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Qt's dialogs, but the server address is the double's.
class LocalServer : public ui::QtDialogs {
public:
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return QStringLiteral("127.0.0.1");
    }
};

void settle(double seconds) {
    testing_support::pumpUntil([] { return false; }, seconds);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::useChineseDesktop();
    if (QApplication::arguments().size() < 2) {
        std::fprintf(stderr, "usage: alarmshot OUT.png\n");
        return 2;
    }
    const QString out = QApplication::arguments().at(1);

    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    vbrt::setAppPath(folder.path());
    LocalServer dialogs;
    ui::setDialogs(&dialogs);

    int status = 1;
    {
        testing_support::AlarmServer server;
        shell::form2().Command15.press();
        alarmpoint::Form4& point = shell::form4();
        if (server.waitForClients(1)) {
            settle(0.5);
            server.send(0, QStringLiteral("SYN$datetime$SYN2026-12-8 21:30:00"));
            settle(0.3);
            server.send(
                0, QStringLiteral("￥&$欢迎接入 Zentur 告警服务端，当前在线告警点 3 个。\r\n"));
            settle(0.3);
            point.gaojingsc(QStringLiteral("\r\n    智能监控已经启动。\r\n"));
            settle(0.3);
            server.send(
                0, QStringLiteral("A2zen-tur:~今晚由二号告警点值班，有情况请呼叫。\r\n{}在线"));
            settle(0.3);
            server.send(
                0, QStringLiteral("A3zen-tur:~￥&#通知：告警颜色为 红色时，将会启动远程协作。"));
            settle(0.3);
            point.Text1.setText(QStringLiteral("告警点"));
            point.link.Text1_KeyPress(13);
            settle(0.3);
            server.send(0, QStringLiteral("查询完成~A1 在线\r\nA2 在线\r\nA3 在线\r\n"));
            settle(0.3);
            // A picture from another point arrives over the three data connections.
            server.send(0, QStringLiteral("报警图像.bmp\r\n*&*50000@"));
            settle(0.3);
            server.sendDownload(point.Winsock3(0).boundPort(), QByteArray(50000, 'x'));
            settle(2);
            status = point.window() && point.window()->grab().save(out) ? 0 : 1;
        }
        if (status)
            std::fprintf(stderr, "alarmshot: could not save %s\n", qPrintable(out));
        shell::resetAll();
    }
    ui::setDialogs(nullptr);
    return status;
}
