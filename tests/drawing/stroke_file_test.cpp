#include "board_fixture.h"
#include "drawing/stroke_file.h"

#include <QFileInfo>
#include <optional>

using namespace testing_support;
using app::StrokePoint;
using app::StrokeStore;

namespace {

const QString kTitle = QStringLiteral("Tessal Arvendel 之画画");
const QString kExportNotice = QStringLiteral("将要保存的是Tessal画画的轨迹结果；\r\n是否继续？");
const QString kImportNotice = QStringLiteral("将要导入的是Tessal画画的轨迹结果；\r\n是否继续？");

// Two strokes: (100, 200)-(110, 205) in red, width 2, and (1E-05, 7) alone in blue, width 5.
StrokeStore twoStrokes() {
    StrokeStore s;
    s.at(0, 0) = {100, 200, 0, 0};
    s.at(0, 1) = {110, 205, 255, 2};
    s.at(1, 0) = {0.00001, 7, 16711680, 5};
    s.pointsPerStroke[0] = 1;
    s.pointsPerStroke[1] = 0;
    s.strokesPerPage[0] = 2;
    return s;
}

TEST(StrokeFile, WritesTwoLinesPerStrokeWithTheirCounters) {
    EXPECT_EQ(drawing::strokeFileText(twoStrokes(), 2), QByteArray("100\t110\t255\t2\t1\r\n"
                                                                   "200\t205\t255\t2\t2\r\n"
                                                                   "1E-05\t16711680\t5\t2\r\n"
                                                                   "7\t16711680\t5\t3\r\n"));
    EXPECT_EQ(drawing::strokeFileText(twoStrokes(), 0), QByteArray());
}

TEST(StrokeFile, ReadsWhatItWrote) {
    struct Case {
        const char* what;
        QByteArray text;
    };
    const QByteArray written = drawing::strokeFileText(twoStrokes(), 2);
    QByteArray bars = written;
    bars.replace('\t', '|');
    const Case cases[] = {
        {"as written", written},
        {"bars for tabs", bars},
        {"LF line ends and a short line between",
         QByteArray(written).replace("\r\n", "\n\n9\t9\n")},
    };
    for (const Case& c : cases) {
        StrokeStore s;
        const drawing::StrokeFileRead r = drawing::readStrokeFile(c.text, s);
        EXPECT_EQ(r.strokes, 2) << c.what;
        EXPECT_FALSE(r.badLine) << c.what;
        const StrokeStore w = twoStrokes();
        EXPECT_EQ(s.pointsPerStroke[0], 1) << c.what;
        EXPECT_EQ(s.pointsPerStroke[1], 0) << c.what;
        EXPECT_EQ(s.point(0, 1), w.point(0, 1)) << c.what;
        EXPECT_EQ(s.point(1, 0), w.point(1, 0)) << c.what;
        EXPECT_EQ(s.point(0, 0), (StrokePoint{100, 200, 255, 2})) << c.what;
    }
}

TEST(StrokeFile, ARepeatedLineStillPairsAndABadValueLeavesTheStore) {
    // The first stroke's Y line equals the second stroke's X line.
    StrokeStore s;
    const drawing::StrokeFileRead r = drawing::readStrokeFile("1\t9\t1\t2\t1\r\n"
                                                              "5\t9\t1\t2\t2\r\n"
                                                              "5\t9\t1\t2\t2\r\n"
                                                              "6\t9\t1\t2\t3\r\n",
                                                              s);
    EXPECT_EQ(r.strokes, 2);
    EXPECT_EQ(s.point(1, 0), (StrokePoint{5, 6, 1, 2}));

    StrokeStore kept = twoStrokes();
    const drawing::StrokeFileRead bad =
        drawing::readStrokeFile("1\t2\t3\t4\t1\r\n1\tx\t3\t4\t2\r\n", kept);
    EXPECT_EQ(bad.badLine, 2);
    EXPECT_EQ(kept.point(0, 0), twoStrokes().point(0, 0));
}

using StrokeFiles = BoardTest;

TEST_F(StrokeFiles, ExportImportAndReplayDrawTheSameStrokes) {
    f2().Picture1.Scale(0, 0, 1000, 1000);
    f2().penColor = vbrt::RGB(255, 0, 0);
    f2().Command1_Click(14);
    drawStroke({{100, 100}, {400, 100}});
    f2().penColor = vbrt::RGB(0, 128, 0);
    f2().Command1_Click(21);
    drawStroke({{100, 600}, {400, 900}});
    const QString name = path(QStringLiteral("strokes.txt"));
    dialogs.expectMsgBox(kExportNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectSaveFile(name);
    f2().Command1_Click(16);
    EXPECT_EQ(read(QStringLiteral("strokes.txt")).count("\r\n"), 4);

    // A fresh window: the store emptied, then the file brought back and replayed.
    f1().Command12_Click();
    board().strokes = {};
    dialogs.expectMsgBox(kImportNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectOpenFile(name);
    f2().Command1_Click(17);
    EXPECT_EQ(f2().Command1(14).BackColor(), 153);
    EXPECT_EQ(board().strokeCount, 2);
    f2().Picture1.Scale(0, 0, 1000, 1000);
    f2().Command1_Click(15);
    advance(0.3);
    EXPECT_EQ(at(250, 100), vbrt::RGB(255, 0, 0));
    EXPECT_EQ(at(250, 750), vbrt::RGB(0, 128, 0));
    EXPECT_EQ(f2().Picture1.DrawWidth(), 7);

    // New strokes go after the imported ones.
    f2().Command1_Click(14);
    drawStroke({{700, 100}, {800, 100}});
    EXPECT_EQ(board().strokes.strokesPerPage[0], 3);
    EXPECT_EQ(board().strokes.point(0, 1).x, 400);
}

TEST_F(StrokeFiles, AStrokeOfAnyLengthComesBackWhole) {
    // Strokes drawn in red at width 3, up to the 3001 points the store holds (30 s with the pen
    // down); a line holds the points and three values more.
    for (const int points : {10, 2996, 2997, 3000, 3001}) {
        SCOPED_TRACE(points);
        board().strokeCount = board().strokeLenIndex = 0;
        if (!m().freehandMode)
            f2().Command1_Click(14);
        f2().Picture1.setDrawWidth(3);
        f2().penColor = 255;
        std::vector<QPointF> trace;
        for (int j = 0; j < points; ++j)
            trace.emplace_back(100 + 0.25 * j, 200 + j % 7);
        drawStroke(trace);
        const QString name = path(QString::number(points) + QStringLiteral(".txt"));
        dialogs.expectMsgBox(kExportNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectSaveFile(name);
        f2().Command1_Click(16);
        board().strokes = {};
        dialogs.expectMsgBox(kImportNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectOpenFile(name);
        f2().Command1_Click(17);
        // Every point back, in the colour and width it was drawn with: the file again.
        EXPECT_EQ(board().strokes.pointsPerStroke[0], points - 1);
        EXPECT_EQ(drawing::strokeFileText(board().strokes, 1), read(QFileInfo(name).fileName()));
    }
}

TEST_F(StrokeFiles, ALineLongerThanTheStoreFillsItAndAHugeNumberIsRefused) {
    // 3005 points: the store takes 3001, the colour and width still come from the line's end.
    QByteArray x, y;
    for (int j = 0; j < 3005; ++j) {
        x += QByteArray::number(j) + '\t';
        y += QByteArray::number(-j) + '\t';
    }
    // The widest number the export writes has 22 characters; this one 50 million.
    const QByteArray huge = "1." + QByteArray(50'000'000, '0');
    const std::pair<QByteArray, std::optional<StrokePoint>> cases[] = {
        {x + "65280\t4\t1\r\n" + y + "65280\t4\t2\r\n", StrokePoint{3000, -3000, 65280, 4}},
        {"1\t" + huge + "\t255\t3\t1\r\n1\t1\t255\t3\t2\r\n", std::nullopt},
    };
    const QString name = path(QStringLiteral("given.txt"));
    for (const auto& [text, last] : cases) {
        board().strokes = twoStrokes();
        write(QStringLiteral("given.txt"), text);
        dialogs.expectMsgBox(kImportNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectOpenFile(name);
        if (!last)
            dialogs.expectMsgBox(QStringLiteral("不是Tessal画画的轨迹文件，没有导入：") + name,
                                 kTitle, ui::vbOK);
        f2().Command1_Click(17);
        EXPECT_EQ(board().strokes.point(0, last ? 3000 : 0),
                  last.value_or(twoStrokes().point(0, 0)));
    }
}

TEST_F(StrokeFiles, StrokesToFarPointsShowWhatLiesOnTheCanvasInTheirOwnDirection) {
    // Red, 3 pixels: from (1E+308, 1E+308) to (-1E+308, 1E+308), far below the canvas.
    // Green, 3 pixels: from the middle of the canvas towards (1E+17, 5E+16), half as steep as
    // the diagonal.
    write(QStringLiteral("far.txt"), "1E+308\t-1E+308\t255\t3\t1\r\n"
                                     "1E+308\t1E+308\t255\t3\t2\r\n"
                                     "500\t1E+17\t65280\t3\t3\r\n"
                                     "500\t5E+16\t65280\t3\t4\r\n");
    dialogs.expectMsgBox(kImportNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(path(QStringLiteral("far.txt")));
    f2().Command1_Click(17);
    ASSERT_EQ(board().strokeCount, 2);
    f2().Picture1.Scale(0, 0, 1000, 1000);
    const QImage before = f2().Picture1.screen().copy();
    f2().Command1_Click(15);
    advance(0.3);

    const QImage after = f2().Picture1.screen();
    int red = 0, changed = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            red += vbrt::fromRgb32(after.pixel(x, y)) == 255;
            changed += after.pixel(x, y) != before.pixel(x, y);
        }
    }
    EXPECT_EQ(red, 0);
    for (const double x : {600, 800, 990})
        EXPECT_EQ(at(x, 500 + (x - 500) / 2), 65280) << x;
    EXPECT_NE(at(800, 800), 65280) << "no stroke along the diagonal";
    // Nothing but the green line from the middle to the right edge.
    EXPECT_LT(changed, 4 * after.width());
}

TEST_F(StrokeFiles, AMalformedFileIsReportedAndAnExistingFileAnsweredNoIsKept) {
    write(QStringLiteral("bad.txt"), "1\t2\t3\t4\t1\r\nx\t2\t3\t4\t2\r\n");
    dialogs.expectMsgBox(kImportNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(path(QStringLiteral("bad.txt")))
        .expectMsgBox(QStringLiteral("不是Tessal画画的轨迹文件，没有导入：") +
                          path(QStringLiteral("bad.txt")),
                      kTitle, ui::vbOK);
    f2().Command1_Click(17);
    EXPECT_EQ(board().strokes.strokesPerPage[0], 0);

    dialogs.expectMsgBox(kExportNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectSaveFile(path(QStringLiteral("bad.txt")))
        .expectMsgBox(path(QStringLiteral("bad.txt")) +
                          QStringLiteral("已经存在。\r\n要替换她吗？"),
                      QStringLiteral("Tessal Arvendel  之 画画"), ui::vbNo, ui::vbYesNo);
    f2().Command1_Click(16);
    EXPECT_EQ(read(QStringLiteral("bad.txt")), QByteArray("1\t2\t3\t4\t1\r\nx\t2\t3\t4\t2\r\n"));
}

} // namespace
