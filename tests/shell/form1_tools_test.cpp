#include "app/module1.h"
#include "app_fixture.h"
#include "platform/media_backend.h"
#include "platform/media_player.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/forms.h"
#include "shell/video_player.h"
#include "ui/picture_file.h"

#include <QDir>
#include <QImage>
#include <cstdlib>
#include <sys/stat.h>
#include <tuple>

using namespace testing_support;
using vbrt::RGB;

namespace {

const QString kDrawTitle = QStringLiteral("Tessal画图");
const QString kEmptyQuestion = QStringLiteral("确定要清空保存的图像，重新开始画图吗？");
const QString kSaveQuestion = QStringLiteral("确定要保存的上面的图像吗？");
const QString kReplaceTitle = QStringLiteral("Tessal计算 之 查询存储");

class Form1Tools : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        media = platform::installRecordingMediaBackend();
    }
    void TearDown() override {
        AppTest::TearDown();
        platform::resetMediaBackendFactory();
    }
    void start() {
        installAsset(QStringLiteral("22.bmp"));
        installAsset(QStringLiteral("picture1.jpg"));
        f1().show();
    }
    shell::Form1& f1() { return shell::form1(); }
    ui::PictureBox& pic() { return f1().Picture1; }
    // A mark drawn on the picture's persistent image, at its top left.
    void drawMark() {
        pic().setAutoRedraw(true);
        pic().Box(0, 0, 300, 300, RGB(255, 0, 255), true);
        ASSERT_EQ(pic().Point(150, 150), RGB(255, 0, 255));
    }
    void writePicture(const QString& name, QColor colour, QSize size, const char* format) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(colour);
        ASSERT_TRUE(img.save(path(name), format));
    }

    std::shared_ptr<platform::MediaCallLog> media;
};

// Colours equal but for the rounding of a repaint.
bool near(vbrt::Colour a, vbrt::Colour b) {
    return std::abs(vbrt::redOf(a) - vbrt::redOf(b)) <= 2 &&
           std::abs(vbrt::greenOf(a) - vbrt::greenOf(b)) <= 2 &&
           std::abs(vbrt::blueOf(a) - vbrt::blueOf(b)) <= 2;
}

} // namespace

TEST_F(Form1Tools, PictureAreaTakesItsPictureSizeAndTheSeekBarFitsUnderIt) {
    start();
    EXPECT_EQ(pic().Picture().size(), QSize(580, 360));
    EXPECT_EQ(pic().innerWidthPx(), 580);
    EXPECT_EQ(pic().innerHeightPx(), 360);
    EXPECT_EQ(f1().WindowsMediaPlayer1.Height(), pic().Height());
    // The seek bar lies between the picture area and the parameter panel.
    const int barBottom = f1().HScroll1.Top() + f1().HScroll1.Height();
    EXPECT_GT(f1().HScroll1.Top(), pic().Top() + pic().Height());
    for (int i = 0; i < 3; ++i) {
        EXPECT_LE(barBottom, f1().Text1(i).Top()) << i;
        EXPECT_LE(barBottom, f1().Label1(i).Top()) << i;
    }
    EXPECT_LE(f1().Text1(17).Top() + f1().Text1(17).Height(), f1().ScaleHeight());
}

TEST_F(Form1Tools, WithoutItsPictureThePictureAreaKeepsTheSameSize) {
    installAsset(QStringLiteral("22.bmp"));
    f1().show();
    EXPECT_TRUE(pic().Picture().isNull());
    EXPECT_EQ(pic().innerWidthPx(), 580);
    EXPECT_EQ(pic().innerHeightPx(), 360);
}

TEST_F(Form1Tools, EveryPictureToolFirstEndsTheVideo) {
    struct Tool {
        const char* name;
        std::function<void(ScriptedDialogs&)> script;
        std::function<void(shell::Form1&)> click;
    };
    const Tool tools[] = {
        {"empty", [](ScriptedDialogs& d) { d.expectMsgBox(kEmptyQuestion, kDrawTitle, ui::vbNo); },
         [](shell::Form1& f) { f.Command3(0).press(); }},
        {"save with question",
         [](ScriptedDialogs& d) { d.expectMsgBox(kSaveQuestion, kDrawTitle, ui::vbNo); },
         [](shell::Form1& f) { f.Command3(1).press(); }},
        {"save", [](ScriptedDialogs& d) { d.expectSaveFile(std::nullopt); },
         [](shell::Form1& f) { f.Command5.press(); }},
        {"import", [](ScriptedDialogs& d) { d.expectOpenFile(std::nullopt); },
         [](shell::Form1& f) { f.Command7.press(); }},
    };
    start();
    for (const Tool& t : tools) {
        dialogs.expectOpenFile(path(QStringLiteral("demo.avi")));
        f1().Command14.press();
        ASSERT_TRUE(f1().WindowsMediaPlayer1.Visible()) << t.name;
        media->clear();

        t.script(dialogs);
        t.click(f1());
        EXPECT_FALSE(f1().WindowsMediaPlayer1.Visible()) << t.name;
        EXPECT_EQ(f1().video.player().playState(), platform::MediaPlayer::PlayStateUndefined)
            << t.name;
        EXPECT_EQ(media->calls().mid(0, 2), QStringList({"stop", "setSource:"})) << t.name;
        EXPECT_FALSE(f1().HScroll1.Visible()) << t.name;
        EXPECT_TRUE(pic().Visible()) << t.name;
        EXPECT_FALSE(f1().Timer3.Enabled()) << t.name;
    }
}

