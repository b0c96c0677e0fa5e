#include "board_fixture.h"
#include "drop_panel.h"
#include "ui/picture_file.h"
#include "vbrt/errors.h"
#include "vbrt/file_writer.h"

#include <functional>

using namespace testing_support;

namespace {

const QString kDrawTitle = QStringLiteral("Tessal画图");
const QString kSaveTitle = QStringLiteral("Tessal计算 ");
const QString kPreSaveTitle = QStringLiteral("Tessal计算 之 查询存储");
const QString kReplace = QStringLiteral("已经存在。\r\n要替换她吗？");

using CanvasCommands = BoardTest;

TEST_F(CanvasCommands, ClearAnsweredYesResetsTheOriginAndTargetFields) {
    f2().Text1(2).setText(QStringLiteral("120"));
    f1().Text1(15).setText(QStringLiteral("5"));
    m().imagePresaved = true;
    m().replayOffsetX = 7;
    f2().Picture1.setAutoRedraw(true);

    dialogs.expectMsgBox(QStringLiteral("确定要清空保存的图像，重新开始画图吗？"), kDrawTitle,
                         ui::vbNo, ui::vbYesNo);
    f2().Command1_Click(1);
    EXPECT_TRUE(m().imagePresaved);
    EXPECT_EQ(f2().Text1(2).Text(), QStringLiteral("120"));

    dialogs.expectMsgBox(QStringLiteral("确定要清空保存的图像，重新开始画图吗？"), kDrawTitle,
                         ui::vbYes, ui::vbYesNo);
    f2().Command1_Click(1);
    for (const QString& box :
         {f2().Text1(2).Text(), f2().Text1(3).Text(), f1().Text1(15).Text(), f1().Text1(16).Text()})
        EXPECT_EQ(box, QStringLiteral("0"));
    EXPECT_FALSE(m().imagePresaved);
    EXPECT_EQ(m().replayOffsetX, 0);
    EXPECT_EQ(m().replayOffsetY, 0);
    EXPECT_FALSE(f2().Picture1.AutoRedraw());
}

TEST_F(CanvasCommands, PreSaveOverAnExistingFileAnsweredNoKeepsTheFileButMarksThePicture) {
    write(QStringLiteral("old.jpg"), "old");
    dialogs.expectMsgBox(QStringLiteral("确定要预存图像吗？"), kDrawTitle, ui::vbYes, ui::vbYesNo)
        .expectSaveFile(path(QStringLiteral("old.jpg")))
        .expectMsgBox(path(QStringLiteral("old.jpg")) + kReplace, kPreSaveTitle, ui::vbNo,
                      ui::vbYesNo);
    f2().Command1_Click(2);
    EXPECT_EQ(read(QStringLiteral("old.jpg")), QByteArray("old"));
    EXPECT_TRUE(m().imagePresaved);
    EXPECT_TRUE(f2().Picture1.AutoRedraw());
}

// The save dialog's paths for 图像保存 and savephoto: what lands in the picture file and in
// the two record files.
TEST_F(CanvasCommands, PictureSavesWriteRecordsOnlyWithAWrittenPicture) {
    struct Case {
        const char* what;
        bool exists, withRecords;
        std::function<void(ScriptedDialogs&, const QString&)> script;
        bool pictureWritten;
    };
    const auto yes = [](ScriptedDialogs& d, const QString& name) {
        d.expectSaveFile(name).expectMsgBox(name + kReplace, kSaveTitle, ui::vbYes, ui::vbYesNo);
    };
    const auto no = [](ScriptedDialogs& d, const QString& name) {
        d.expectSaveFile(name).expectMsgBox(name + kReplace, kSaveTitle, ui::vbNo, ui::vbYesNo);
    };
    const auto fresh = [](ScriptedDialogs& d, const QString& name) { d.expectSaveFile(name); };
    const auto cancel = [](ScriptedDialogs& d, const QString&) { d.expectSaveFile(std::nullopt); };
    const auto unwritable = [](ScriptedDialogs& d, const QString& name) {
        const QString missing = name + QStringLiteral(".folder/p.jpg");
        d.expectSaveFile(missing).expectMsgBox(
            vbrt::writeFailedMessage(missing, vbrt::replaceFile(missing, "x")), kSaveTitle,
            ui::vbOK);
    };
    const Case cases[] = {
        {"a new name", false, true, fresh, true},
        {"replacing, answered yes", true, true, yes, true},
        {"replacing, answered no", true, false, no, false},
        {"cancelled", false, false, cancel, false},
        {"a folder that is not there", false, true, unwritable, false},
        {"savephoto to a new name", false, false, fresh, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString name = path(QStringLiteral("p%1.jpg").arg(++n));
        if (c.exists)
            write(QFileInfo(name).fileName(), "old");
        write(QStringLiteral("treego.txt"), {});
        write(QStringLiteral("tree.txt"), {});
        c.script(dialogs, name);
        QString(c.what).startsWith(QStringLiteral("savephoto")) ? f2().board.savephoto()
                                                                : f2().Command1_Click(3);
        dialogs.verifyAllShown();
        EXPECT_EQ(!ui::LoadPicture(name).isNull(), c.pictureWritten) << c.what;
        EXPECT_EQ(!read(QStringLiteral("treego.txt")).isEmpty(), c.withRecords && c.pictureWritten)
            << c.what;
        EXPECT_EQ(read(QStringLiteral("tree.txt")).isEmpty(), read("treego.txt").isEmpty())
            << c.what;
    }
}

TEST_F(CanvasCommands, RecordsHoldThePanelValuesAsTyped) {
    typeDrop(f1(), 0.5, 1, 700, -700, 1, 1, 10);
    f1().Text1(2).setText(QStringLiteral("1,5"));
    f1().Text1(3).setText(QString());
    f2().Text1(2).setText(QStringLiteral("0"));
    f2().Text1(3).setText(QStringLiteral("0"));
    const QString name = path(QStringLiteral("drop.bmp"));
    dialogs.expectSaveFile(name);
    f2().Command1_Click(3);
    EXPECT_EQ(read(QStringLiteral("treego.txt")), QByteArray("10,0.5,700,,-700,0,0,1,5,\r\n"));
    EXPECT_EQ(read(QStringLiteral("tree.txt")),
              ("2026-12-8 9:05:07\r\n" + name + "\t10,0.5,700,,-700,0,0,1,5\r\n").toUtf8());
}

TEST_F(CanvasCommands, ColoursComeFromTheMainWindowsDialogAndACancelChangesNothing) {
    dialogs.expectColor(vbrt::RGB(0, 255, 0)).expectColor(vbrt::RGB(10, 20, 30));
    f2().Command1_Click(6);
    f2().Command1_Click(7);
    EXPECT_EQ(f2().Picture1.BackColor(), vbrt::RGB(0, 255, 0));
    EXPECT_EQ(f1().Command6(0).BackColor(), vbrt::RGB(0, 255, 0));
    EXPECT_EQ(f2().penColor, vbrt::RGB(10, 20, 30));
    EXPECT_EQ(f1().Command6(1).BackColor(), vbrt::RGB(10, 20, 30));

    // The main window's file dialogs leave cancel-as-error on; it stays theirs.
    for (const bool cancelError : {false, true}) {
        f1().CommonDialog1.CancelError = cancelError;
        dialogs.expectColor(std::nullopt).expectColor(std::nullopt);
        f2().Command1_Click(6);
        f2().Command1_Click(7);
        EXPECT_EQ(f2().Picture1.BackColor(), vbrt::RGB(0, 255, 0));
        EXPECT_EQ(f2().penColor, vbrt::RGB(10, 20, 30));
        EXPECT_EQ(f1().CommonDialog1.CancelError, cancelError);
    }
}

TEST_F(CanvasCommands, ImportPaintsThePictureAndTakesThePlotWindowOfThePanel) {
    // Straight down from rest in still air: the window is square on the fall's extent.
    typeDrop(f1(), 1, 1, 0, 0, 0, 0, 10);
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    red.save(path(QStringLiteral("red.bmp")), "BMP");
    dialogs.expectOpenFile(path(QStringLiteral("red.bmp")));
    f2().Command1_Click(9);
    const QImage shown = f2().Picture1.Image();
    EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 2), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(shown.width() - 1, shown.height() - 1), qRgb(255, 0, 0));
    EXPECT_FALSE(f2().Image1.Visible());
    EXPECT_FALSE(f2().Picture1.AutoRedraw());
    const double a = f2().plotWindow[3];
    EXPECT_GT(a, 0);
    EXPECT_EQ(f2().plotWindow, (std::array<double, 4>{-a, a, -a, a}));

