#include "app/records.h"
#include "drawing/board_fixture.h"
#include "drawing/stroke_file.h"
#include "drop_panel.h"
#include "text_printers.h"
#include "trajectories/command_words.h"
#include "trajectories/record_replay.h"
#include "vbrt/colour.h"
#include "vbrt/convert.h"

#include "ui/event_loop.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace testing_support;
using trajectories::RecordFields;

namespace {

const QString kNotNumbers = QStringLiteral("请输入数值！");
const QString kTitle = QStringLiteral("Tessal");
const QString kPenTitle = QStringLiteral("Tessal Arvendel 之画画");
const QString kImportNotice = QStringLiteral("将要导入的是Tessal画画的轨迹结果；\r\n是否继续？");

// Two records as the picture save writes them: a flat throw from the origin, then a throw
// from (1, 1) with twice the time.
const QByteArray kTwoRecords = "1,1,2,0,0,0,0,0,\r\n"
                               "2,1,1,0,0,1,1,0,\r\n";

// The drawing window the freehand launcher opens, where the words are typed.
class Replay : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        f1().Text1(13).setText(QStringLiteral("1"));
    }
    trajectories::RecordReplay& replay() { return f2().replay; }
    void word(const char* text) {
        f2().Text2.setText(QString::fromLatin1(text));
        f2().commandWords.Text2_Click();
    }
    bool on(int timer) { return f2().Timer(timer).Enabled(); }
    // The time of the record drawn last, as the panel shows it.
    QString drawnTime() { return f1().Text1(10).Text(); }
    int penPixels() {
        const QImage image = f2().Picture1.screen().convertToFormat(QImage::Format_RGB32);
        const QRgb pen = vbrt::toRgb32(f2().penColor);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == pen;
        return n;
    }
};

} // namespace

TEST(ReplayRecordLines, EachDistinctLineWithTheSeparatorOnceWhereItLastStands) {
    struct Case {
        QString text;
        QStringList records;
    };
    const Case table[] = {
        {"a,\r\nb,\r\na,\r\n", {"b,", "a,"}},
        {"A,1,\r\na,1,\r\nB,\r\n", {"a,1,", "b,"}},
        {"no separator\r\n\r\n\r\ny,\r\n", {"y,"}},
        {"p,\nq,\rr,", {"p,", "q,", "r,"}},
        {"", {}},
        {QString(500000, QChar(0x130)) + u',', {QStringLiteral("i\u0307").repeated(500000) + u','}},
    };
    for (const Case& c : table)
        EXPECT_EQ(trajectories::replayRecordLines(c.text, u","), c.records);
    EXPECT_EQ(trajectories::replayRecordLines(u"x;y\r\nz,\r\n", u" ;"), QStringList{"x;y"});
    EXPECT_EQ(trajectories::replayRecordLines(u"a,\r\n", u" "), QStringList{});

    // More records than the replay holds: the first ones are kept.
    QString many;
    for (int i = 0; i <= trajectories::kMaxReplayRecords; ++i)
        many += QString::number(i) + QStringLiteral(",\r\n");
    const QStringList kept = trajectories::replayRecordLines(many, u",");
    ASSERT_EQ(kept.size(), trajectories::kMaxReplayRecords);
    EXPECT_EQ(kept.back(), QString::number(trajectories::kMaxReplayRecords - 1) + u',');
}

TEST(ParseRecord, ValuesUpToEachCommaFillTheFieldsInOrder) {
    const RecordFields before{9, 9, 9, 9, 9, 9, 9, 9};
    struct Case {
        const char* line;
        bool parsed;
        RecordFields fields;
    };
    const Case table[] = {
        {"1,2,3,4,5,6,7,8,", true, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"1,2,3,", true, {1, 2, 3, 9, 9, 9, 9, 9}},
        {"1,2,3,4,5,6,7,8,9,10,", true, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"1,2,3", true, {1, 2, 9, 9, 9, 9, 9, 9}},
        {" 1.5e-05 ,-2,", true, {1.5e-05, -2, 9, 9, 9, 9, 9, 9}},
        {"", true, before},
        {"1,,2,", false, before},
        {"1,x,3,", false, before},
        {",1,", false, before},
    };
    for (const Case& c : table) {
        RecordFields fields = before;
        EXPECT_EQ(trajectories::parseRecord(QString::fromLatin1(c.line), fields), c.parsed)
            << c.line;
        EXPECT_EQ(fields, c.fields) << c.line;
    }
}