TEST_F(Form1Tools, EmptyingAsksFirstAndYesDropsTheBackgroundPicture) {
    start();
    const QImage before = pic().Image();
    dialogs.expectMsgBox(kEmptyQuestion, kDrawTitle, ui::vbNo, ui::vbYesNo);
    f1().Command3_Click(0);
    EXPECT_EQ(pic().Image(), before);

    dialogs.expectMsgBox(kEmptyQuestion, kDrawTitle, ui::vbYes, ui::vbYesNo);
    f1().Command3_Click(0);
    EXPECT_TRUE(pic().Picture().isNull());
    EXPECT_EQ(pic().Point(3000, 3000), pic().BackColor());
    EXPECT_EQ(pic().innerWidthPx(), 580) << "the area keeps its size";
}

TEST_F(Form1Tools, SavedPicturesAreBitmapDataUnderExactlyTheChosenName) {
    start();
    drawMark();
    const QString name = path(QStringLiteral("mine.jpg"));

    // Save with question: No writes nothing and asks for no file.
    dialogs.expectMsgBox(kSaveQuestion, kDrawTitle, ui::vbNo, ui::vbYesNo);
    f1().Command3_Click(1);
    EXPECT_FALSE(exists(QStringLiteral("mine.jpg")));

    pic().setAutoRedraw(false);
    dialogs.expectMsgBox(kSaveQuestion, kDrawTitle, ui::vbYes, ui::vbYesNo);
    dialogs.expectSaveFile(name);
    f1().Command3_Click(1);
    EXPECT_TRUE(pic().AutoRedraw());
    EXPECT_EQ(dialogs.filters.last(), QStringLiteral("图形文件*.jpg|*.jpg"));
    EXPECT_TRUE(read(QStringLiteral("mine.jpg")).startsWith("BM"));
    EXPECT_EQ(ui::LoadPicture(name).convertToFormat(QImage::Format_RGB32),
              pic().Image().convertToFormat(QImage::Format_RGB32));

    // Saving onto it again: the full name, a line break, the question; No keeps the old file.
    const QByteArray old = read(QStringLiteral("mine.jpg"));
    pic().setAutoRedraw(false); // the plain save leaves this alone
    pic().Cls();
    const QString replace = name + QStringLiteral("已经存在。\r\n要替换她吗？");
    dialogs.expectSaveFile(name).expectMsgBox(replace, kReplaceTitle, ui::vbNo, ui::vbYesNo);
    f1().Command5_Click();
    EXPECT_FALSE(pic().AutoRedraw());
    EXPECT_EQ(read(QStringLiteral("mine.jpg")), old);

    pic().setAutoRedraw(true);
    pic().Cls(); // the mark goes
    dialogs.expectSaveFile(name).expectMsgBox(replace, kReplaceTitle, ui::vbYes, ui::vbYesNo);
    f1().Command5_Click();
    EXPECT_NE(read(QStringLiteral("mine.jpg")), old);
    EXPECT_EQ(vbrt::fromRgb32(ui::LoadPicture(name).pixel(5, 5)), pic().Point(75, 75));
}

TEST_F(Form1Tools, ACancelledSaveSaysNothingAndAFailedOneSaysWhy) {
    start();
    dialogs.expectSaveFile(std::nullopt);
    f1().Command5_Click();
    EXPECT_EQ(files().filter(QStringLiteral(".jpg")), QStringList{"picture1.jpg"});

    const QString nowhere = path(QStringLiteral("nowhere/x.jpg"));
    dialogs.expectSaveFile(nowhere).expectMsgBox(
        QStringLiteral("无法写入文件：") + nowhere + QStringLiteral("（文件夹不存在）"),
        QStringLiteral("Tessal计算 之 查询存储"), ui::vbOK, ui::vbOKOnly);
    f1().Command5_Click();
    EXPECT_FALSE(exists(QStringLiteral("nowhere/x.jpg")));
}

