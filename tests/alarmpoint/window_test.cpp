#include "alarm_point_fixture.h"
#include "alarmpoint/link.h"
#include "alarmpoint/message_log.h"
#include "app/module1.h"
#include "app/program.h"
#include "monitoring/monitoring.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "text_printers.h"
#include "vbrt/convert.h"
#include "vbrt/disk_calls.h"
#include "vbrt/file_writer.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextEdit>

#include <sys/stat.h>

using namespace testing_support;
using alarmpoint::Form4;
using platform::TcpSocket;

namespace {

const QString kHeading = QStringLiteral("Tessal人工智能监控系统 告警集群接收点：\r\n");

class AlarmWindowTest : public AlarmPointTest {};

TEST_F(AlarmWindowTest, OpensFromTheMonitoringWindowReadyToReport) {
    dialogs.expectInputBox(kServerPrompt, QString());
    shell::form2().Command15.press();
    Form4& f = f4();
    EXPECT_TRUE(app::module1().alarmPointOn);
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.BackColor(), vbrt::RGB(192, 208, 192));
    EXPECT_EQ(f.link.serverAddress, Form4::kDefaultServer) << "an empty answer";
    EXPECT_EQ(f.Winsock1.RemoteHost(), Form4::kDefaultServer);
    EXPECT_EQ(f.Winsock1.RemotePort(), 8192);
    EXPECT_EQ(f.Winsock3(0).State(), TcpSocket::Listening);
    EXPECT_EQ(f.Winsock3(0).LocalPort(), 4096);
    EXPECT_TRUE(QDir(path(QStringLiteral("zenturmail5"))).exists());
    EXPECT_EQ(f.Caption(), QStringLiteral("Tessal 人工智能监控远程告警点 "));
    EXPECT_EQ(f.Height(), 8280);
    EXPECT_EQ(f.Width(), 13398);
    EXPECT_FALSE(f.Command1.Visible() || f.Command4.Visible() || f.Command5.Visible());
    EXPECT_EQ(f.Text1.BackColor(), vbrt::RGB(232, 227, 174));
    EXPECT_EQ(f.RichTextBox3.BackColor(), vbrt::RGB(168, 221, 155));
    EXPECT_FALSE(f.RichTextBox3.WordWrap());
    // The address cannot be reached here: the link watch logs its error state after the heading.
    EXPECT_TRUE(f.RichTextBox3.Text().startsWith(kHeading));

    f.unload();
    EXPECT_FALSE(app::module1().alarmPointOn);
    EXPECT_TRUE(app::module1().quitConfirmed);
    EXPECT_EQ(f.Winsock1.State(), TcpSocket::Closed);
    EXPECT_EQ(f.Winsock3(0).State(), TcpSocket::Closed);
}

TEST_F(AlarmWindowTest, ClosingTheMonitoringWindowTellsTheServer) {
    shell::form2().load();
    shell::form2().monitoring.Command13_Click();
    dialogs.expectInputBox(kServerPrompt, QStringLiteral("127.0.0.1"));
    shell::form2().Command15.press();
    ASSERT_TRUE(pumpUntil([&] { return connected(); }));
    EXPECT_EQ(sentBy([] { shell::form2().unload(); }),
              QStringLiteral("zen-tur:~\r\n    有人关闭了监控系统 或者 电脑断电了.\r\n"));
}

TEST_F(AlarmWindowTest, TimersReopenAndCloseTheLinkAfterTheirPause) {
    open();
    Form4& f = f4();
    // Reconnect: the sixth tick from an empty counter, the fifth after that; never while the
    // link is up.
    f.Timer(7).setEnabled(true);
    advance(6.5);
    EXPECT_TRUE(f.Timer(7).Enabled()) << "connected";
    server.drop(0);
    ASSERT_TRUE(pumpUntil([&] { return !connected(); }));
    advance(1);
    ASSERT_TRUE(server.waitForClients(2));
    EXPECT_FALSE(f.Timer(7).Enabled());

    f.Winsock1.Close();
    f.Timer(7).setEnabled(true);
    advance(4.5);
    EXPECT_EQ(server.clientCount(), 2);
    advance(1);
    EXPECT_TRUE(server.waitForClients(3));

    ASSERT_TRUE(pumpUntil([&] { return connected(); }));
    f.Timer(8).setEnabled(true);
    advance(3.5);
    EXPECT_TRUE(connected());
    advance(1);
    EXPECT_EQ(f.Winsock1.State(), TcpSocket::Closed);
    EXPECT_FALSE(f.Timer(8).Enabled());

    // A long wait with the close timer on and the link closed keeps counting, at most to the top.
    f.link.closeTicks = 32766;
    f.Timer(8).setEnabled(true);
    advance(3);
    EXPECT_EQ(f.link.closeTicks, 32767);
}

TEST_F(AlarmWindowTest, ClockAndDoubleClicks) {
    open();
    Form4& f = f4();
    advance(1);
    EXPECT_TRUE(f.Text1.Text().startsWith(QStringLiteral("星期二 2026-12-8 9:05:")))
        << f.Text1.Text().toStdString();

    f.log.Text1_DblClick();
    EXPECT_EQ(f.Text1.Text(), QString());
    EXPECT_FALSE(f.Timer(1).Enabled());
    f.Text1.setText(QStringLiteral("问"));
    f.Text1.type(QStringLiteral("\r"));
    ASSERT_TRUE(f.Text1.Locked());

    // A double click on the window abandons the query and reconnects.
    f.link.commandMode = true;
    f.Form_DblClick();
    EXPECT_FALSE(f.Text1.Locked());
    EXPECT_FALSE(f.link.commandMode);
    EXPECT_TRUE(server.waitForClients(2));
}