TEST_F(Replay, AutoDrawsOneRecordATickTheLastMarkedAndStartsAgainASecondLater) {
    write(QStringLiteral("treego.txt"), kTwoRecords);
    word("auto");
    advance(1.0);
    EXPECT_EQ(replay().replayCount(), 2);
    EXPECT_FALSE(on(8));
    EXPECT_TRUE(on(9));

    // The first record sets the scale; the second is drawn in it, marked as the pass's last.
    advance(0.2);
    EXPECT_EQ(drawnTime(), QStringLiteral("1"));
    EXPECT_TRUE(f2().drawChord) << "drawn without its steps marked";
    EXPECT_EQ(replay().currentRecord(), QStringLiteral("OK"));
    const double scale = f2().Picture1.ScaleWidth();
    EXPECT_NEAR(scale, 2 * f2().plotWindow[1], 1e-9 * scale);
    advance(0.001);
    EXPECT_EQ(drawnTime(), QStringLiteral("2"));
    EXPECT_EQ(f2().Text1(2).Text(), QStringLiteral("1"));
    EXPECT_FALSE(f2().drawChord) << "the last record has its steps marked";
    EXPECT_EQ(f2().Picture1.ScaleWidth(), scale);
    EXPECT_NE(2 * f2().plotWindow[1], scale);

    // The tick after the last record hands back; a record saved meanwhile joins the next pass.
    advance(0.001);
    EXPECT_FALSE(on(9));
    EXPECT_TRUE(on(8));
    write(QStringLiteral("treego.txt"), kTwoRecords + "3,1,1,0,0,0,0,0,\r\n");
    advance(0.99);
    EXPECT_TRUE(on(8));
    advance(0.02);
    EXPECT_EQ(replay().replayCount(), 3);
    EXPECT_EQ(penPixels(), 0) << "each pass starts on a cleared canvas";
}

TEST_F(Replay, AutoplayMarksEveryRecordShiftedUntilAClickStopsIt) {
    write(QStringLiteral("treego.txt"), kTwoRecords);
    m().replayShiftX = 5;
    word("autoplay");
    EXPECT_FALSE(m().fastPlot) << "until its start tick";
    advance(0.001);
    EXPECT_TRUE(m().fastPlot);
    EXPECT_TRUE(on(11));
    advance(0.001);
    EXPECT_EQ(drawnTime(), QStringLiteral("1"));
    EXPECT_EQ(f2().Text1(2).Text(), QStringLiteral("5"));
    EXPECT_FALSE(f2().drawChord);
    EXPECT_EQ(replay().recordFields()[5], 0) << "the shift is not kept in the record";
    advance(0.001);
    EXPECT_EQ(drawnTime(), QStringLiteral("2"));
    EXPECT_FALSE(f2().drawChord);

    // The next pass follows at once; a click on the box between two ticks ends the mode.
    advance(0.001);
    EXPECT_TRUE(on(11));
    EXPECT_EQ(replay().replayIndex(), 0);
    word("");
    EXPECT_FALSE(on(10));
    EXPECT_FALSE(on(11));
    EXPECT_FALSE(m().fastPlot);
    const QImage before = f2().Picture1.screen();
    advance(10);
    EXPECT_EQ(f2().Picture1.screen(), before);
}

