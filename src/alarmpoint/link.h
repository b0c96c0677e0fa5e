#pragma once

#include "alarmpoint/server_message.h"

#include <QString>
#include <QtGlobal>
#include <cstdint>

namespace alarmpoint {

class Form4;

// The message link to the alarm server on Winsock1: the send rule every sender follows, what
// the window's buttons, its input box and the monitoring send, and what each arriving message
// does. Two timers of the window belong to it:
//   Timer7  1 s  reopens the link after a pause
//   Timer8  1 s  closes it after a pause
class Link {
public:
    explicit Link(Form4& form);
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    QString serverAddress;
    bool commandMode = false; // false: Enter in Text1 sends a query
    bool timeSynced = false;  // the server's time came since the window opened
    QString lastQuery;        // put back in the input box with its reply
    bool bok = false;         // while true, arrivals are left unread
    int reconnectTicks = 0;   // Timer7's ticks towards the reconnection
    int16_t closeTicks = 0;   // Timer8's ticks towards the close

    // What the monitoring calls: a report, and the announcement of collaboration. "ok" when
    // sent, "" when the link was down (it is reopened and the text is lost).
    QString gaojingsc(const QString& text);
    QString yuancx();

    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_Connect();
    // The server's end closed, or the link failed: either way it is lost.
    void Winsock1_Close();
    void Winsock1_Error(int number, const QString& description);
    void Timer7_Timer();
    void Timer8_Timer();
    // A double click on the window abandons a waiting query and reconnects.
    void Form_DblClick();

    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Text1_KeyPress(int keyAscii);

    // The send rule: the text goes out only on a connected link; otherwise the link is reopened
    // and the text is lost. True when sent.
    bool sendOnLink(const QString& text);
    // True on a connected link; otherwise the link is reopened (unless an attempt is under way).
    bool linkReady();
    // Close unless closed, connect, wait a second.
    void reopenLink();
    void connectToServer();
    // Every command of the window starts the same way.
    void enterCommandMode();
    // The link went down without the user asking (the server's end went away, an error, a
    // failure that closed it): Label2 shows it down until it is back, the log says so once,
    // and the reconnect timer opens it again, whatever ordinary traffic switched off.
    void lost();

private:
    void timeSync(const ServerMessage& m);
    void remoteNotice(const ServerMessage& m);
    void serverClose(const ServerMessage& m);
    void serverFull();
    void chatLine(const ServerMessage& m);
    void queryReply(const ServerMessage& m);
    void showChatLayout();
    void sendQuery();

    Form4& f_;
    // A "server full" box is waiting to be shown or is open.
    bool serverFullAsked_ = false;
    // The link has been up since it was last lost; its loss was logged and its return is not
    // yet.
    bool up_ = false;
    bool loggedLost_ = false;
};

} // namespace alarmpoint