TEST_F(AlarmWindowTest, SnapshotsAlternateAndFollowTheLog) {
    open();
    Form4& f = f4();
    const QString rec1 = QStringLiteral("record1.txt"), rec2 = QStringLiteral("record2.txt");
    // In GBK, as the other tools on the user's desktop read them.
    const QByteArray heading =
        "Tessal\xC8\xCB\xB9\xA4\xD6\xC7\xC4\xDC\xBC\xE0\xBF\xD8\xCF\xB5\xCD\xB3 "
        "\xB8\xE6\xBE\xAF\xBC\xAF\xC8\xBA\xBD\xD3\xCA\xD5\xB5\xE3\xA3\xBA\r\n";
    EXPECT_EQ(read(rec2), heading + "\r\n") << "the first second after the load";
    EXPECT_FALSE(exists(rec1));

    f.log.appendToLog(QStringLiteral("甲"));
    advance(1);
    EXPECT_EQ(read(rec1), heading + "\xBC\xD7\r\n");
    QFile::remove(path(rec2));
    advance(3);
    EXPECT_FALSE(exists(rec2)) << "an unchanged log is not written again";

    f.RichTextBox3.setText(QString());
    advance(1);
    EXPECT_EQ(read(rec2), "\r\n");

    // A long log is written less often: a second for every 50,000 characters.
    const QByteArray longLog(200'000, 'x');
    f.RichTextBox3.setText(QString::fromLatin1(longLog));
    advance(3);
    EXPECT_EQ(read(rec1), heading + "\xBC\xD7\r\n");
    advance(1);
    EXPECT_EQ(read(rec1), longLog + "\r\n");
}

// Chat lines carry no line break, so they all grow one paragraph of the log: it is kept in
// blocks short enough to lay out at once, and the user sees and copies the lines as sent.
TEST_F(AlarmWindowTest, ChatLinesGrowOneParagraphInShortBlocks) {
    open();
    Form4& f = f4();
    QString chat;
    for (int i = 0; i < 30; ++i) {
        const QString line =
            QStringLiteral("第%1条：客厅摄像头红色告警，告警值 312，请查看。").arg(i);
        receive(QStringLiteral("A2zen-tur:~") + line + QStringLiteral("{}OK"));
        chat += line;
    }
    EXPECT_EQ(log(), kHeading + chat);
    const QTextDocument* doc = f.RichTextBox3.edit()->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        EXPECT_LE(b.length() - 1, ui::RichTextBox::kBlockChars) << b.blockNumber();

    f.RichTextBox3.SetFocus();
    f.RichTextBox3.setSelStart(int(kHeading.size()) + 50);
    f.RichTextBox3.setSelLength(600);
    dialogs.expectPopupMenu(3);
    f.log.RichTextBox3_MouseDown(2, 0, 0, 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), chat.mid(50, 600));
}