    // A time of 0 samples the launch alone; a time that is no number loads nothing.
    f1().Text1(10).setText(QStringLiteral("0"));
    dialogs.expectOpenFile(std::nullopt);
    f2().Command1_Click(9);
    EXPECT_EQ(f2().plotWindow, (std::array<double, 4>{}));
    f2().plotWindow = {1, 2, 3, 4};
    f1().Text1(10).setText(QStringLiteral("abc"));
    dialogs.expectOpenFile(path(QStringLiteral("red.bmp")));
    f2().Command1_Click(9);
    EXPECT_EQ(f2().plotWindow, (std::array<double, 4>{1, 2, 3, 4}));
    EXPECT_NE(f2().Picture1.Image().pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(CanvasCommands, TextIsWrittenAtTheOriginInThePenColour) {
    f2().Picture1.Scale(0, 0, 1000, 1000);
    f2().Picture1.setForeColor(vbrt::RGB(0, 0, 255));
    f2().originX = 100;
    f2().originY = 200;
    f2().Text2.setText(QStringLiteral("写字"));
    f2().Command1_Click(13);
    EXPECT_EQ(at(100, 200), f2().penColor);
    EXPECT_EQ(f2().Picture1.FontSize(), 30);
    EXPECT_TRUE(f2().Picture1.FontBold());
    // The text's glyphs lie below and right of the origin, in the box's text colour.
    const QImage img = f2().Picture1.screen();
    const QPointF o = f2().Picture1.toPixel(100, 200);
    int blue = 0;
    for (int y = int(o.y()); y < int(o.y()) + 40; ++y)
        for (int x = int(o.x()); x < int(o.x()) + 80; ++x)
            blue += img.pixel(x, y) == qRgb(0, 0, 255);
    EXPECT_GT(blue, 20);
    EXPECT_EQ(f2().Picture1.CurrentX(), 0);
}

} // namespace