TEST_F(Form1Tools, ImportPaintsTheChosenPictureOverTheWholeArea) {
    start();
    writePicture(QStringLiteral("small.jpg"), Qt::red, QSize(40, 20), "BMP");
    drawMark();
    dialogs.expectOpenFile(path(QStringLiteral("small.jpg")));
    f1().Command7_Click();
    EXPECT_EQ(dialogs.filters.last(), QStringLiteral("图形文件*.jpg|*.jpg"));
    EXPECT_EQ(pic().ScaleWidth(), 5760);
    EXPECT_EQ(pic().ScaleHeight(), 4320);
    EXPECT_FALSE(pic().AutoSize());
    EXPECT_TRUE(pic().AutoRedraw());
    EXPECT_EQ(pic().innerWidthPx(), 580) << "the area keeps its size";
    EXPECT_EQ(pic().Picture().size(), QSize(40, 20));
    // Stretched over the whole area, the mark gone.
    for (auto [x, y] : {std::pair{10.0, 10.0}, {5700.0, 4300.0}, {2880.0, 2160.0}})
        EXPECT_EQ(pic().Point(x, y), RGB(255, 0, 0)) << x << "," << y;
}

TEST_F(Form1Tools, ACancelledUnreadableOrHugeImportRepaintsTheCurrentPicture) {
    start();
    const QImage picture = pic().Picture();
    write(QStringLiteral("notes.jpg"), "not a picture");
    // Bitmap headers claiming 20000 x 6000 pixels (120 million), and 30000 x 30000, taller
    // than the decoder sizes, with nothing behind them.
    for (const auto& [name, width, height] :
         {std::tuple{"huge.jpg", 20000, 6000}, std::tuple{"tall.bmp", 30000, 30000}}) {
        QByteArray huge("BM", 2);
        const auto le32 = [&huge](quint32 v) {
            for (int i = 0; i < 4; ++i)
                huge.append(char(v >> (8 * i)));
        };
        le32(54), le32(0), le32(54), le32(40), le32(width), le32(height);
        huge.append("\x01\x00\x18\x00", 4);
        huge.append(24, '\0');
        write(QString::fromLatin1(name), huge);
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("fifo.jpg"))).constData(), 0666), 0);
    const QString tooLarge = QStringLiteral("图片太大（超过1亿像素），无法导入：");
    const QString notAFile = QStringLiteral("不是普通文件，无法导入：");
    for (const QString& name : {QString(), QStringLiteral("notes.jpg"), QStringLiteral("huge.jpg"),
                                QStringLiteral("tall.bmp"), QStringLiteral("fifo.jpg")}) {
        const std::optional<QString> answer =
            name.isEmpty() ? std::nullopt : std::optional<QString>(path(name));
        drawMark();
        dialogs.expectOpenFile(answer);
        if (name.startsWith(QStringLiteral("huge")) || name.startsWith(QStringLiteral("tall")))
            dialogs.expectMsgBox(tooLarge + path(name), kDrawTitle, ui::vbOK, ui::vbOKOnly);
        if (name.startsWith(QStringLiteral("fifo")))
            dialogs.expectMsgBox(notAFile + path(name), kDrawTitle, ui::vbOK, ui::vbOKOnly);
        f1().Command7_Click();
        EXPECT_EQ(pic().Picture(), picture);
        EXPECT_NE(pic().Point(150, 150), RGB(255, 0, 255)) << "the drawing is cleared";
        // Same size: stretching repaints it as it was. The area now counts 5760 x 4320.
        for (auto [x, y] : {std::pair{10, 10}, {300, 200}, {579, 359}})
            EXPECT_TRUE(near(pic().Point((x + 0.5) * 5760 / 580, (y + 0.5) * 4320 / 360),
                             vbrt::fromRgb32(picture.pixel(x, y))))
                << x << "," << y;
        EXPECT_EQ(f1().CommonDialog1.FileName, answer.value_or(QString()));
    }
}

TEST_F(Form1Tools, ImportAfterEmptyingLeavesAClearedArea) {
    start();
    dialogs.expectMsgBox(kEmptyQuestion, kDrawTitle, ui::vbYes);
    f1().Command3_Click(0);
    drawMark();
    dialogs.expectOpenFile(std::nullopt);
    f1().Command7_Click();
    EXPECT_EQ(pic().Point(150, 150), pic().BackColor());
}

TEST_F(Form1Tools, PenColourButtonsSetTheCalculatorPen) {
    start();
    const double pens[3] = {255, 65280, 16711680};
    for (int i : {2, 0, 1}) {
        f1().calculator.penColor = 7;
        f1().Command4(i).press();
        EXPECT_EQ(f1().calculator.penColor, pens[i]) << i;
    }
    EXPECT_FALSE(f1().Command4(0).Visible());
    EXPECT_EQ(f1().Command4(2).BackColor(), 0xFFC0C0);
}