// A server that never stops talking: what one arrival brings is bounded, the window keeps the
// newest text, and what leaves it is in recordarchive.txt, in order, before it is gone.
TEST_F(AlarmWindowTest, AnEndlessStreamIsTakenInPiecesAndTheLogKeepsItsNewestText) {
    open();
    Form4& f = f4();
    qint64 largest = 0;
    auto dispatch = f.Winsock1.onDataArrival;
    f.Winsock1.onDataArrival = [&](qint64 n) {
        largest = std::max(largest, n);
        dispatch(n);
    };
    QString line;
    for (int i = 0; line.size() < 100'000; ++i)
        line += QStringLiteral("%1 告警点A2，").arg(i, 6);
    QString sent;
    for (int i = 0; sent.size() < 1.3 * alarmpoint::MessageLog::kLogChars; ++i) {
        server.send(0, line);
        sent += line;
    }
    server.send(0, QStringLiteral("探测"));
    // 2.6 million characters through the window: a second or two in a plain build, half a
    // minute or more under the sanitizers beside other tests.
    ASSERT_TRUE(pumpUntil([&] { return log().endsWith(QStringLiteral("探测")); }, 240));

    EXPECT_LE(largest, 64 * 1024);
    EXPECT_LE(f.RichTextBox3.TextLength(), alarmpoint::MessageLog::kLogChars);
    const QString archived =
        QStringDecoder("GBK").decode(read(alarmpoint::MessageLog::kArchiveFile));
    EXPECT_EQ(archived + log(), kHeading + sent + QStringLiteral("探测"));
}

// Whatever takes the log out of the window (a query, the window's close, the program's end,
// with or without its windows' close) puts it at the end of recordarchive.txt first, once:
// the snapshots of the log that follows no longer hold it. While the archive cannot be
// written (a folder in its place) the log stays, in the window or in its snapshots, until it
// can: the next query, or the next opening of the window.
TEST_F(AlarmWindowTest, TheLogGoesToTheArchiveBeforeItLeavesTheWindow) {
    const QString archiveFile = alarmpoint::MessageLog::kArchiveFile;
    const QString notArchived =
        QStringLiteral("告警记录没有存档，") +
        vbrt::writeFailedMessage(path(archiveFile), {QStringLiteral("同名的是一个文件夹")});
    // The program ended from its main window, asked or at once, and started again: fresh
    // windows, once the old ones' widgets are gone.
    const auto restartAfter = [&](bool atOnce, bool blocked) {
        installAsset(QStringLiteral("22.bmp"));
        shell::form1().show();
        shell::form1().exitWithoutAsking = atOnce;
        if (!atOnce)
            dialogs.expectMsgBox(QStringLiteral("是否退出Tessal Arvendel？"),
                                 QStringLiteral("Tessal Arvendel"), ui::vbYes, ui::vbYesNo);
        if (!atOnce && blocked)
            dialogs.expectMsgBox(notArchived, QStringLiteral("Tessal Arvendel"), ui::vbOK,
                                 ui::vbOKOnly);
        shell::form1().requestClose();
        ASSERT_TRUE(app::programEnded());
        shell::resetAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    const auto query = [&] {
        f4().log.Text1_DblClick();
        f4().Text1.setText(QStringLiteral("问"));
        f4().Text1.type(QStringLiteral("\r"));
    };
    struct Row {
        const char* what;
        std::function<void(bool blocked)> leave;
        // While it still refuses, the window opened again shows the log it could not archive.
        bool reopenWhileBlocked;
    };
    const Row rows[] = {
        {"a query", [&](bool) { query(); }, false},
        {"the window closed and opened again",
         [&](bool blocked) {
             if (blocked)
                 dialogs.expectMsgBox(notArchived, QStringLiteral("Tessal Arvendel"), ui::vbOK,
                                      ui::vbOKOnly);
             f4().unload();
         },
         false},
        {"the program ended and started again", [&](bool blocked) { restartAfter(false, blocked); },
         true},
        {"the program ended at once and started again",
         [&](bool blocked) { restartAfter(true, blocked); }, true},
    };
    for (bool blocked : {false, true}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            SCOPED_TRACE(blocked ? "the archive refused the log first" : "the archive took it");
            QFile::remove(path(archiveFile));
            if (!f4().isLoaded())
                open();
            QString lines;
            for (int i = 0; i < 20; ++i) {
                const QString line = QStringLiteral("第%1条：客厅红色告警。\r\n").arg(i);
                receive(QStringLiteral("￥&$") + line, server.clientCount() - 1);
                lines += line;
            }
            advance(2);
            if (blocked) {
                ASSERT_TRUE(QDir(dir.path()).mkpath(archiveFile));
            }
            row.leave(blocked);
            advance(3);
            if (blocked) {
                if (row.reopenWhileBlocked)
                    open();
                if (f4().isLoaded()) {
                    EXPECT_TRUE(log().contains(lines + QStringLiteral("\r\n") + notArchived))
                        << log().toStdString();
                }
                ASSERT_TRUE(QDir(dir.path()).rmdir(archiveFile));
                if (f4().isLoaded())
                    query();
            }
            if (!f4().isLoaded())
                open();
            const QString archived = vbrt::fromAnsi(read(archiveFile));
            EXPECT_EQ(archived.count(lines), 1) << archived.toStdString();
            EXPECT_TRUE(archived.contains(lines + QStringLiteral("\r\n")));
        }
    }
}

// However a kill or a power cut cuts the writes of a query, a trim, a close or an end, the
// lines that reached the disk are in recordarchive.txt once after the next openings, in order;
// so they are when the snapshots cannot be emptied. A kill is stood at each sync to the disk
// in turn: from there on the process writes nothing more, and its windows are dropped unclosed.
// A power cut may also tear the append that the sync was to make safe, or leave zeros where
// its data did not reach the disk: the opening takes that back. What the user did to the
// archive after it (a note added, a line deleted) is kept, the text appended after it.
TEST_F(AlarmWindowTest, TheLogIsArchivedOnceWhereverAKillCutsItsWrites) {
    using alarmpoint::MessageLog;
    const QString archiveFile = MessageLog::kArchiveFile;
    const auto numbered = [](const QString& what, int count) {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QStringLiteral("%1 %2\r\n").arg(i, 8).arg(what);
        return text;
    };
    const QString lines = numbered(QStringLiteral("客厅红色告警。"), 30);
    // The trim takes the lines and more that a snapshot holds, and the snapshot holds more.
    const QString filler = numbered(QStringLiteral("填充的告警记录。").repeated(60), 3'900);
    const QString more = numbered(QStringLiteral("最后的告警。").repeated(60), 600);
    struct Row {
        const char* what;
        std::function<void()> leave;
        bool trim = false, readOnlySnapshots = false;
    };
    const Row rows[] = {
        {"a query",
         [&] {
             f4().log.Text1_DblClick();
             f4().Text1.setText(QStringLiteral("问"));
             f4().Text1.type(QStringLiteral("\r"));
         }},
        {"the trim", [&] { f4().log.appendToLog(more); }, true},
        {"the window's close", [&] { f4().unload(); }},
        {"the end at once", [&] { app::End(); }},
        {"the window's close, the snapshots read-only", [&] { f4().unload(); }, false, true},
    };
    // Whether the kill came before the row's writes were done, and whether it came at the sync
    // that was to make the archive's append safe, which a power cut there may leave torn.
    struct Cut {
        bool killed = false, appendUnsafe = false;
    };
    // What a power cut at that sync, and then the user, left of the append.
    enum class Tear { None, Short, ZerosFromAPoint, AllZeros, ShortThenANote, ALineDeleted };
    const auto tear = [&](Tear how, qint64 from, qint64 to) {
        if (how == Tear::None)
            return;
        QByteArray bytes = read(archiveFile);
        const qint64 middle = (from + to) / 2, zeros = how == Tear::AllZeros ? from : middle;
        if (how == Tear::Short || how == Tear::ShortThenANote)
            bytes.truncate(middle);
        if (how == Tear::ZerosFromAPoint || how == Tear::AllZeros)
            bytes.replace(zeros, to - zeros, QByteArray(to - zeros, '\0'));
        if (how == Tear::ShortThenANote)
            bytes += vbrt::toAnsi(QStringLiteral("用户的备注。\r\n"));
        const qsizetype line = bytes.indexOf('\n', middle) + 1;
        if (how == Tear::ALineDeleted)
            bytes.remove(line, bytes.indexOf('\n', line) + 1 - line);
        write(archiveFile, bytes);
    };
    const auto cutAt = [&](const Row& row, int killAt, Tear how) {
        SCOPED_TRACE(row.what);
        SCOPED_TRACE(testing::Message() << "killed at sync " << killAt << ", torn " << int(how));
        for (const QString& name : files())
            QFile::remove(path(name));
        if (!f4().isLoaded())
            open();
        receive(QStringLiteral("￥&$") + lines, server.clientCount() - 1);
        if (row.trim)
            f4().log.appendToLog(filler);
        advance(row.trim ? MessageLog::kSnapshotWaitLimit : 2);
        if (row.readOnlySnapshots)
            for (const char* name : {"record1.txt", "record2.txt"})
                QFile(path(QString::fromLatin1(name))).setPermissions(QFile::ReadOwner);
        const qint64 archivedBefore = read(archiveFile).size();

        int syncs = 0;
        Cut cut;
        bool grown = false;
        vbrt::disk::stopAtSync([&] {
            const bool grownNow = read(archiveFile).size() > archivedBefore;
            cut.appendUnsafe = grownNow && !grown;
            grown = grownNow;
            return ++syncs == killAt;
        });
        row.leave();
        vbrt::disk::stopAtSync({});
        cut.killed = syncs >= killAt;
        cut.appendUnsafe = cut.appendUnsafe && cut.killed;
        shell::resetAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tear(how, archivedBefore, read(archiveFile).size());
        const QByteArray left = read(archiveFile);

        // The next start takes away the copy a kill during a snapshot left.
        shell::form1().show();
        EXPECT_EQ(files().filter(QRegularExpression(QStringLiteral("^\\.~"))), QStringList());
        for (int opening = 0; opening < 2; ++opening) {
            open();
            f4().unload();
        }
        const QString archived = vbrt::fromAnsi(read(archiveFile));
        // A note or a deleted line keeps what the append brought: its text comes again after.
        const bool keptAsLeft = how == Tear::ShortThenANote || how == Tear::ALineDeleted;
        EXPECT_TRUE(read(archiveFile).startsWith(keptAsLeft ? left : left.left(archivedBefore)));
        EXPECT_FALSE(read(archiveFile).contains('\0'));
        EXPECT_GE(archived.count(lines), 1) << archived.left(3000).toStdString();
        EXPECT_LE(archived.count(lines), keptAsLeft ? 2 : 1) << archived.left(3000).toStdString();
        if (row.trim && !keptAsLeft) {
            EXPECT_EQ(archived.count(filler), 1);
            const QStringList last = archived.split(QStringLiteral("最后的告警。"));
            EXPECT_EQ(QSet<QString>(last.begin(), last.end()).size(), last.size()) << "none twice";
        }
        return cut;
    };
    for (const Row& row : rows) {
        for (int killAt = 1;; ++killAt) {
            const Cut cut = cutAt(row, killAt, Tear::None);
            if (cut.appendUnsafe)
                for (Tear how : {Tear::Short, Tear::ZerosFromAPoint, Tear::AllZeros,
                                 Tear::ShortThenANote, Tear::ALineDeleted})
                    cutAt(row, killAt, how);
            if (!cut.killed)
                break;
        }
    }
}

// What the user and other programs do to the files between two runs, and snapshots whose
// times do not tell them apart: the next openings take no byte the archive holds, and archive
// every line the snapshots held as often as the log showed it.
TEST_F(AlarmWindowTest, TheNextOpeningsKeepEveryByteWhateverWasDoneToTheFiles) {
    const QString archive = alarmpoint::MessageLog::kArchiveFile, rotated = archive + ".1";
    const QString rec1 = "record1.txt", rec2 = "record2.txt", note = "recordarchive.mark";
    const auto numbered = [](const QString& what, int count) {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QStringLiteral("%1 %2\r\n").arg(i, 4).arg(what);
        return text;
    };
    const QString first = numbered("第一次客厅红色告警。", 150),
                  last = numbered("断电前的告警。", 12);
    const QString reply = "客厅一切正常";
    // A line that the trim of a log of 2.1 million characters cuts.
    const QString longLine = QString("长").repeated(200'000);
    const QString filler = numbered(QString("填充的告警记录。").repeated(30), 6'000);
    const auto lines = [&](const QString& text) {
        receive("￥&$" + text, server.clientCount() - 1);
        advance(2);
    };
    const auto kill = [] {
        shell::resetAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    // The window closed, unless the program was killed, and the program started again.
    const auto again = [&] {
        if (f4().isLoaded())
            f4().unload();
        kill();
        open();
    };
    const auto queriesThenKill = [&](int queries) {
        for (int i = 0; i < queries; ++i) {
            f4().log.Text1_DblClick();
            f4().Text1.setText("问");
            f4().Text1.type("\r");
            lines("OK~" + reply);
        }
        kill();
    };
    const auto cutLines = [&](int from, int count) {
        QList<QByteArray> kept = read(archive).split('\n');
        kept.remove(from, count);
        write(archive, kept.join('\n'));
    };
    // The snapshot with the reply gets the other's time, `seconds` later.
    const auto replyTime = [&](int seconds) {
        const bool second = vbrt::fromAnsi(read(rec2)).contains(reply);
        QFile file(path(second ? rec2 : rec1));
        EXPECT_TRUE(
            file.open(QIODevice::ReadWrite) &&
            file.setFileTime(QFileInfo(path(second ? rec1 : rec2)).lastModified().addSecs(seconds),
                             QFileDevice::FileModificationTime));
    };
    const auto fifo = [&](const QString& name) {
        QFile::remove(path(name));
        ASSERT_EQ(::mkfifo(QFile::encodeName(path(name)).constData(), 0666), 0);
    };
    const auto readOnly = [&](const QString& name) {
        QFile::setPermissions(path(name), QFile::ReadOwner);
    };
    struct Row {
        const char* what;
        std::function<void()> run;     // the earlier runs, from the first opening on
        std::function<void()> between; // what was done to the files before the next opening
        QString once;                  // in the archive as often as `times` afterwards
        int times = 1;
        QString said = {};               // in the log of each of the next three openings
        std::function<void()> next = {}; // in place of three openings, each closed
    };
    const Row rows[] = {
        {"the user deleted the two oldest lines", [&] { lines(first); }, [&] { cutLines(0, 2); },
         first.mid(first.indexOf("\r\n") + 2)},
        {"two runs, a line of the second deleted", [&] { lines(first), again(), lines(last); },
         [&] { cutLines(160, 1); }, last.right(last.size() / 3)},
        {"a job kept the newest three quarters", [&] { lines(first); },
         [&] { write(archive, read(archive).right(read(archive).size() * 3 / 4)); },
         first.right(first.size() / 2)},
        {"replaced by a shorter file of other bytes", [&] { lines(first); },
         [&] { write(archive, QByteArray(read(archive).size() / 2, 'z') + "\r\n"); }, first, 0},
        {"rotated, the new archive begun with a header line", [&] { lines(first); },
         [&] { QFile::rename(path(archive), path(rotated)), write(archive, "header\r\n"); }, first,
         0},
        {"killed, then a line of the run before deleted",
         [&] { lines(first), again(), lines(last), kill(); }, [&] { cutLines(20, 1); }, last},
        {"the same reply to two queries, killed", [&] { queriesThenKill(2); }, {}, reply, 2},
        {"the snapshots' times the same", [&] { lines(last), queriesThenKill(1); },
         [&] { replyTime(0); }, reply},
        {"a snapshot's time ten seconds back", [&] { queriesThenKill(1); }, [&] { replyTime(-10); },
         reply},
        {"record2.txt read-only",
         [&] { f4().unload(), readOnly(rec2), again(), lines(last), kill(); },
         {},
         last},
        {"a FIFO in the reserve's place", [&] { lines(first); },
         [&] { fifo("recordarchive.reserve"); }, first},
        {"a FIFO in the note's place, the snapshots read-only", [&] { lines(last), kill(); },
         [&] { fifo(note), readOnly(rec1), readOnly(rec2); }, last, 1,
         "告警记录的存档标记没有保存，"},
        {"a trim, then killed, the note lost",
         [&] {
             lines(first);
             f4().log.appendToLog(filler + filler.left(700'000));
             kill();
         },
         [&] { QFile::remove(path(note)); }, first},
        {"a trim cut a long line, and the next opening finds the archive refusing",
         [&] {
             f4().log.appendToLog(filler.left(500'000) + longLine + filler.left(1'400'000));
             advance(alarmpoint::MessageLog::kSnapshotWaitLimit);
             kill();
         },
         [&] { QFile::rename(path(archive), path(rotated)); },
         longLine,
         1,
         {},
         [&] {
             QDir(dir.path()).mkpath(archive);
             open();
             QDir(dir.path()).rmdir(archive);
             QFile::rename(path(rotated), path(archive));
             f4().unload();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        kill();
        for (const QString& name : files() + QStringList{note, "recordarchive.reserve"})
            QFile::remove(path(name));
        open();
        row.run();
        if (f4().isLoaded())
            f4().unload();
        kill();
        if (row.between)
            row.between();
        const QByteArray left = read(archive);
        for (int opening = 0; !row.next && opening < 3; ++opening)
            again(), f4().unload();
        if (row.next)
            row.next();
        const QString archived = vbrt::fromAnsi(read(archive));
        EXPECT_TRUE(read(archive).startsWith(left)) << "the user's bytes kept";
        EXPECT_EQ(archived.count(row.once), row.times) << archived.left(2000).toStdString();
        EXPECT_FALSE(archived.contains(QRegularExpression("[^\n]Tessal人工智能")))
            << "each run's log starts a line";
        EXPECT_EQ(row.said.isEmpty() ? 3 : archived.count(row.said), 3) << "said at each opening";
    }
}

// While the archive refuses the oldest text (a folder in its place, a full disk), the window
// keeps it, up to twice its bound, and hands it over once the archive takes it again: nothing
// is lost or archived twice. Only past twice the bound does the oldest go, with a line that
// says how much.
TEST_F(AlarmWindowTest, WhileTheArchiveRefusesTheLogKeepsItsTextUpToTwiceItsBound) {
    using alarmpoint::MessageLog;
    open();
    Form4& f = f4();
    const QString archiveFile = MessageLog::kArchiveFile;
    const QString refused =
        QStringLiteral("\r\n告警记录没有存档，") +
        vbrt::writeFailedMessage(path(archiveFile), {QStringLiteral("同名的是一个文件夹")}) +
        QStringLiteral("\r\n");
    QString sent = log();
    int next = 0;
    const auto receiveUpTo = [&](int chars) {
        QString chunk;
        while (sent.size() + chunk.size() < chars)
            chunk += QStringLiteral("%1 客厅摄像头红色告警，告警值 312。\r\n").arg(next++, 8);
        f.log.appendToLog(chunk);
        sent += chunk;
    };
    ASSERT_TRUE(QDir(dir.path()).mkpath(archiveFile));
    receiveUpTo(MessageLog::kLogChars * 3 / 2);
    EXPECT_EQ(log().count(refused), 1);
    EXPECT_EQ(log().remove(refused), sent) << "all of it kept";

    ASSERT_TRUE(QDir(dir.path()).rmdir(archiveFile));
    receiveUpTo(MessageLog::kLogChars * 3 / 2 + 2 * MessageLog::kArchiveRetryChars);
    EXPECT_LE(f.RichTextBox3.TextLength(), MessageLog::kLogChars);
    EXPECT_EQ(QString(vbrt::fromAnsi(read(archiveFile)) + log()).remove(refused), sent);

    ASSERT_TRUE(QFile::remove(path(archiveFile)));
    ASSERT_TRUE(QDir(dir.path()).mkpath(archiveFile));
    receiveUpTo(sent.size() + MessageLog::kLogChars * 2);
    EXPECT_LE(f.RichTextBox3.TextLength(), MessageLog::kLogChars * 2);
    EXPECT_TRUE(log().contains(QRegularExpression(
        QStringLiteral("\r\n[1-9][0-9]* 个字符的较早记录移出了窗口，无法写入文件："))));
    EXPECT_TRUE(log().contains(sent.right(MessageLog::kLogChars))) << "the newest text stays";

    // Refused again until the last eighth before twice the bound, where the archive takes the
    // text again: it is asked once more before any more text is dropped.
    const QString kept = QString(log()).remove(refused);
    const qsizetype sentBefore = sent.size();
    receiveUpTo(int(sent.size()) + 2 * MessageLog::kLogChars - f.RichTextBox3.characterCount() -
                MessageLog::kArchiveRetryChars / 2);
    ASSERT_TRUE(QDir(dir.path()).rmdir(archiveFile));
    receiveUpTo(int(sent.size()) + MessageLog::kArchiveRetryChars * 4 / 5);
    EXPECT_EQ(QString(vbrt::fromAnsi(read(archiveFile)) + log()).remove(refused),
              kept + sent.mid(sentBefore));
}

// A control character from the server stays in the log and its snapshots; a screen reader
// reads one stand-in in its place and the whole log after it.
TEST_F(AlarmWindowTest, ControlCharactersDoNotCutTheLogForAScreenReader) {
    open();
    Form4& f = f4();
    QAccessibleTextInterface* reader =
        QAccessible::queryAccessibleInterface(f.RichTextBox3.edit())->textInterface();
    ASSERT_NE(reader, nullptr);
    const struct {
        const char* what;
        char byte;
        QChar read;
    } rows[] = {
        {"NUL", '\0', QChar::ReplacementCharacter},
        {"ESC", '\x1b', QChar::ReplacementCharacter},
        {"DEL", '\x7f', QChar::ReplacementCharacter},
        {"a tab", '\t', u'\t'},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        f.RichTextBox3.setText(QString());
        receiveBytes(QByteArray("A2zen-tur:~ab") + row.byte + QByteArray("cd{}OK"));
        EXPECT_EQ(log(), QStringLiteral("ab") + QChar(row.byte) + QStringLiteral("cd"));
        EXPECT_EQ(reader->characterCount(), 5);
        EXPECT_EQ(reader->text(0, reader->characterCount()),
                  QStringLiteral("ab") + row.read + QStringLiteral("cd"));
        EXPECT_EQ(reader->text(3, 5), QStringLiteral("cd"));
        advance(1.1);
        const QByteArray snapshot = read(f.log.recordToggle ? QStringLiteral("record1.txt")
                                                            : QStringLiteral("record2.txt"));
        EXPECT_EQ(snapshot, QByteArray("ab") + row.byte + QByteArray("cd\r\n"));
    }
}

TEST_F(AlarmWindowTest, LogLayouts) {
    open();
    Form4& f = f4();
    f.setHeight(8000);
    EXPECT_EQ(f.RichTextBox3.Height(), 4000);
    EXPECT_EQ(f.RichTextBox3.Top(), 2600);
    EXPECT_EQ(f.Label3.Top(), 6600);

    f.log.RichTextBox3_DblClick();
    EXPECT_TRUE(f.log.logZoomed);
    EXPECT_FALSE(f.Text1.Visible() || f.Command2.Visible());
    EXPECT_EQ(f.RichTextBox3.Width(), vbrt::CLng(f.Width() * 0.98));
    app::module1().remoteCollabOn = true;
    f.log.RichTextBox3_DblClick();
    EXPECT_EQ(f.RichTextBox3.Width(), vbrt::CLng(f.Text1.Width() * 1.5));
    EXPECT_TRUE(f.Text1.Visible() && f.Command1.Visible() && f.Command5.Visible());
    EXPECT_EQ(f.RichTextBox3.Top(), vbrt::CLng(f.Command1.Top() + 1.15 * f.Command1.Height()));
    f.log.Text1_DblClick();
    EXPECT_EQ(f.RichTextBox3.Width(), vbrt::CLng(f.Text1.Width() * 1.6));
    EXPECT_EQ(f.Label2.Top(), 5160);

    const struct { int button, top; } nudges[] = {{1, 2760}, {2, 5160}, {4, 2760}, {3, 2760}};
    for (const auto& n : nudges) {
        f.log.Label2_MouseDown(n.button, 0, 0, 0);
        EXPECT_EQ(f.Label2.Top(), n.top) << n.button;
        EXPECT_EQ(f.Label2.Left(), 0);
    }
}

// The layouts set the whole log in 15 points and leave the user's selection as it was.
TEST_F(AlarmWindowTest, ReformattingTheLogKeepsTheSelection) {
    open();
    Form4& f = f4();
    f.log.appendToLog(QStringLiteral("甲乙丙丁\r\n戊己"));
    struct Row {
        const char* what;
        std::function<void()> layout;
        int start, length;
    };
    const Row rows[] = {
        {"zooming in, a caret only", [&] { f.log.RichTextBox3_DblClick(); }, 5, 0},
        {"zooming out, two characters", [&] { f.log.RichTextBox3_DblClick(); }, 2, 2},
        {"the input box's double click, across a break", [&] { f.log.Text1_DblClick(); }, 27, 6},
    };
    f.RichTextBox3.SetFocus();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        f.RichTextBox3.setSelStart(row.start);
        f.RichTextBox3.setSelLength(row.length);
        row.layout();
        EXPECT_EQ(f.RichTextBox3.SelStart(), row.start);
        EXPECT_EQ(f.RichTextBox3.SelLength(), row.length);
        for (QTextBlock b = f.RichTextBox3.edit()->document()->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                EXPECT_EQ(it.fragment().charFormat().fontPointSize(), 15) << b.blockNumber();
        dialogs.expectPopupMenu(std::nullopt);
        f.log.RichTextBox3_MouseDown(2, 0, 0, 0);
        EXPECT_EQ(dialogs.lastMenu.at(2).enabled, row.length > 0) << "Cut";
    }
}

// A press reads every button held: the Edit menu wants the right button alone, Label2's nudges
// and the re-arming gesture one button each.
TEST_F(AlarmWindowTest, MouseDownsReadEveryButtonHeld) {
    open();
    Form4& f = f4();
    enum class Target { Log, Label2, Window };
    struct Row {
        const char* what;
        Target target;
        Qt::MouseButton pressed;
        Qt::MouseButtons held;
        Qt::KeyboardModifiers modifiers;
        bool acts;
    };
    const Row rows[] = {
        {"log, right alone", Target::Log, Qt::RightButton, Qt::RightButton, Qt::NoModifier, true},
        {"log, right with left held", Target::Log, Qt::RightButton,
         Qt::LeftButton | Qt::RightButton, Qt::NoModifier, false},
        {"Label2, right alone", Target::Label2, Qt::RightButton, Qt::RightButton, Qt::NoModifier,
         true},
        {"Label2, left with right held", Target::Label2, Qt::LeftButton,
         Qt::LeftButton | Qt::RightButton, Qt::NoModifier, false},
        {"window, Shift and right alone", Target::Window, Qt::RightButton, Qt::RightButton,
         Qt::ShiftModifier, true},
        {"window, Shift and right with middle held", Target::Window, Qt::RightButton,
         Qt::RightButton | Qt::MiddleButton, Qt::ShiftModifier, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        f.Timer(2).setEnabled(false);
        const int top = f.Label2.Top();
        const qsizetype menus = dialogs.shown.size();
        if (row.target == Target::Log && row.acts)
            dialogs.expectPopupMenu(std::nullopt);
        QWidget* w = row.target == Target::Log      ? f.RichTextBox3.edit()->viewport()
                     : row.target == Target::Label2 ? f.Label2.widget()
                                                    : f.window();
        const QPointF at(4, 4);
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), row.pressed, row.held,
                          row.modifiers);
        QCoreApplication::sendEvent(w, &press);
        const bool acted = row.target == Target::Log      ? dialogs.shown.size() > menus
                           : row.target == Target::Label2 ? f.Label2.Top() == top + 2400
                                                          : f.Timer(2).Enabled();
        EXPECT_EQ(acted, row.acts);
        if (row.target == Target::Label2 && !row.acts) {
            EXPECT_EQ(f.Label2.Top(), top);
        }
    }
}

TEST_F(AlarmWindowTest, EditMenuFollowsTheFocusedBox) {
    open();
    Form4& f = f4();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(QImage(4, 4, QImage::Format_RGB32));
    f.RichTextBox3.SetFocus();
    auto enabled = [&] {
        std::vector<bool> out;
        for (const ui::MenuItem& item : dialogs.lastMenu)
            out.push_back(item.enabled);
        return out;
    };

    dialogs.expectPopupMenu(std::nullopt);
    f.log.RichTextBox3_MouseDown(2, 0, 0, 0);
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, false, false, false, false}));

    f.RichTextBox3.setSelStart(0);
    f.RichTextBox3.setSelLength(5);
    dialogs.expectPopupMenu(2);
    f.log.RichTextBox3_MouseDown(2, 0, 0, 0);
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, true, true, false, true}));
    EXPECT_EQ(clipboard->text(), QStringLiteral("Tessa"));
    EXPECT_TRUE(f.RichTextBox3.Text().startsWith(QStringLiteral("l人工智能")));

    dialogs.expectPopupMenu(0);
    f.log.RichTextBox3_MouseDown(2, 0, 0, 0);
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false, false, true, false}));
    EXPECT_EQ(f.RichTextBox3.Text(), kHeading) << "undone";

    // A line from the server, and a query's emptying of the log, are not the user's to undo.
    receive(QStringLiteral("A2zen-tur:~第1条{}OK"));
    dialogs.expectPopupMenu(0);
    f.log.RichTextBox3_MouseDown(2, 0, 0, 0);
    EXPECT_FALSE(dialogs.lastMenu.at(0).enabled);
    QKeyEvent ctrlZ(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
    QCoreApplication::sendEvent(f.RichTextBox3.edit(), &ctrlZ);
    EXPECT_EQ(f.RichTextBox3.Text(), kHeading + QStringLiteral("第1条"));
    f.log.Text1_DblClick();
    f.Text1.setText(QStringLiteral("问"));
    f.Text1.type(QStringLiteral("\r"));
    const QString queried = log();
    QCoreApplication::sendEvent(f.RichTextBox3.edit(), &ctrlZ);
    EXPECT_EQ(log(), queried);

    // Only the right button alone opens the menu; Shift does not matter.
    f.log.RichTextBox3_MouseDown(1, 0, 0, 0);
    f.log.RichTextBox3_MouseDown(3, 0, 0, 0);
    dialogs.expectPopupMenu(std::nullopt);
    f.log.RichTextBox3_MouseDown(2, 1, 0, 0);
}

// What a screen reader keeps of the log: the text it read once, changed since only as the
// events tell it. Every place it is told must lie within what it holds at that moment.
const QObject* heardFrom = nullptr;
QString heard;
std::vector<int> misplaced;
// The characters the events carried, removed and inserted.
qsizetype charactersTold = 0;

void hear(QAccessibleEvent* e) {
    const auto at = [](int from, qsizetype length = 0) {
        if (from < 0 || from + length > heard.size())
            misplaced.push_back(from);
        return std::clamp<qsizetype>(from, 0, heard.size());
    };
    if (e->object() != heardFrom)
        return;
    if (e->type() == QAccessible::TextInserted) {
        const auto* t = static_cast<QAccessibleTextInsertEvent*>(e);
        heard.insert(at(t->changePosition()), t->textInserted());
        charactersTold += t->textInserted().size();
    } else if (e->type() == QAccessible::TextRemoved) {
        const auto* t = static_cast<QAccessibleTextRemoveEvent*>(e);
        heard.remove(at(t->changePosition(), t->textRemoved().size()), t->textRemoved().size());
        charactersTold += t->textRemoved().size();
    } else if (e->type() == QAccessible::TextUpdated) {
        const auto* t = static_cast<QAccessibleTextUpdateEvent*>(e);
        const qsizetype length = t->textRemoved().size();
        heard.replace(at(t->changePosition(), length), length, t->textInserted());
        charactersTold += length + t->textInserted().size();
    } else if (e->type() == QAccessible::TextSelectionChanged) {
        at(static_cast<QAccessibleTextSelectionEvent*>(e)->selectionStart());
        at(static_cast<QAccessibleTextSelectionEvent*>(e)->selectionEnd());
    } else if (e->type() != QAccessible::TextCaretMoved) {
        return;
    }
    at(static_cast<QAccessibleTextCursorEvent*>(e)->cursorPosition());
}

// A user's edits at random, seeded: a selection, often from or to the edge of a block, typed
// over, deleted, pasted over or replaced by Enter; Backspace, undo and redo; now and then a line
// from the program. Text() is checked against what each edit should leave (an undo and a redo
// against the text they bring back: Qt's undo takes back typing at the place where the typing
// before it ended together with it), the screen reader's copy against its text. Gives the steps
// after which either was wrong.
std::vector<int> randomEditsGoneWrong(ui::RichTextBox& box, QAccessibleTextInterface* reader,
                                      quint32 seed, int steps) {
    QRandomGenerator random(seed);
    const auto pick = [&](int n) { return int(random.bounded(n)); };
    const auto someText = [&](int length, bool breaks) {
        QString text;
        while (text.size() < length) {
            const int kind = pick(breaks ? 12 : 10);
            text += kind < 5    ? QChar(u'a' + pick(26))
                    : kind < 9  ? QChar(u'甲' + pick(40))
                    : kind < 10 ? QStringLiteral(" ")
                    : kind < 11 ? QStringLiteral("\r\n")
                                : QStringLiteral("\n");
        }
        return text;
    };
    const auto send = [&](QKeyCombination key, const QString& text = {}) {
        QKeyEvent e(QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
        QCoreApplication::sendEvent(box.edit(), &e);
    };
    const QTextDocument* doc = box.edit()->document();
    const auto place = [&](int near) {
        const int end = doc->characterCount() - 1;
        if (near >= 0 && pick(2))
            return std::clamp(near + pick(801) - 400, 0, end);
        if (pick(2))
            return pick(end + 1);
        const QTextBlock b = doc->findBlockByNumber(pick(doc->blockCount()));
        return std::clamp(b.position() + (pick(2) ? b.length() - 1 : 0) + pick(5) - 2, 0, end);
    };
    // Edits made before are not known here.
    box.forgetEdits();
    QStringList undoable, redoable;
    std::vector<int> wrong;
    for (int step = 0; step < steps; ++step) {
        const QString before = box.Text();
        const quint64 revision = box.Revision();
        QTextCursor c = box.edit()->textCursor();
        c.setPosition(place(-1));
        c.setPosition(pick(4) ? place(c.position()) : c.position(), QTextCursor::KeepAnchor);
        box.edit()->setTextCursor(c);
        const int start = box.SelStart(), length = box.SelLength();
        std::optional<QString> expected;
        const auto replaced = [&](QString text) {
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            return QString(before).replace(start, length,
                                           text.replace(u'\n', QStringLiteral("\r\n")));
        };
        const int action = pick(100);
        if (action < 25) {
            const QString typed = someText(1 + pick(3), false);
            send(Qt::Key_unknown, typed);
            expected = replaced(typed);
        } else if (action < 45) {
            send(Qt::Key_Delete);
            if (length > 0)
                expected = replaced({});
        } else if (action < 50) {
            send(Qt::Key_Backspace);
        } else if (action < 63) {
            const QString pasted = someText(1 + pick(300), true);
            QGuiApplication::clipboard()->setText(pasted);
            send(Qt::ControlModifier | Qt::Key_V);
            expected = replaced(pasted);
        } else if (action < 68) {
            send(Qt::Key_Return);
            expected = replaced(QStringLiteral("\n"));
        } else if (action < 82) {
            send(Qt::ControlModifier | Qt::Key_Z);
            while (!undoable.isEmpty() && undoable.last() != box.Text())
                undoable.removeLast();
            expected = undoable.isEmpty() ? before : undoable.takeLast();
            if (box.Revision() != revision)
                redoable.append(before);
        } else if (action < 92) {
            send(QKeySequence::keyBindings(QKeySequence::Redo).value(0)[0]);
            expected = redoable.isEmpty() ? before : redoable.takeLast();
            if (box.Revision() != revision)
                undoable.append(before);
        } else {
            const QString line = someText(pick(400), false) + (pick(2) ? vbrt::kCrLf : QString());
            shell::form4().log.appendToLog(line);
            expected = before + line;
            undoable.clear();
            redoable.clear();
        }
        if (action < 68 && box.Revision() != revision) {
            undoable.append(before);
            redoable.clear();
        }
        const QString text = reader->text(0, reader->characterCount());
        if ((expected && box.Text() != *expected) || heard != text || !misplaced.empty()) {
            wrong.push_back(step);
            heard = text;
            misplaced.clear();
        }
    }
    return wrong;
}

// Qt's widgets tell of their changes only while its bridge to a screen reader is up: on X, with
// the desktop's accessibility bus. The log hands the events on to the handler installed before
// its own.
class ScreenReader : public AlarmPointTest {};

TEST_F(ScreenReader, ItsCopyOfTheLogFollowsTheEvents) {
    if (const QByteArray missing = qgetenv("TESSAL_NO_ACCESSIBILITY_BRIDGE"); !missing.isEmpty())
        GTEST_SKIP() << "needs the accessibility bridge: " << missing.constData();
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the accessibility bridge: run it through "
                        "tests/alarmpoint/run_with_accessibility_bridge";
    ASSERT_TRUE(pumpUntil([] { return QAccessible::isActive(); }, 10));
    ASSERT_TRUE(QAccessible::installUpdateHandler(hear) == nullptr) << "in a process of its own";
    open();
    ui::RichTextBox& box = f4().RichTextBox3;
    QAccessibleTextInterface* reader =
        QAccessible::queryAccessibleInterface(box.edit())->textInterface();
    heardFrom = box.edit();
    heard = reader->text(0, reader->characterCount());
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent e(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(box.edit(), &e);
    };
    // 长000长001…: a long line, cut into blocks as it goes in.
    QString numbered, beforeDeletion;
    for (int i = 0; i < 100; ++i)
        numbered += QStringLiteral("长%1").arg(i, 3, 10, QLatin1Char('0'));
    const struct {
        const char* what;
        std::function<void()> act;
    } rows[] = {
        {"chat lines grow one paragraph in cut blocks",
         [&] {
             for (int i = 0; i < 40; ++i)
                 receive(QStringLiteral("A2zen-tur:~第%1条：客厅摄像头红色告警。{}OK").arg(i));
         }},
        {"long lines with breaks",
         [&] { receive(QStringLiteral("￥&$%1\r\n%1\r\n").arg(QString(300, u'甲'))); }},
        {"the user deletes across cuts",
         [&] {
             box.setSelStart(int(kHeading.size()) + 60);
             box.setSelLength(700);
             press(Qt::Key_Delete, Qt::NoModifier);
         }},
        {"the deletion undone", [&] { press(Qt::Key_Z, Qt::ControlModifier); }},
        {"a deletion from a line's start into the third block of a long line",
         [&] {
             f4().log.appendToLog(QStringLiteral("S1 short line49\r\n") + numbered + vbrt::kCrLf);
             beforeDeletion = box.Text();
             const int lineStart = int(beforeDeletion.size() - numbered.size() - 2);
             box.setSelStart(lineStart);
             box.setSelLength(300);
             press(Qt::Key_Delete, Qt::NoModifier);
             EXPECT_EQ(box.Text(),
                       beforeDeletion.left(lineStart) + numbered.mid(300) + vbrt::kCrLf);
         }},
        {"that deletion undone",
         [&] {
             press(Qt::Key_Z, Qt::ControlModifier);
             EXPECT_EQ(box.Text(), beforeDeletion);
         }},
        {"random edits",
         [&] { EXPECT_EQ(randomEditsGoneWrong(box, reader, 53, 3000), std::vector<int>()); }},
        {"the whole log set anew in one size", [&] { f4().log.RichTextBox3_DblClick(); }},
        {"the oldest text trimmed",
         [&] {
             // Near the bound, and a line from the server passes it.
             for (int room;
                  (room = alarmpoint::MessageLog::kLogChars - box.characterCount()) > 999;)
                 f4().log.appendToLog(QString(room * 9 / 10, u'x') + QStringLiteral("\r\n"));
             receive(QStringLiteral("A2zen-tur:~%1{}OK").arg(QString(2000, u'乙')));
             EXPECT_LT(box.characterCount(), alarmpoint::MessageLog::kLogChars);
         }},
        {"the log at its bound set anew in one size: no character changes",
         [&] {
             charactersTold = 0;
             f4().log.Text1_DblClick();
             EXPECT_EQ(charactersTold, 0);
         }},
        {"that size undone: no character changes either",
         [&] {
             press(Qt::Key_Z, Qt::ControlModifier);
             EXPECT_FALSE(box.CanUndo());
             EXPECT_EQ(charactersTold, 0);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.act();
        EXPECT_EQ(misplaced, std::vector<int>());
        const QString text = reader->text(0, reader->characterCount());
        EXPECT_TRUE(heard == text) << heard.size() << " characters heard of " << text.size();
        misplaced.clear();
    }
    heardFrom = nullptr;
}

} // namespace