TEST_F(Replay, OnRealTimeAClickReachesTheBoxBetweenTwoFastReplayTicks) {
    write(QStringLiteral("treego.txt"), kTwoRecords);
    ui::EventLoop::instance().useRealTime();
    word("autoplay");
    // The click comes from outside while a tick draws, as the window system delivers it.
    QWidget* box = f2().Text2.widget();
    ASSERT_NE(box, nullptr);
    std::vector<QMouseEvent*> click;
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        click.push_back(new QMouseEvent(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                                        Qt::LeftButton, Qt::NoModifier));
    std::atomic<bool> clicked = false;
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (QMouseEvent* e : click)
            QCoreApplication::postEvent(box, e);
        clicked = true;
    });
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (clicked && !on(10) && !on(11))
            loop.quit();
    });
    watch.start(5);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    QElapsedTimer waited;
    waited.start();
    loop.exec();
    user.join();
    EXPECT_FALSE(on(10));
    EXPECT_FALSE(on(11));
    EXPECT_FALSE(m().fastPlot);
    EXPECT_LT(waited.elapsed(), 10000) << "one record draws in about two seconds";
}

TEST_F(Replay, ARecordThatCannotBeDrawnIsPassedOver) {
    // A value that is no number; then a time that cannot be stepped through, which the panel's
    // check refuses with its message; then a good record.
    write(QStringLiteral("treego.txt"), "1,1,2,0,0,0,0,0,\r\n1,x,2,\r\n0,1,2,0,0,0,0,0,\r\n"
                                        "2,1,1,0,0,1,1,0,\r\n");
    word("auto");
    advance(1.2);
    ASSERT_EQ(drawnTime(), QStringLiteral("1"));
    advance(0.001);
    EXPECT_EQ(replay().currentRecord(), QString());
    EXPECT_EQ(replay().recordFields()[1], 1) << "the fields stay as the last record left them";
    EXPECT_EQ(drawnTime(), QStringLiteral("1"));
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    advance(0.2);
    EXPECT_EQ(drawnTime(), QStringLiteral("0"));
    advance(0.2);
    EXPECT_EQ(drawnTime(), QStringLiteral("2"));
    EXPECT_EQ(replay().replayIndex(), 4);

    // No file: the start tick finds nothing and the mode ends.
    QFile::remove(path(QStringLiteral("treego.txt")));
    word("auto");
    advance(1.0);
    EXPECT_FALSE(on(8));
    EXPECT_FALSE(on(9));
}

// No reader waits on what stands in a file's place: the user is told why it was not read.
TEST_F(Replay, AFileThatCannotBeReadIsSaidWhy) {
    const QString pen = path("s.txt"), treego = path("treego.txt");
    const struct {
        QString file;
        qint64 size; // a FIFO when none
        QString message;
    } table[] = {
        {pen, -1, "无法读取轨迹文件：" + pen + "（不是普通文件）"},
        {pen, drawing::kMaxStrokeFileBytes + 1, "无法读取轨迹文件：" + pen + "（文件太大）"},
        {treego, -1, "无法读取文件：" + treego + "（不是普通文件）"},
        {treego, app::kMaxRecordFileBytes + 1, "无法读取文件：" + treego + "（文件太大）"},
    };
    for (const auto& c : table) {
        QFile file(c.file);
        file.remove();
        ASSERT_TRUE(c.size < 0 ? ::mkfifo(QFile::encodeName(c.file).constData(), 0666) == 0
                               : file.open(QIODevice::WriteOnly) && file.resize(c.size));
        if (c.file == pen) {
            dialogs.expectMsgBox(kImportNotice, kPenTitle, ui::vbOK, ui::vbOKOnly)
                .expectOpenFile(pen)
                .expectMsgBox(c.message, kPenTitle, ui::vbOK);
            f2().Command1_Click(17);
        } else {
            dialogs.expectMsgBox(c.message, kTitle, ui::vbOK, ui::vbOKOnly);
            word("autoplay");
        }
        advance(2.0);
    }
}

