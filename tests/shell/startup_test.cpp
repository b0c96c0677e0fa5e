#include "alarm_point_fixture.h"
#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "app/program.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/form3.h"
#include "shell/forms.h"
#include "vbrt/apppath.h"

#include <QDir>
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace testing_support;

namespace {
class StartUp : public AppTest {
protected:
    void start() {
        installAsset(QStringLiteral("22.bmp"));
        shell::form1().show();
    }
    shell::Form1& f1() { return shell::form1(); }
};

const QString kQuit = QStringLiteral("是否退出Tessal Arvendel？");
const QString kTitle = QStringLiteral("Tessal Arvendel");
} // namespace

TEST_F(StartUp, FirstRunInAnEmptyFolderLeavesFourEmptyFiles) {
    start();
    for (const char* name : {"tree.txt", "treego.txt", "treebackup.txt", "treegobackup.txt"}) {
        EXPECT_TRUE(exists(QString::fromLatin1(name))) << name;
        EXPECT_EQ(read(QString::fromLatin1(name)), QByteArray()) << name;
    }
    EXPECT_FALSE(f1().Image1.Picture().isNull());
}

TEST_F(StartUp, RecordsMoveToTheBackupWithOneMoreLineBreakAndOnlyOnce) {
    const QByteArray records = "10,1,1,1,1,400,300,1,\r\n5,2,3,4,5,6,7,8,\r\n";
    write(QStringLiteral("treego.txt"), records);
    write(QStringLiteral("treegobackup.txt"), "old\r\n");
    write(QStringLiteral("tree.txt"), "2026-12-79:00:00\r\npic.bmp\t1,2\r\n");
    start();
    EXPECT_EQ(read(QStringLiteral("treegobackup.txt")), "old\r\n" + records + "\r\n");
    EXPECT_EQ(read(QStringLiteral("treego.txt")), QByteArray());
    EXPECT_EQ(read(QStringLiteral("treebackup.txt")), "2026-12-79:00:00\r\npic.bmp\t1,2\r\n\r\n");

    // A second start without new records adds nothing.
    f1().exitWithoutAsking = true;
    f1().requestClose();
    shell::resetAll();
    vbrt::setAppPath(dir.path());
    start();
    EXPECT_EQ(read(QStringLiteral("treegobackup.txt")), "old\r\n" + records + "\r\n");
}

TEST_F(StartUp, BytesAreCopiedAsTheyAre) {
    const QByteArray gbk("\xb2\xe2\xca\xd4\r\n\x00\xff", 8); // not UTF-8, with a NUL
    write(QStringLiteral("tree.txt"), gbk);
    start();
    EXPECT_EQ(read(QStringLiteral("treebackup.txt")), gbk + "\r\n");
}

// Whatever stands in the folder, start-up goes on: what is no regular file, cannot be
// written or is too large is left as it is, and the run log says what was left and why.
TEST_F(StartUp, WhatCannotBeMovedOrLoadedIsLeftAsItIsAndNoted) {
    const auto node = [this](const char* name, mode_t type) {
        const QByteArray at = QFile::encodeName(path(QString::fromLatin1(name)));
        return ::mknod(at.constData(), type | 0666, type == S_IFCHR ? makedev(1, 3) : 0) == 0;
    };
    const auto isA = [this](const char* name, mode_t type) {
        struct stat st {};
        const QByteArray at = QFile::encodeName(path(QString::fromLatin1(name)));
        return ::lstat(at.constData(), &st) == 0 && (st.st_mode & S_IFMT) == type;
    };
    const QByteArray records = "1,2,3,\r\n";
    struct Case {
        const char* what;
        std::function<bool()> setUp; // false: the system lets no such thing be made here
        const char* note;            // in the run log's line; empty for no line
        std::function<bool()> leftAlone;
    };
    const Case cases[] = {
        {"a folder in the backup's place",
         [&] {
             write(QStringLiteral("treego.txt"), records);
             return QDir(dir.path()).mkdir(QStringLiteral("treegobackup.txt"));
         },
         "treego.txt 没有移入 ", [&] { return read(QStringLiteral("treego.txt")) == records; }},
        {"a FIFO of records", [&] { return node("treego.txt", S_IFIFO); }, "：不是普通文件",
         [&] {
             return isA("treego.txt", S_IFIFO) &&
                    read(QStringLiteral("treegobackup.txt")).isEmpty();
         }},
        {"a link to a device",
         [&] {
             return node("null", S_IFCHR) &&
                    QFile::link(path(QStringLiteral("null")), path(QStringLiteral("treego.txt")));
         },
         "：不是普通文件", [&] { return isA("null", S_IFCHR) && isA("treego.txt", S_IFLNK); }},
        {"a read-only log, as root too",
         [&] {
             write(QStringLiteral("tree.txt"), records);
             return QFile::setPermissions(path(QStringLiteral("tree.txt")), QFile::ReadOwner);
         },
         "",
         [&] {
             return read(QStringLiteral("tree.txt")) == records &&
                    read(QStringLiteral("treebackup.txt")).isEmpty();
         }},
        {"a link to the records",
         [&] {
             write(QStringLiteral("mine.txt"), records);
             return QFile::link(QStringLiteral("mine.txt"), path(QStringLiteral("treego.txt")));
         },
         "",
         [&] {
             return isA("treego.txt", S_IFLNK) && read(QStringLiteral("mine.txt")).isEmpty() &&
                    read(QStringLiteral("treegobackup.txt")) == records + "\r\n";
         }},
        {"a FIFO of a picture",
         [&] { return node("22.bmp", S_IFIFO) && node("picture1.jpg", S_IFIFO); },
         "22.bmp 没有载入：不是普通文件", [&] { return f1().Image1.Picture().isNull(); }},
    };
    for (const Case& c : cases) {
        shell::resetAll();
        for (const QFileInfo& entry : QDir(dir.path())
                                          .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                         QDir::System | QDir::Hidden))
            entry.isDir() && !entry.isSymLink() ? QDir(entry.filePath()).removeRecursively()
                                                : QFile::remove(entry.filePath());
        vbrt::setAppPath(dir.path());
        if (!c.setUp())
            continue;
        shell::form1().show();
        EXPECT_TRUE(f1().isLoaded()) << c.what;
        EXPECT_TRUE(c.leftAlone()) << c.what;
        const QString log = QString::fromUtf8(read(QStringLiteral("tree.txt")));
        EXPECT_TRUE(log.contains(QString::fromUtf8(c.note))) << c.what << ": " << log.toStdString();
        EXPECT_EQ(log.contains(QStringLiteral("没有")), *c.note != 0) << c.what;
    }
}

