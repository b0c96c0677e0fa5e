#include "ui/form.h"
#include "ui/picture_box.h"
#include "ui/picture_file.h"
#include "ui/waits.h"

#include "support/paint_counter.h"
#include "vbrt/errors.h"
#include <QCoreApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

using namespace ui;
using vbrt::RGB;

namespace {
class Canvas : public Form {
public:
    Canvas() : Form(QStringLiteral("Canvas")) {}
    PictureBox Pic{this, "Pic"};

protected:
    void design() override {
        // 104 x 84 pixels outside, a 2-pixel edge all round: 100 x 80 inside.
        Pic.Move(0, 0, 104 * 15, 84 * 15);
        Pic.setBackColor(0);
    }
};

class PictureBoxTest : public ::testing::Test {
protected:
    void SetUp() override { c.show(); }
    Canvas c;
    PictureBox& p = c.Pic;
};
} // namespace

TEST_F(PictureBoxTest, PointReadsColoursInsideAndMinusOneOutside) {
    EXPECT_EQ(p.innerWidthPx(), 100);
    EXPECT_EQ(p.ScaleWidth(), 1500);
    EXPECT_EQ(p.Point(0, 0), 0);
    EXPECT_EQ(p.Point(99 * 15, 79 * 15), 0);
    EXPECT_EQ(p.Point(100 * 15, 0), -1); // the border belongs to the outer size only
    EXPECT_EQ(p.Point(0, 80 * 15), -1);
    EXPECT_EQ(p.Point(-1, 0), -1);
    EXPECT_EQ(p.Point(1e300, -1e300), -1);
    p.PSet(30, 45, RGB(1, 2, 3));
    EXPECT_EQ(p.Point(30, 45), RGB(1, 2, 3));
    EXPECT_EQ(p.Point(44, 59), RGB(1, 2, 3)); // same pixel (2, 3)
    EXPECT_EQ(p.CurrentX(), 30);
}

