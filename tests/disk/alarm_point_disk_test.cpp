// The alarm point's log on a disk that fills up and in a program folder that takes nothing:
// the lines that came are kept however the window or the program ends, or the user is asked
// before they go.

#include "alarm_point_fixture.h"
#include "alarmpoint/message_log.h"
#include "app/program.h"
#include "shell/form1.h"
#include "small_disk.h"
#include "vbrt/convert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

using namespace testing_support;

namespace {

class AlarmPointOnAFullDisk : public disk::OnSmallDisk<AlarmPointTest> {};

// A full disk takes the log through the room set aside while it had some, even when a copy of
// the folder made that room a hole; a folder where nothing can be written says so once in the
// log, and the user's close and quit ask before they let the log go. A signal cannot ask. Where
// only the archive can be written, the next openings see that it changed after the note could
// last be written, and archive nothing twice.
TEST_F(AlarmPointOnAFullDisk, TheLogIsKeptOrTheUserAskedHoweverItEnds) {
    using alarmpoint::MessageLog;
    const QString archiveFile = MessageLog::kArchiveFile;
    const QString quit = QStringLiteral("是否退出Tessal Arvendel？");
    const QString title = QStringLiteral("Tessal Arvendel");
    const QString wouldBeLost =
        QStringLiteral("告警记录既不能存档，也不能写入快照，关闭后就会丢失。\r\n") +
        vbrt::writeFailedMessage(path(archiveFile), {QStringLiteral("没有写入权限")}) +
        QStringLiteral("\r\n\r\n是否仍然关闭？");
    // Full; full, with another program taking what the log's writes free; full, then free for a
    // while with the log unchanged, then full again; full, the room set aside copied sparse
    // before the start; read-only; all but the archive read-only once the log is in a snapshot.
    enum class Disk { Full, FullAndTaken, FreedAndFilledAgain, Sparse, ReadOnly, AllButArchive };
    enum class End { Close, Quit, Signal };
    const struct {
        const char* what;
        Disk disk;
        End end;
        int answer; // to the question whether to let the log go; 0: none asked
    } rows[] = {
        {"full: the window's close", Disk::Full, End::Close, 0},
        {"full: the quit", Disk::Full, End::Quit, 0},
        {"full: a signal", Disk::Full, End::Signal, 0},
        {"full, and what is freed taken: a signal", Disk::FullAndTaken, End::Signal, 0},
        {"freed, and full again: a signal", Disk::FreedAndFilledAgain, End::Signal, 0},
        {"full, the room set aside copied sparse: the window's close", Disk::Sparse, End::Close, 0},
        {"read-only: the window's close, kept open", Disk::ReadOnly, End::Close, ui::vbNo},
        {"read-only: the window's close, let go", Disk::ReadOnly, End::Close, ui::vbYes},
        {"read-only: the quit, kept open", Disk::ReadOnly, End::Quit, ui::vbNo},
        {"read-only: a signal", Disk::ReadOnly, End::Signal, 0},
        {"all but the archive read-only: the window's close, then three openings",
         Disk::AllButArchive, End::Close, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if ((row.disk == Disk::ReadOnly || row.disk == Disk::AllButArchive) &&
            !disk::permissionsBind())
            continue; // run_on_small_disk runs this as a user for whom permissions bind
        shell::resetAll();
        for (const QString& name : files())
            QFile::remove(path(name));
        installAsset(QStringLiteral("22.bmp"));
        shell::form1().show();
        open();
        advance(2);
        if (row.disk == Disk::Sparse) {
            const QString reserve = path(QStringLiteral("recordarchive.reserve"));
            const qint64 length = QFileInfo(reserve).size();
            f4().unload();
            ASSERT_TRUE(QFile::resize(reserve, 0) && QFile::resize(reserve, length));
            open();
        }

        std::unique_ptr<disk::LockedFolder> locked;
        const auto lock = [&] {
            for (const QString& name : files())
                if (name != archiveFile)
                    QFile::setPermissions(path(name), QFile::ReadOwner | QFile::ReadUser);
            locked = std::make_unique<disk::LockedFolder>(dir.path());
        };
        if (row.disk == Disk::ReadOnly)
            lock();
        else if (row.disk == Disk::AllButArchive)
            write(archiveFile, {});
        else
            disk::fillLeaving(0);
        QString lines;
        for (int i = 0; i < 20; ++i) {
            const QString line = QStringLiteral("第%1条：客厅红色告警。\r\n").arg(i);
            receive(QStringLiteral("￥&$") + line, server.clientCount() - 1);
            lines += line;
            if (row.disk == Disk::FullAndTaken)
                advance(1), disk::fillLeaving(0);
            if (row.disk == Disk::FreedAndFilledAgain && i == 9)
                advance(3), disk::unfill(), advance(3), disk::fillLeaving(0);
        }
        advance(3);
        if (row.disk == Disk::AllButArchive)
            lock();
        EXPECT_EQ(log().count(QStringLiteral("告警记录的快照没有保存，")),
                  row.disk == Disk::ReadOnly ? 1 : 0)
            << log().toStdString();

        if (row.end == End::Quit)
            dialogs.expectMsgBox(quit, title, ui::vbYes, ui::vbYesNo);
        if (row.answer != 0)
            dialogs.expectMsgBox(wouldBeLost, title, row.answer, ui::vbYesNo);
        switch (row.end) {
        case End::Close:
            f4().requestClose();
            break;
        case End::Quit:
            shell::form1().requestClose();
            break;
        case End::Signal:
            shell::form1().endSession();
            break;
        }
        const bool keptOpen = row.answer == ui::vbNo;
        EXPECT_EQ(f4().isLoaded(), keptOpen);
        EXPECT_EQ(app::programEnded(), row.end != End::Close && !keptOpen);
        if (keptOpen) {
            EXPECT_TRUE(log().contains(lines));
        }
        for (int opening = 0; row.disk == Disk::AllButArchive && opening < 3; ++opening) {
            shell::resetAll();
            open();
            f4().unload();
            EXPECT_EQ(vbrt::fromAnsi(read(archiveFile)).count(lines), 1) << "opening " << opening;
        }

        // With room again, the log comes to the archive once, unless it was let go.
        disk::unfill();
        locked.reset();
        for (const QString& name : files())
            QFile::setPermissions(path(name), QFile::ReadOwner | QFile::WriteOwner);
        if (keptOpen)
            f4().unload();
        shell::resetAll();
        open();
        f4().unload();
        const bool lost = row.disk == Disk::ReadOnly && !keptOpen;
        EXPECT_EQ(vbrt::fromAnsi(read(archiveFile)).count(lines), lost ? 0 : 1)
            << vbrt::fromAnsi(read(archiveFile)).toStdString();
    }
}

} // namespace