TEST_F(StartUp, LoadHidesTheLaterToolsAndSetsColoursAndSharedState) {
    app::module1().quitConfirmed = true;
    app::module1().drawingMode = app::DrawingMode::DropSimulation;
    f1().calculator.penColor = 1;
    start();
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &f1().Command15, &f1().Command2, &f1().Command5, &f1().Command3(0), &f1().Command3(1),
             &f1().Command7, &f1().HScroll1, &f1().WindowsMediaPlayer1, &f1().Label1(14)})
        EXPECT_FALSE(c->Visible()) << c->name().toStdString() << c->Index();
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &f1().Command1, &f1().Command8, &f1().Command9, &f1().Command10, &f1().Command11,
             &f1().Command12, &f1().Command13, &f1().Command14, &f1().Label1(13)})
        EXPECT_TRUE(c->Visible()) << c->name().toStdString();
    EXPECT_FALSE(f1().Timer3.Enabled());
    EXPECT_FALSE(app::module1().quitConfirmed);
    EXPECT_FALSE(app::isSimulation(app::module1().drawingMode));
    EXPECT_EQ(f1().calculator.penColor, 16711680);
    EXPECT_EQ(f1().Caption(), QStringLiteral("风雨同路，一往无前"));
    EXPECT_EQ(f1().Command11.BackColor(), vbrt::RGB(232, 227, 174));
    EXPECT_EQ(f1().Command6(1).BackColor(), vbrt::RGB(232, 227, 174));
    EXPECT_EQ(f1().Command6(0).BackColor(), vbrt::RGB(146, 197, 198));
    EXPECT_EQ(f1().Command7.BackColor(), vbrt::RGB(192, 208, 192));
    EXPECT_EQ(f1().BackColor(), vbrt::RGB(192, 208, 192));
    EXPECT_EQ(f1().Text1(17).BackColor(), vbrt::RGB(158, 239, 158));
    EXPECT_EQ(f1().Text1(0).FontSize(), 20);
    EXPECT_EQ(f1().Label1(0).Caption(), QStringLiteral("半径r(mm)="));
    EXPECT_EQ(f1().Label1(17).Caption(), QStringLiteral("拦截误差设定值（%）："));
    // The player lies over the picture, the seek bar 30 twips under it.
    EXPECT_EQ(f1().WindowsMediaPlayer1.Left(), f1().Picture1.Left());
    EXPECT_EQ(f1().WindowsMediaPlayer1.Width(), f1().Picture1.Width());
    EXPECT_EQ(f1().HScroll1.Top(), f1().Picture1.Top() + f1().Picture1.Height() + 30);
    EXPECT_EQ(f1().HScroll1.Width(), f1().Picture1.Width());
}

