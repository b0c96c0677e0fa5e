#include "app_fixture.h"
#include "canvas.h"
#include "pixelsets/pixel_set.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

using namespace testing_support;
using pixelsets::Pacing;
using pixelsets::Steps;
using pixelsets::WriteStatus;

namespace {

class PixelSetTest : public AppTest {
protected:
    ui::PictureBox area{nullptr, QStringLiteral("Picture1")};
};

TEST_F(PixelSetTest, StepsComeFromTheBoxesOrNotAtAll) {
    struct Case {
        const char* columns;
        const char* rows;
        double width, height;
        std::optional<std::pair<double, int>> steps;
    };
    const Case cases[] = {
        {"800", "600", 12000, 9000, {{15, 15}}},
        {"800", "600", 10000, 9000, {{12, 15}}},
        {" 800", "600.7", 12000, 9000, {{15, 15}}},
        {"30", "7", 100, 100, {{3, 14}}},
        {"0.9", "600", 12000, 9000, std::nullopt},
        {"800", "0", 12000, 9000, std::nullopt},
        {"-800", "600", 12000, 9000, std::nullopt},
        {"abc", "600", 12000, 9000, std::nullopt},
        {"", "600", 12000, 9000, std::nullopt},
        {"800", "x", 12000, 9000, std::nullopt},
        {"20000", "600", 12000, 9000, std::nullopt}, // a step of 0
        {"800", "1e300", 12000, 9000, std::nullopt},
        {"1", "1", 12000, 40000, {{12000, 40000}}}, // no 16-bit step
    };
    for (const Case& c : cases) {
        const auto steps = pixelsets::stepsFromBoxes(QString::fromUtf8(c.columns),
                                                     QString::fromUtf8(c.rows), c.width, c.height);
        ASSERT_EQ(steps.has_value(), c.steps.has_value()) << c.columns << " " << c.rows;
        if (steps) {
            EXPECT_EQ(steps->column, c.steps->first) << c.columns;
            EXPECT_EQ(steps->row, c.steps->second) << c.rows;
        }
    }
}

TEST_F(PixelSetTest, TheWalkCoversTheOuterSizeByWholeSteps) {
    struct Case {
        int width, height;
        int columns, rows;
        double lastX;
    };
    const Case cases[] = {
        {12000, 9000, 800, 600, 11985}, {10000, 9000, 833, 600, 9984}, {100, 100, 33, 7, 96}};
    for (const Case& c : cases) {
        area.Move(0, 0, c.width, c.height);
        const auto steps =
            pixelsets::stepsFromBoxes(QString::number(c.width == 100 ? 30 : 800),
                                      QString::number(c.width == 100 ? 7 : 600), c.width, c.height);
        ASSERT_TRUE(steps);
        int columns = 0, rowsInLast = 0;
        double lastX = -1;
        pixelsets::walkGrid(
            area, *steps,
            [&](int col, int r, double x, float) {
                columns = col + 1;
                rowsInLast = r + 1;
                lastX = x;
            },
            [](int) { return true; });
        EXPECT_EQ(columns, c.columns) << c.width;
        EXPECT_EQ(rowsInLast, c.rows) << c.width;
        EXPECT_EQ(lastX, c.lastX) << c.width;
    }
}

TEST_F(PixelSetTest, CellTextsAreSixUpperCaseDigitsOrEightOutsideTheArea) {
    const std::pair<vbrt::Colour, const char*> cases[] = {
        {0, "000000"},        {255, "0000FF"},  {0x00FF00, "00FF00"}, {0xFF0000, "FF0000"},
        {0xFFFFFF, "FFFFFF"}, {4095, "000FFF"}, {-1, "FFFFFFFF"},     {0x1234567, "1234567"},
    };
    for (const auto& [colour, text] : cases)
        EXPECT_EQ(pixelsets::cellText(colour), QString::fromLatin1(text)) << colour;
}

TEST_F(PixelSetTest, AWhiteCanvasOfTwoColumnsOfThreeRows) {
    area.Move(0, 0, 600, 450);
    area.setBackColor(vbrt::RGB(255, 255, 255));
    const auto steps =
        pixelsets::stepsFromBoxes(QStringLiteral("2"), QStringLiteral("3"), 600, 450);
    ASSERT_TRUE(steps);
    ASSERT_EQ(pixelsets::writePixelSet(path("new.txt"), area, *steps, pixelsets::SetTail::None,
                                       Pacing::none())
                  .status,
              WriteStatus::Written);
    EXPECT_EQ(read("new.txt"), "FFFFFF\tFFFFFF\tFFFFFF\t3\r\nFFFFFF\tFFFFFF\tFFFFFF\t6\r\n");

    // A replaced file ends with one more line whose text is CR LF, whatever it held before.
    write("old.txt", QByteArray(5000, 'x'));
    ASSERT_EQ(pixelsets::writePixelSet(path("old.txt"), area, *steps, pixelsets::SetTail::CrLfLine,
                                       Pacing::none())
                  .status,
              WriteStatus::Written);
    EXPECT_EQ(read("old.txt"),
              "FFFFFF\tFFFFFF\tFFFFFF\t3\r\nFFFFFF\tFFFFFF\tFFFFFF\t6\r\n\r\n\r\n");
}

TEST_F(PixelSetTest, ColoursRunningCountsAndTheBorderStrip) {
    canvas::size(area);
    canvas::paint(area, [](int c, int r) { return c == 1 && r == 2 ? 255 : vbrt::RGB(0, c, r); });
    // Five columns of 384 twips (25.6 pixels): the abscissas fall on pixels 0, 25, 51, 76 and
    // 102, so the first two read the same block.
    const auto steps = pixelsets::stepsFromBoxes(QStringLiteral("5"), QStringLiteral("3"),
                                                 canvas::kWidth, canvas::kHeight);
    ASSERT_TRUE(steps);
    ASSERT_EQ(pixelsets::writePixelSet(path("set.txt"), area, *steps, pixelsets::SetTail::None,
                                       Pacing::none())
                  .status,
              WriteStatus::Written);
    const QByteArray expected = "000000\t010000\t020000\t3\r\n"
                                "000000\t010000\t020000\t6\r\n"
                                "000100\t010100\t0000FF\t9\r\n"
                                "000200\t010200\t020200\t12\r\n"
                                "000300\t010300\t020300\t15\r\n";
    EXPECT_EQ(read("set.txt"), expected);

    // Inner 36 x 26 pixels and steps of 4 pixels: the last abscissa is on the border strip.
    area.setPicture(QImage());
    area.setBackColor(0);
    area.Move(0, 0, 600, 450);
    const auto border =
        pixelsets::stepsFromBoxes(QStringLiteral("10"), QStringLiteral("1"), 600, 450);
    ASSERT_TRUE(border);
    pixelsets::writePixelSet(path("border.txt"), area, *border, pixelsets::SetTail::None,
                             Pacing::none());
    const QList<QByteArray> lines = read("border.txt").split('\n');
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[8], "000000\t9\r");
    EXPECT_EQ(lines[9], "FFFFFFFF\t10\r");
}

