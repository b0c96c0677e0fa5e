#pragma once

#include "alarm_server.h"
#include "alarmpoint/form4.h"
#include "app_fixture.h"
#include "shell/forms.h"

#include <QStringEncoder>
#include <functional>

namespace testing_support {

inline const QString kServerPrompt =
    QStringLiteral("请输入告警服务端 所在的IP 地址(测试用公网服务器地址为：") +
    alarmpoint::Form4::kDefaultServer + QStringLiteral(" ，确定 即可连接)：");

// The alarm point connected to an alarm server double.
class AlarmPointTest : public AppTest {
protected:
    using AppTest::AppTest;
    alarmpoint::Form4& f4() { return shell::form4(); }

    // Opens the window as the monitoring's button does and waits for the link.
    void open() {
        dialogs.expectInputBox(kServerPrompt, QStringLiteral("127.0.0.1"));
        f4().show();
        ASSERT_TRUE(server.waitForClients(1));
        ASSERT_TRUE(pumpUntil([&] { return connected(); }));
        countArrivals();
    }
    bool connected() { return f4().Winsock1.State() == platform::TcpSocket::Connected; }

    // Sends one message from the server and waits until the point has taken it in.
    void receive(const QString& text, int client = 0) {
        receiveBytes(QStringEncoder("GBK").encode(text), client);
    }
    void receiveBytes(const QByteArray& bytes, int client = 0) {
        const int before = arrivals_;
        server.sendBytes(client, bytes);
        ASSERT_TRUE(pumpUntil([&] { return arrivals_ > before; })) << bytes.toHex().toStdString();
    }
    void countArrivals() {
        auto dispatch = f4().Winsock1.onDataArrival;
        f4().Winsock1.onDataArrival = [this, dispatch](qint64 n) {
            ++arrivals_;
            dispatch(n);
        };
    }
    // The message that an action put on the link, as the server received it.
    QString sentBy(const std::function<void()>& action) {
        const int n = int(server.received.size());
        action();
        if (!server.waitForMessages(n + 1))
            return QStringLiteral("<nothing>");
        return server.received.at(n).text;
    }

    QString log() { return f4().RichTextBox3.Text(); }

    AlarmServer server;

private:
    int arrivals_ = 0;
};

} // namespace testing_support