TEST_F(StartUp, EveryParameterBoxHasTheCaptionThatNamesIt) {
    start();
    // The caption beside a box: the nearest shown caption to its left on the same row.
    const auto captionOf = [this](int box) {
        const ui::TextBox& t = f1().Text1(box);
        const ui::Label* best = nullptr;
        for (int i = 0; i <= 17; ++i) {
            const ui::Label& l = f1().Label1(i);
            const bool sameRow = l.Top() < t.Top() + t.Height() && t.Top() < l.Top() + l.Height();
            if (!l.Visible() || !sameRow || l.Left() + l.Width() > t.Left())
                continue;
            if (!best || l.Left() > best->Left())
                best = &l;
        }
        return best ? best->Caption() : QString();
    };
    const char* const expected[18] = {
        "半径r(mm)=",      "水平初速Vx0=",
        "水平风速VFx=",    "垂直风速VFy=",
        "垂直初速Vy0=",    "水平位移Hx =",
        "垂直位移Hy =",    "水平速度Vx =",
        "垂直速度Vy =",    "速率V =",
        "飞行时间t =",     "特殊时刻 T =",
        "路程H =",         "物质相对水的密度   P =",
        "反导角度ф =",     "目标坐标（X,Y）",
        "目标坐标（X,Y）", "拦截误差设定值（%）：",
    };
    for (int box = 0; box < 18; ++box)
        EXPECT_EQ(captionOf(box), QString::fromUtf8(expected[box])) << "Text1(" << box << ")";
    // The drag readout takes the special moments' place when the calculator shows it.
    EXPECT_EQ(f1().Label1(14).Left(), f1().Label1(13).Left());
    EXPECT_EQ(f1().Label1(14).Top(), f1().Label1(13).Top());
    // No two boxes overlap.
    for (int a = 0; a < 18; ++a)
        for (int b = a + 1; b < 18; ++b) {
            const QRect ra(f1().Text1(a).Left(), f1().Text1(a).Top(), f1().Text1(a).Width(),
                           f1().Text1(a).Height());
            const QRect rb(f1().Text1(b).Left(), f1().Text1(b).Top(), f1().Text1(b).Width(),
                           f1().Text1(b).Height());
            EXPECT_FALSE(ra.intersects(rb)) << a << " and " << b;
        }
}

TEST_F(StartUp, BackgroundClickResetsThePictureColour) {
    start();
    f1().Picture1.setBackColor(0);
    f1().Form_Click();
    EXPECT_EQ(f1().Picture1.BackColor(), vbrt::RGB(192, 208, 192));
    EXPECT_FALSE(f1().Picture1.AutoRedraw());
}

TEST_F(StartUp, NoKeepsRunningAndTheNextCloseAsksNothing) {
    start();
    dialogs.expectMsgBox(kQuit, kTitle, ui::vbNo, ui::vbYesNo);
    EXPECT_FALSE(f1().requestClose());
    EXPECT_TRUE(f1().isLoaded());
    EXPECT_FALSE(app::programEnded());
    EXPECT_TRUE(f1().requestClose()); // no second question
    EXPECT_TRUE(app::programEnded());
}

TEST_F(StartUp, YesUnloadsEveryLoadedWindowOnceAndEnds) {
    start();
    shell::form2().show();
    shell::form3().show();
    dialogs.expectInputBox(kServerPrompt, std::nullopt);
    shell::form4().show();
    dialogs.expectMsgBox(kQuit, kTitle, ui::vbYes, ui::vbYesNo);
    const auto gen2 = shell::form2().loadGeneration();
    EXPECT_TRUE(f1().requestClose());
    EXPECT_FALSE(f1().isLoaded());
    EXPECT_FALSE(shell::form2().isLoaded());
    EXPECT_FALSE(shell::form3().isLoaded());
    EXPECT_FALSE(shell::form4().isLoaded());
    EXPECT_EQ(shell::form2().loadGeneration(), gen2); // nothing reloaded on the way out
    EXPECT_TRUE(app::programEnded());
}

TEST_F(StartUp, ExitWithoutAskingEndsWithoutAQuestionOrAnyUnloadHandler) {
    start();
    dialogs.expectInputBox(kServerPrompt, std::nullopt);
    shell::form4().show();
    app::module1().alarmPointOn = true;
    f1().exitWithoutAsking = true;
    f1().requestClose();
    EXPECT_TRUE(app::programEnded());
    EXPECT_TRUE(app::module1().alarmPointOn); // Form4's unload handler did not run
}

TEST_F(StartUp, ClosingTheAlarmPointFirstMeansTheMainWindowAsksNothing) {
    start();
    dialogs.expectInputBox(kServerPrompt, std::nullopt);
    shell::form4().show();
    shell::form4().requestClose();
    EXPECT_TRUE(f1().requestClose());
    EXPECT_TRUE(app::programEnded());
}