TEST_F(Form1Tools, ColourDialogSetsPenOrPaperAndACancelChangesNothing) {
    start();
    dialogs.expectColor(RGB(10, 20, 30));
    f1().Command6_Click(1);
    EXPECT_EQ(f1().Command6(1).BackColor(), RGB(10, 20, 30));
    EXPECT_EQ(f1().calculator.penColor, RGB(10, 20, 30));

    dialogs.expectColor(RGB(200, 100, 50));
    f1().Command6_Click(0);
    EXPECT_EQ(f1().Command6(0).BackColor(), RGB(200, 100, 50));
    EXPECT_EQ(pic().BackColor(), RGB(200, 100, 50));

    // Cancelled, whichever cancel setting the file dialogs left behind.
    for (bool cancelError : {false, true}) {
        for (int index : {0, 1}) {
            f1().CommonDialog1.CancelError = cancelError;
            dialogs.expectColor(std::nullopt);
            f1().Command6_Click(index);
            EXPECT_EQ(f1().Command6(1).BackColor(), RGB(10, 20, 30));
            EXPECT_EQ(f1().calculator.penColor, RGB(10, 20, 30));
            EXPECT_EQ(f1().Command6(0).BackColor(), RGB(200, 100, 50));
            EXPECT_EQ(pic().BackColor(), RGB(200, 100, 50));
            EXPECT_EQ(f1().CommonDialog1.CancelError, cancelError);
        }
    }
}

TEST_F(Form1Tools, ALabelClickQuickSavesBitmapDataAs11Jpg) {
    start();
    write(QStringLiteral("11.jpg"), "older");
    pic().setAutoRedraw(false);
    pic().PSet(15, 15, RGB(0, 0, 255)); // on screen only: not part of the saved picture
    f1().Label1(7).onClick();
    EXPECT_TRUE(pic().AutoRedraw());
    const QByteArray saved = read(QStringLiteral("11.jpg"));
    EXPECT_TRUE(saved.startsWith("BM"));
    const QImage back = ui::LoadPicture(path(QStringLiteral("11.jpg")));
    EXPECT_EQ(back.size(), QSize(580, 360));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32),
              pic().Image().convertToFormat(QImage::Format_RGB32));
    EXPECT_NE(vbrt::fromRgb32(back.pixel(1, 1)), RGB(0, 0, 255));

    drawMark();
    f1().Label1(0).onClick();
    EXPECT_EQ(vbrt::fromRgb32(ui::LoadPicture(path(QStringLiteral("11.jpg"))).pixel(5, 5)),
              RGB(255, 0, 255));
}

TEST_F(Form1Tools, MixerFollowsItsBarsAtTheNextTick) {
    start();
    EXPECT_FALSE(f1().Timer3.Enabled());
    f1().VScroll1(0).setValue(255);
    EXPECT_TRUE(f1().Timer3.Enabled()) << "a bar change starts the refresh";
    f1().VScroll1(1).setValue(128);
    f1().VScroll1(2).setValue(0);
    EXPECT_EQ(f1().Text2(0).Text(), QStringLiteral("0")) << "not before the tick";
    advance(0.62);
    EXPECT_EQ(f1().Picture3.BackColor(), 33023);
    EXPECT_EQ(f1().Text2(0).Text(), QStringLiteral("255"));
    EXPECT_EQ(f1().Text2(1).Text(), QStringLiteral("128"));
    EXPECT_EQ(f1().Text2(2).Text(), QStringLiteral("0"));
    EXPECT_TRUE(f1().Timer3.Enabled()) << "the refresh never stops its timer";
    EXPECT_FALSE(f1().Picture3.Visible());
}

TEST_F(Form1Tools, CaptionClockShowsDateAndWeekday) {
    struct Case {
        QDate date;
        const char* tail;
    };
    for (const Case& c : {Case{QDate(2026, 12, 9), "     2026-12-9     星期三"},
                          Case{QDate(2027, 1, 3), "     2027-1-3     星期日"},
                          Case{QDate(2027, 1, 4), "     2027-1-4     星期一"},
                          Case{QDate(2027, 11, 20), "     2027-11-20     星期六"}})
        EXPECT_EQ(shell::Form1::clockCaption(c.date),
                  QStringLiteral("风雨同路，一往无前") + QString::fromUtf8(c.tail));

    start();
    EXPECT_FALSE(f1().Timer1.Enabled());
    advance(2);
    EXPECT_EQ(f1().Caption(), QStringLiteral("风雨同路，一往无前")) << "the clock starts off";
    f1().Timer1.setEnabled(true);
    advance(1.01);
    EXPECT_EQ(f1().Caption(), QStringLiteral("风雨同路，一往无前     2026-12-8     星期二"));
}