TEST_F(Replay, TheMarkedPlotterAddsCirclesToTheSameLine) {
    f2().drawEllipse = false;
    const auto plot = [&](bool marked) {
        f2().Picture1.Cls();
        f2().coordMode = false;
        marked ? replay().rainst(1, 1, 2, 0, 0, 0, 0, 0) : replay().rains(1, 1, 2, 0, 0, 0, 0, 0);
        return f2().Picture1.screen().convertToFormat(QImage::Format_RGB32);
    };
    const QImage line = plot(false), marked = plot(true);
    const QRgb pen = vbrt::toRgb32(f2().penColor);
    int linePixels = 0, markedPixels = 0;
    for (int y = 0; y < line.height(); ++y)
        for (int x = 0; x < line.width(); ++x) {
            linePixels += line.pixel(x, y) == pen;
            markedPixels += marked.pixel(x, y) == pen;
            if (line.pixel(x, y) == pen) {
                ASSERT_EQ(marked.pixel(x, y), pen) << x << " " << y;
            }
        }
    EXPECT_GT(linePixels, 100);
    EXPECT_GT(markedPixels, 2 * linePixels);
    EXPECT_NE(marked.pixel(2, 2), pen) << "the circles are small beside the canvas";

    // The ring round the first record's origin is drawn once.
    f2().drawEllipse = true;
    const int withoutRing = penPixels();
    replay().rainst(1, 1, 2, 0, 0, 0, 0, 0);
    EXPECT_GT(penPixels(), withoutRing);
    EXPECT_FALSE(f2().drawEllipse);
    EXPECT_FALSE(f1().Label1(14).Visible());
}

TEST_F(Replay, OneRainSceneTickDrawsItsTwentyOneDropsAndEndsTheScene) {
    f2().coordMode = false;
    // The scene takes the horizontal wind from the panel.
    f1().Text1(2).setText(QStringLiteral("0"));
    f2().Timer(2).setEnabled(true);
    f2().Timer(3).setEnabled(true);
    advance(2.0);
    EXPECT_FALSE(on(2));
    EXPECT_FALSE(on(3));
    EXPECT_EQ(drawnTime(), vbrt::CStr(0.0239011555555556)) << "the last drop's time";
    EXPECT_EQ(f2().Text1(2).Text(), QStringLiteral("4.684273"));
    EXPECT_EQ(f2().Text1(3).Text(), QStringLiteral("-4.043599"));
    EXPECT_TRUE(f2().coordMode);
    EXPECT_GT(penPixels(), 1000);

    // With the density no number, each of the 21 drops says so.
    f1().Text1(13).setText(QStringLiteral("?"));
    for (int i = 0; i < 21; ++i)
        dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    f2().Timer(2).setEnabled(true);
    advance(2.0);
    EXPECT_FALSE(on(2));

    // The blinker switches the scene in turn; a double click on the window stops it.
    f2().Timer(3).setEnabled(true);
    advance(3.0);
    EXPECT_TRUE(on(2));
    f2().Form_DblClick();
    EXPECT_FALSE(on(3));
    EXPECT_TRUE(on(2));
}

