#pragma once

// The alarm point's window, opened in a program folder of its own and linked to the alarm
// server double on 127.0.0.1, for the benchmarks of the alarm point. The window starts on
// virtual time: its own timers tick only when a benchmark moves the clock.

#include "alarm_server.h"
#include "alarmpoint/form4.h"
#include "shell/forms.h"
#include "ui/dialogs.h"
#include "ui/event_loop.h"
#include "vbrt/apppath.h"

#include <QTemporaryDir>
#include <cstdio>

namespace bench_support {

// The address box answers with the double's address; nothing else may ask.
class LoopbackAnswers : public ui::Dialogs {
public:
    int msgBox(const QString& prompt, int, const QString&) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(prompt));
        return ui::vbOK;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return QStringLiteral("127.0.0.1");
    }
    std::optional<QString> openFile(const ui::FileDialogRequest&) override { return {}; }
    std::optional<QString> saveFile(const ui::FileDialogRequest&) override { return {}; }
    std::optional<vbrt::Colour> chooseColor(vbrt::Colour) override { return {}; }
    std::optional<int> popupMenu(const std::vector<ui::MenuItem>&) override { return {}; }
};

inline void useBenchClock() {
    ui::EventLoop::instance().useVirtualTime(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
}

struct LinkedAlarmPoint {
    QTemporaryDir folder;
    LoopbackAnswers answers;
    testing_support::AlarmServer server;

    explicit LinkedAlarmPoint(const QString& folderTemplate) : folder(folderTemplate) {
        vbrt::setAppPath(folder.path());
        ui::setDialogs(&answers);
        useBenchClock();
        point().show();
        testing_support::pumpUntil([this] { return linkUp(); });
    }
    ~LinkedAlarmPoint() { ui::setDialogs(nullptr); }
    alarmpoint::Form4& point() { return shell::form4(); }
    bool linkUp() { return point().Winsock1.State() == platform::TcpSocket::Connected; }
    // The server's end of the point's link as it stands (a new one after each reconnect).
    int client() { return server.clientCount() - 1; }
};

} // namespace bench_support
