// What the program's writers do when the disk fills up under them, in a folder that takes no
// new files, and with files that cannot be written: the earlier file always survives whole,
// and no failure is reported as success.

#include "flow_fixture.h"
#include "shell/form1.h"
#include "shell/forms.h"
#include "small_disk.h"

#include <QFile>

using namespace flows;

namespace {

const QString kNoRoom = QStringLiteral("（磁盘空间不足）");
const QString kCapturedNamed =
    QStringLiteral("采集成功，在进行下一步图像处理之前，请记住该图像所对应的像素文件名称。");

// A stored set the size of the one the user lost: 17,134 bytes that must survive.
QByteArray storedSet() {
    QByteArray set;
    for (int line = 1; set.size() < 17134; ++line)
        set +=
            QByteArray("1E140A\t1E460A\t1E780A\t").repeated(7) + QByteArray::number(line) + "\r\n";
    return set.left(17134);
}

class SetsOnAFullDisk : public disk::OnSmallDisk<FlowTest> {
protected:
    void capture(const QString& name, bool exists) {
        dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
            .expectSaveFile(path(name));
        if (exists)
            dialogs.expectMsgBox(kReplace, kReplaceTitle, ui::vbYes, ui::vbYesNo);
        dialogs.expectMsgBox(QStringLiteral("无法写入文件：") + path(name) + kNoRoom, kTitle,
                             ui::vbOK, ui::vbOKOnly);
        f2().imaging.Command12_Click(0);
    }
};

TEST_F(SetsOnAFullDisk, ACaptureKeepsTheStoredSetAndClaimsNoSuccess) {
    write("a.txt", storedSet());
    disk::fillLeaving(0);
    capture("a.txt", true);
    EXPECT_EQ(read("a.txt"), storedSet());
    capture("new.txt", false);
    EXPECT_EQ(files(), QStringList{"a.txt"});
    EXPECT_TRUE(allVisible({&f2().Command1(9), &f2().Command12(0), &f2().Command1(7)}));
}

TEST_F(SetsOnAFullDisk, AComparisonKeepsTheEarlierDifferenceSet) {
    write("stored.txt", kStoredSet);
    write("live.txt", kLiveSet);
    write("caculator.txt", "earlier");
    disk::fillLeaving(0);
    dialogs.expectMsgBox(kFirstSetNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(path("stored.txt"))
        .expectMsgBox(QStringLiteral("已经成功导入第1幅图像的像素集合,接下来请导入第2幅图像的像"
                                     "素集合。"),
                      kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(path("live.txt"))
        .expectMsgBox(QStringLiteral("已经成功导入第2幅图像的像素集合,开始比较2个的不同之处。"),
                      kTitle, ui::vbOK, ui::vbOKOnly)
        .expectMsgBox(QStringLiteral("无法写入文件：") + calc() + kNoRoom, kTitle, ui::vbOK,
                      ui::vbOKOnly);
    f2().imaging.Command12_Click(1);
    EXPECT_EQ(read("caculator.txt"), "earlier");
    EXPECT_EQ(files(), (QStringList{"caculator.txt", "live.txt", "stored.txt"}));
}

class MainWindowOnAFullDisk : public disk::OnSmallDisk<testing_support::AppTest> {
protected:
    shell::Form1& f1() { return shell::form1(); }
};

TEST_F(MainWindowOnAFullDisk, APictureSaveKeepsTheEarlierPicture) {
    f1().show();
    const QByteArray earlier(300000, 'p');
    write("mine.jpg", earlier);
    disk::fillLeaving(100000); // less than the new 580 x 360 bitmap takes
    const QString name = path("mine.jpg");
    dialogs.expectSaveFile(name)
        .expectMsgBox(name + QStringLiteral("已经存在。\r\n要替换她吗？"),
                      QStringLiteral("Tessal计算 之 查询存储"), ui::vbYes, ui::vbYesNo)
        .expectMsgBox(QStringLiteral("无法写入文件：") + name + kNoRoom,
                      QStringLiteral("Tessal计算 之 查询存储"), ui::vbOK, ui::vbOKOnly);
    f1().Command5_Click();
    EXPECT_EQ(read("mine.jpg"), earlier);
    EXPECT_EQ(files().filter(QStringLiteral("mine")), QStringList{"mine.jpg"});
}

TEST_F(MainWindowOnAFullDisk, TheStartUpRotationNeverCutsNorRepeats) {
    const QByteArray records = QByteArray("1,2,3,4,5,6,7,8\r\n").repeated(6000); // 102 KB
    write("tree.txt", records);
    write("treebackup.txt", "older\r\n");
    disk::fillLeaving(50000);
    f1().show();
    EXPECT_EQ(read("treebackup.txt"), "older\r\n") << "a failed append is cut back";
    const QByteArray kept = read("tree.txt");
    EXPECT_TRUE(kept.startsWith(records)) << "the source stays until its text is kept";
    EXPECT_TRUE(QString::fromUtf8(kept.mid(records.size())).contains(QStringLiteral("没有移入")))
        << "and the run log says so";

    // With room again, the next start moves the text once.
    disk::unfill();
    shell::resetAll();
    f1().show();
    EXPECT_EQ(read("treebackup.txt"), "older\r\n" + kept + "\r\n");
    EXPECT_EQ(read("tree.txt"), "");
}

// A folder that takes no new files (the user's own, say): an existing file is written in
// place and what it held comes back when the write stops.
class SetsInALockedFolder : public FlowTest {};

TEST_F(SetsInALockedFolder, AStoppedReplaceKeepsTheStoredSetAndACompleteOneReplacesIt) {
    SKIP_UNLESS_PERMISSIONS_BIND();
    f2().load();
    prepareWindow();
    write("a.txt", storedSet());
    disk::LockedFolder locked(dir.path());
    {
        // Two one-second waits, then one short wait after each of the four columns.
        DuringWait close(2.015, [&] { f2().unload(); });
        dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
            .expectSaveFile(path("a.txt"))
            .expectMsgBox(kReplace, kReplaceTitle, ui::vbYes, ui::vbYesNo);
        f2().imaging.Command12_Click(0);
        EXPECT_FALSE(f2().isLoaded());
        EXPECT_EQ(read("a.txt"), storedSet());
    }
    f2().load();
    prepareWindow();
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectSaveFile(path("a.txt"))
        .expectMsgBox(kReplace, kReplaceTitle, ui::vbYes, ui::vbYesNo)
        .expectMsgBox(kCapturedNamed + path("a.txt"), kTitle, ui::vbOK, ui::vbOKOnly);
    f2().imaging.Command12_Click(0);
    EXPECT_EQ(read("a.txt"), kLiveSet + "\r\n\r\n");
    EXPECT_EQ(files(), QStringList{"a.txt"});
}

class StartUpWithLockedFiles : public testing_support::AppTest {};

TEST_F(StartUpWithLockedFiles, ARecordFileThatCannotBeEmptiedIsNotAppendedAgainAtEveryStart) {
    SKIP_UNLESS_PERMISSIONS_BIND();
    write("tree.txt", "1,2,3\r\n");
    QFile::setPermissions(path("tree.txt"), QFile::ReadOwner);
    for (int start = 0; start < 2; ++start) {
        shell::resetAll();
        shell::form1().show();
    }
    EXPECT_EQ(read("treebackup.txt"), "");
    EXPECT_EQ(read("tree.txt"), "1,2,3\r\n");
}

} // namespace