TEST_F(Replay, TheSnapshotPairRestoresTheDrawingOverTheWholeArea) {
    // Drawn into the kept image, as on a pre-saved canvas.
    f2().Picture1.setAutoRedraw(true);
    f2().coordMode = false;
    replay().rainst(1, 1, 2, 0, 0, 0, 0, 0);
    const int drawn = penPixels();
    ASSERT_TRUE(f2().dropPlots.drawrainready());
    EXPECT_TRUE(exists(QStringLiteral("drawimage.jpg")));
    f2().Picture1.Cls();
    ASSERT_EQ(penPixels(), 0);

    // The panel still holds the record: its window is worked out again (the path has its
    // extremes at its ends, so the coarser sampling finds the same).
    const std::array<double, 4> window = f2().plotWindow;
    f2().plotWindow = {};
    ASSERT_TRUE(f2().dropPlots.drawoutput());
    EXPECT_EQ(penPixels(), drawn);
    EXPECT_FALSE(f2().Picture1.AutoRedraw());
    EXPECT_EQ(f2().plotWindow, window);
    EXPECT_EQ(f2().Picture1.ScaleWidth(), f2().Picture1.Width());

    // No snapshot, or a folder that takes none: nothing restored, nothing written.
    QFile::remove(path(QStringLiteral("drawimage.jpg")));
    EXPECT_FALSE(f2().dropPlots.drawoutput());
    QDir(dir.path()).mkdir(QStringLiteral("drawimage.jpg"));
    EXPECT_FALSE(f2().dropPlots.drawrainready());
    // A time the window cannot be worked out for is refused as every plot refuses it.
    f1().Text1(10).setText(QStringLiteral("0"));
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    EXPECT_FALSE(f2().dropPlots.drawoutput());
}

TEST_F(Replay, AutoplayOfARefusedRecordSaysSoOnceAndAClickOnTheBoxStillStopsIt) {
    // A picture saved with the time 0: its record is one the panel refuses.
    typeDrop(f1(), 1, 1, 2, 0, 0, 0, 0);
    dialogs.expectSaveFile(path(QStringLiteral("p.jpg")));
    f2().Command1_Click(3);
    ASSERT_TRUE(read(QStringLiteral("treego.txt")).startsWith("0,"));

    // "autoplay", and "auto" with Enter beside it, which leaves autoplay running.
    word("autoplay");
    f2().Text2.setText(QStringLiteral("auto"));
    int enter = 13;
    f2().commandWords.Text2_KeyPress(enter);
    ASSERT_TRUE(on(8) && on(10));

    // While the message is open no pass of either word starts or goes on; once dismissed, the
    // passes go on without a word, leaving the box within reach.
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly, [&] {
        const uint64_t drawn = f2().Picture1.drawCount();
        const double index = replay().replayIndex();
        advance(2.0);
        EXPECT_EQ(f2().Picture1.drawCount(), drawn);
        EXPECT_EQ(replay().replayIndex(), index);
    });
    advance(5.0);
    dialogs.verifyAllShown();
    EXPECT_TRUE(on(8) || on(9));
    EXPECT_TRUE(on(10) || on(11));

    word("");
    for (int timer : {8, 9, 10, 11})
        EXPECT_FALSE(on(timer)) << timer;
    EXPECT_FALSE(m().fastPlot);
}

TEST_F(Replay, APassSaysItsRefusalOnceWithADrawingBetweenTwoAndAStopMeanwhileHolds) {
    // Refused (time 0), drawn, refused (radius 0): a pass says it once, the next pass again
    // after its drawing, and a click on the box while the message is open ends the replay.
    write(QStringLiteral("treego.txt"), "0,1,2,0,0,0,0,0,\r\n"
                                        "1,1,2,0,0,0,0,0,\r\n"
                                        "1,0,2,0,0,0,0,0,\r\n");
    word("autoplay");
    uint64_t drawnAtFirst = 0, drawnAtStop = 0;
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly,
                         [&] { drawnAtFirst = f2().Picture1.drawCount(); });
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly, [&] {
        EXPECT_EQ(drawnTime(), QStringLiteral("0")) << "the next pass's first record";
        EXPECT_EQ(f1().Text1(0).Text(), QStringLiteral("1"));
        EXPECT_GT(f2().Picture1.drawCount(), drawnAtFirst) << "a record drawn in between";
        word("");
        drawnAtStop = f2().Picture1.drawCount();
    });
    advance(10.0);
    dialogs.verifyAllShown();
    EXPECT_FALSE(on(10));
    EXPECT_FALSE(on(11));
    EXPECT_EQ(f2().Picture1.drawCount(), drawnAtStop) << "nothing drawn after the stop";
}