TEST_F(PictureBoxTest, UserScaleMapsCornersAndDrawsLinesBoxesAndCircles) {
    p.Scale(-10, 10, 10, -10); // y up
    p.PSet(-10, 10, RGB(255, 0, 0));
    EXPECT_EQ(p.Point(-10, 10), RGB(255, 0, 0));
    EXPECT_EQ(p.Point(-9.9, 9.9), RGB(255, 0, 0));
    p.Line(-10, 0, 9.9, 0, RGB(0, 255, 0));
    EXPECT_EQ(p.Point(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(p.CurrentX(), 9.9);
    p.Box(2, 8, 6, 4, RGB(0, 0, 255), true);
    EXPECT_EQ(p.Point(4, 6), RGB(0, 0, 255));
    p.setFillStyle(0);
    p.setFillColor(RGB(9, 9, 9));
    p.Circle(-5, -5, 2, RGB(200, 200, 200));
    EXPECT_EQ(p.Point(-5, -5), RGB(9, 9, 9)); // filled inside
    EXPECT_EQ(p.Point(-5, -1), 0);            // untouched outside
    p.Scale();
    EXPECT_EQ(p.ScaleWidth(), 1500);
}

TEST_F(PictureBoxTest, HugeCoordinatesAreClippedNotUndefined) {
    p.setAutoRedraw(true);
    const QImage before = p.Image();
    p.Circle(1e18, 0, 10);   // far off the image: nothing to see
    p.PSet(std::nan(""), 3); // no point at all
    p.PSet(-1e300, 1e300, RGB(255, 255, 255));
    EXPECT_EQ(p.Image(), before);
    // A line from far outside to far outside still crosses the picture where it should.
    p.Line(-1e300, 600, 1e300, 600, RGB(255, 255, 255));
    EXPECT_EQ(p.Point(0, 600), RGB(255, 255, 255));
    EXPECT_EQ(p.Point(99 * 15, 600), RGB(255, 255, 255));
    EXPECT_EQ(p.Point(0, 300), 0);
}

TEST_F(PictureBoxTest, ShapesReachingFarOutShowWhatOfThemLiesOnThePicture) {
    // One unit a pixel; probes are pixels, each with the colour it shows.
    p.setAutoRedraw(true);
    p.Scale(0, 0, 100, 80);
    const vbrt::Colour white = RGB(255, 255, 255), green = RGB(0, 200, 0), black = 0;
    // Two red columns, then two blue ones.
    QImage stripes(4, 1, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        stripes.setPixel(x, 0, x < 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    struct Probe {
        int x, y;
        vbrt::Colour colour;
    };
    struct Case {
        const char* what;
        std::function<void()> draw;
        // None: the picture stays as it was.
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"a wide line to a point 1e12 away, half as steep as the diagonal",
         [&] {
             p.setDrawWidth(3);
             p.Line(10, 10, 10 + 1e12, 10 + 5e11, white);
         },
         {{50, 30, white}, {90, 50, white}, {50, 50, black}, {30, 60, black}}},
        {"a thick stroke far below, between ends whose difference overflows",
         [&] {
             p.setDrawWidth(3);
             p.Line(1e308, 1e308, -1e308, 1e308, white);
         },
         {}},
        {"a filled box to a corner 1e12 away",
         [&] { p.Box(20, 20, 1e12, 1e12, white, true); },
         {{25, 25, white}, {99, 79, white}, {15, 30, black}}},
        {"a wide box outline 1e12 round the picture",
         [&] {
             p.setDrawWidth(5);
             p.Box(-1e12, -1e12, 1e12, 1e12, white);
         },
         {}},
        {"a filled circle of radius 1e7 whose left side is at x = 50",
         [&] {
             p.setFillStyle(0);
             p.setFillColor(green);
             p.Circle(50.5 + 1e7, 40, 1e7, white);
         },
         {{50, 40, white}, {50, 2, white}, {40, 40, black}, {60, 40, green}, {99, 79, green}}},
        {"a filled circle of radius 1e9 round the picture",
         [&] {
             p.setFillStyle(0);
             p.setFillColor(green);
             p.Circle(50, 40, 1e9, white);
         },
         {{0, 0, green}, {99, 79, green}}},
        {"an empty circle of radius 1e9 round the picture",
         [&] { p.Circle(50, 40, 1e9, white); },
         {}},
        {"a tall ellipse whose top is at (50, 40): a narrow arch",
         [&] { p.Circle(50, 40 + 1e9, 1e9, white, NAN, NAN, 1e5); },
         {{50, 40, white}, {50, 60, black}, {30, 41, black}}},
        {"an arc of a circle of radius 1e7 from its top anticlockwise",
         [&] { p.Circle(50, 40.5 + 1e7, 1e7, white, M_PI / 2, M_PI); },
         {{20, 40, white}, {49, 40, white}, {80, 40, black}}},
        {"the second column of a picture 4e8 wide over the whole picture",
         [&] { p.PaintPicture(stripes, -1e8, 0, 4e8, 80); },
         {{0, 40, RGB(255, 0, 0)}, {99, 40, RGB(255, 0, 0)}}},
        {"the third column of a picture 4e8 wide over the whole picture",
         [&] { p.PaintPicture(stripes, -2.5e8, 0, 4e8, 80); },
         {{0, 40, RGB(0, 0, 255)}, {99, 40, RGB(0, 0, 255)}}},
        {"text 1e12 to the right",
         [&] {
             p.setForeColor(white);
             p.setCurrentX(1e12);
             p.setCurrentY(10);
             p.Print(QStringLiteral("测试"));
         },
         {}},
        {"a thick dot 1e12 to the right",
         [&] {
             p.setDrawWidth(5);
             p.PSet(1e12, 40, white);
         },
         {}},
    };
    for (const Case& c : cases) {
        p.Cls();
        p.setDrawWidth(1);
        p.setFillStyle(1);
        const QImage blank = p.Image();
        c.draw();
        if (c.probes.empty()) {
            EXPECT_EQ(p.Image(), blank) << c.what;
        }
        for (const Probe& probe : c.probes)
            EXPECT_EQ(p.Point(probe.x + 0.5, probe.y + 0.5), probe.colour)
                << c.what << " at " << probe.x << ", " << probe.y;
    }
}

TEST_F(PictureBoxTest, ClsGoesBackToThePersistentImage) {
    p.setAutoRedraw(true);
    p.PSet(15, 15, RGB(10, 20, 30)); // persistent
    p.setAutoRedraw(false);
    p.PSet(30, 30, RGB(40, 50, 60)); // screen only
    EXPECT_EQ(p.Point(30, 30), RGB(40, 50, 60));
    p.Cls();
    EXPECT_EQ(p.Point(30, 30), 0);
    EXPECT_EQ(p.Point(15, 15), RGB(10, 20, 30));
    EXPECT_EQ(p.Image().pixel(1, 1) & 0xFFFFFF, 0x0A141Eu); // the saved image has it
    p.setAutoRedraw(true);
    p.Cls();
    EXPECT_EQ(p.Point(15, 15), 0);
    EXPECT_EQ(p.CurrentX(), 0);
}

TEST_F(PictureBoxTest, ANewBackColourClearsTheDrawing) {
    p.setAutoRedraw(true);
    p.PSet(15, 15, RGB(10, 20, 30));
    p.setBackColor(RGB(192, 208, 192));
    EXPECT_EQ(p.Point(15, 15), RGB(192, 208, 192));
}

TEST_F(PictureBoxTest, PaintPictureScalesIntoTheRectangle) {
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    p.PaintPicture(red, 0, 0, p.ScaleWidth(), p.ScaleHeight());
    EXPECT_EQ(p.Point(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(p.Point(99 * 15, 79 * 15), RGB(255, 0, 0));
    EXPECT_THROW(p.PaintPicture(QImage(), 0, 0), vbrt::RuntimeError);
}

TEST_F(PictureBoxTest, SavedImageIsBitmapDataUnderAnyNameAndLoadsBack) {
    QTemporaryDir dir;
    p.setAutoRedraw(true);
    p.PSet(15, 15, RGB(10, 20, 30));
    const QString path = dir.filePath(QStringLiteral("11.jpg"));
    ASSERT_TRUE(p.saveImage(path).ok());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(2), QByteArray("BM"));
    const QImage back = LoadPicture(path);
    ASSERT_EQ(back.size(), QSize(100, 80));
    EXPECT_EQ(vbrt::fromRgb32(back.pixel(1, 1)), RGB(10, 20, 30));
    EXPECT_FALSE(p.saveImage(dir.filePath(QStringLiteral("no/such/folder/x.bmp"))).ok());
    EXPECT_TRUE(LoadPicture(dir.filePath(QStringLiteral("missing.bmp"))).isNull());
}

TEST_F(PictureBoxTest, PrintMovesTheCurrentPointToTheNextLine) {
    p.setForeColor(RGB(255, 255, 255));
    p.setCurrentX(150);
    p.setCurrentY(150);
    p.Print(QStringLiteral("测试"));
    EXPECT_EQ(p.CurrentX(), 0);
    EXPECT_GT(p.CurrentY(), 150);
    bool drawn = false;
    for (int x = 10; x < 40 && !drawn; ++x)
        for (int y = 10; y < 30 && !drawn; ++y)
            drawn = p.Point(x * 15, y * 15) != 0;
    EXPECT_TRUE(drawn);
}

TEST_F(PictureBoxTest, SmallCirclesMatchWhatThePainterDrawsPixelForPixel) {
    p.setAutoRedraw(true);
    p.Scale(0, 0, 100, 80); // one unit a pixel, centres at fractions of a pixel
    struct Case {
        double x, y, r;
        int width;
        bool filled;
    } cases[] = {{10, 10, 1, 1, true},
                 {30.5, 20.25, 3.3, 1, true},
                 {60.75, 40.5, 7, 2, false},
                 {85.1, 70.9, 12.6, 1, true},
                 {2, 78, 5, 3, true}};
    for (const Case& c : cases) {
        p.Cls();
        p.setDrawWidth(c.width);
        p.setFillStyle(c.filled ? 0 : 1);
        p.setFillColor(RGB(0, 200, 0));
        p.Circle(c.x, c.y, c.r, RGB(200, 0, 0));

        QImage expected(100, 80, QImage::Format_RGB32);
        expected.fill(Qt::black);
        QPainter painter(&expected);
        painter.setPen(
            QPen(QColor(200, 0, 0), c.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(c.filled ? QBrush(QColor(0, 200, 0)) : Qt::NoBrush);
        painter.drawEllipse(QPointF(c.x, c.y), c.r, c.r);
        painter.end();
        EXPECT_EQ(p.Image(), expected) << c.x << "," << c.y << " r " << c.r;
    }
}

TEST_F(PictureBoxTest, DotsOfOneShapeAtManyPlacesMatchThePainter) {
    // The monitoring's dots: centres at fifteenths of a pixel, each shape drawn many times,
    // across the edges of the image and across powers of two (where the painter's own
    // arithmetic changes).
    p.setAutoRedraw(true);
    p.setFillStyle(0);
    p.setFillColor(RGB(255, 128, 0));
    QImage expected(100, 80, QImage::Format_RGB32);
    expected.fill(Qt::black);
    for (int c = 0; c < 90; ++c)
        for (int r = 0; r < 100; r += 3) {
            const double x = 17.0 * c, y = 12.0 * r;
            p.Circle(x, y, 12, RGB(255, 128, 0));
            QPainter painter(&expected);
            painter.setPen(
                QPen(QColor(255, 128, 0), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(QColor(255, 128, 0));
            painter.drawEllipse(QPointF(x / 15, y / 15), 12.0 / 15, 12.0 / 15);
        }
    EXPECT_EQ(p.Image(), expected);
}

TEST_F(PictureBoxTest, DotsDrawWhatCircleDrawsDotByDot) {
    // A y-up user scale on a box with a border; dots cross the edges, and pens that cannot be
    // stamped or radii too large for a stamp go the painter's way.
    p.setAutoRedraw(true);
    p.Scale(-3.5, 30, 36.5, -2);
    struct Case {
        const char* name;
        double radius;
        int width, style;
    } cases[] = {{"small", 0.3, 1, 0},
                 {"wide pen", 1.1, 2, 6},
                 {"dotted pen", 1.1, 1, 2},
                 {"beyond a stamp", 13, 1, 0}};
    const vbrt::Colour colours[] = {RGB(255, 128, 0), RGB(0, 90, 200), -1};
    auto walk = [&](const std::function<void(double, double, vbrt::Colour)>& dot) {
        for (int c = 0; c < 45; ++c)
            for (int r = 0; r < 36; ++r)
                dot(-4 + 0.93 * c, 31 - 0.97 * r, colours[(c + r) % 3]);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        p.setDrawWidth(c.width);
        p.setDrawStyle(c.style);
        p.Cls();
        walk([&](double x, double y, vbrt::Colour colour) {
            p.setFillStyle(0);
            p.setFillColor(colour);
            p.Circle(x, y, c.radius, colour);
        });
        const QImage byCircle = p.Image();
        p.Cls();
        {
            PictureBox::Dots dots(p, c.radius);
            walk([&](double x, double y, vbrt::Colour colour) { dots.draw(x, y, colour); });
        }
        EXPECT_EQ(p.Image(), byCircle);
        EXPECT_EQ(p.CurrentX(), -4 + 0.93 * 44);
        EXPECT_EQ(p.FillColor(), colours[(44 + 35) % 3]);
    }
}

TEST_F(PictureBoxTest, APointReaderReadsWhatPointReads) {
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x)
            p.PSet(x * 15, y * 15, RGB(x, y, x ^ y));
    struct Scale {
        const char* name;
        std::function<void()> set;
    };
    const Scale scales[] = {
        {"twips", [&] { p.Scale(); }},
        {"user", [&] { p.Scale(-10, 5, 30, -7.5); }},
        {"pixels", [&] { p.setScaleMode(3); }},
    };
    for (const Scale& s : scales) {
        SCOPED_TRACE(s.name);
        s.set();
        const PictureBox::PointReader reader(p);
        const double xs[] = {-1e300, -11, -10, 0, 0.4, 7.9, 14.99, 15, 29.5, 99, 1499, 1500, 1e9};
        for (double x : xs)
            for (double y : xs)
                ASSERT_EQ(reader.point(x, y), p.Point(x, y)) << x << ", " << y;
    }
}

TEST_F(PictureBoxTest, ABusyWaitShowsWhatWasDrawnThoughItRunsNoEvent) {
    testing_support::PaintCounter counter;
    QCoreApplication::processEvents();
    p.widget()->installEventFilter(&counter);
    bool eventRan = false;
    QTimer::singleShot(0, [&] { eventRan = true; });

    p.PSet(30, 45, RGB(1, 2, 3));
    // The screen is painted at most once per frame: let a frame's time pass first.
    QThread::msleep(20);
    busyWait(0.01f);
    EXPECT_GE(counter.paints, 1);
    EXPECT_FALSE(eventRan);

    // Nothing drawn since: nothing to paint.
    counter.paints = 0;
    QThread::msleep(20);
    busyWait(0.01f);
    EXPECT_EQ(counter.paints, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(eventRan);
}