TEST_F(PixelSetTest, TheWriterWaitsAfterEveryColumnAndReplacesOnlyByACompleteFile) {
    canvas::size(area);
    const auto steps = pixelsets::stepsFromBoxes(QStringLiteral("4"), QStringLiteral("3"),
                                                 canvas::kWidth, canvas::kHeight);
    ASSERT_TRUE(steps);
    // While the walk waits, and after it was stopped, the file holds what it held before.
    for (const bool existed : {false, true}) {
        if (existed)
            write("set.txt", "the user's earlier set\r\n");
        const QByteArray before = existed ? read("set.txt") : QByteArray();
        int waits = 0;
        bool unchangedDuringWaits = true;
        const Pacing stopping{[&] {
            unchangedDuringWaits = unchangedDuringWaits && exists("set.txt") == existed &&
                                   (!existed || read("set.txt") == before);
            return ++waits < 2;
        }};
        EXPECT_EQ(pixelsets::writePixelSet(path("set.txt"), area, *steps,
                                           pixelsets::SetTail::CrLfLine, stopping)
                      .status,
                  WriteStatus::Stopped);
        EXPECT_EQ(waits, 2);
        EXPECT_TRUE(unchangedDuringWaits) << existed;
        EXPECT_EQ(exists("set.txt"), existed);
        EXPECT_EQ(existed ? read("set.txt") : QByteArray(), before);
    }
    EXPECT_EQ(files(), QStringList{"set.txt"});

    // A target that cannot be written fails and leaves nothing behind.
    QDir(dir.path()).mkdir("folder");
    for (const char* target : {"no/such/folder/set.txt", "folder"})
        EXPECT_EQ(pixelsets::writePixelSet(path(target), area, *steps, pixelsets::SetTail::None,
                                           Pacing::none())
                      .status,
                  WriteStatus::Failed)
            << target;
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());
    EXPECT_EQ(files(), QStringList{"set.txt"});
    EXPECT_TRUE(QDir(path("folder")).isEmpty());
}

TEST_F(PixelSetTest, AFileOfManyBatchesHoldsEveryColumnInOrderThenItsTail) {
    // 40,000 samples, several batches of lines: the file is what Point gives, sample by sample.
    area.Move(0, 0, 3000, 3000);
    QImage img(area.innerWidthPx(), area.innerHeightPx(), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x, y, (x * y) % 256));
    area.setPicture(img);
    const Steps steps{15, 15};
    QByteArray expected;
    int count = 0;
    pixelsets::walkGrid(
        area, steps,
        [&](int, int, double x, float y) {
            expected += pixelsets::cellText(area.Point(x, y)).toLatin1() + '\t';
            ++count;
        },
        [&](int) {
            expected += QByteArray::number(count) + "\r\n";
            return true;
        });
    ASSERT_GT(expected.size(), 200000);
    EXPECT_EQ(pixelsets::writePixelSet(path("set.txt"), area, steps, pixelsets::SetTail::CrLfLine,
                                       Pacing::none())
                  .status,
              WriteStatus::Written);
    EXPECT_EQ(read("set.txt"), expected + "\r\n\r\n");
}

} // namespace

TEST_F(PixelSetTest, ColumnsReadAheadGiveWhatPointGivesAndSeeDrawingBetweenColumns) {
    // A user scale on a box with a border, columns at a step that is no whole pixel, and a
    // dot drawn between two columns, as an event may draw while a walk waits.
    area.setBorderStyle(1);
    area.Move(0, 0, 1500, 1200);
    area.Scale(-10, 10, 10, -10);
    QImage img(area.innerWidthPx(), area.innerHeightPx(), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x * 2, y * 3, (x + y) % 256));
    area.setPicture(img);
    // The dots below then go into the shown image in place.
    area.PSet(-9, -9, vbrt::RGB(9, 9, 9));

    struct Case {
        double step;
        int drawBefore; // the column before which a dot is drawn; -1 for none
    };
    for (const Case c : {Case{0.37, -1}, Case{0.37, 5}, Case{0.37, 17}, Case{2.5, 3}}) {
        pixelsets::LiveColumn live(area, c.step);
        int column = 0;
        for (double x = -10; x <= 10; x += c.step, ++column) {
            if (column == c.drawBefore)
                area.PSet(x, 2, vbrt::RGB(1, 2, 3));
            live.begin(x);
            int r = 0;
            for (float y = 10; y >= -10; y -= 0.5f, ++r)
                ASSERT_EQ(live.at(r, y), area.Point(x, y)) << c.step << " " << x << " " << y;
        }
    }
}
