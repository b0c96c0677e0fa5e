#include "app/module1.h"
#include "app_fixture.h"
#include "canvas.h"
#include "imaging/image_comparison.h"
#include "pixelsets/redraw.h"
#include "shell/form2.h"
#include "shell/forms.h"

using namespace testing_support;
using namespace pixelsets;

namespace {

constexpr vbrt::Colour kGrey = vbrt::RGB(1, 2, 3);
constexpr vbrt::Colour kPen = 33000;

class RedrawTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        prepare(area);
    }
    static void prepare(ui::PictureBox& p) {
        canvas::size(p);
        canvas::paint(p, [](int, int) { return kGrey; });
        p.setAutoRedraw(true);
    }
    void load(app::TextGrid& grid, const QByteArray& text) {
        ASSERT_EQ(lines().split(text + "\r\n").status, app::LineTable::SplitStatus::Done);
        lines().fillGrid(grid);
    }
    app::LineTable& lines() { return app::module1().lines; }
    // The colour at every grid point, column by column.
    static std::vector<vbrt::Colour> probes(const ui::PictureBox& p) {
        std::vector<vbrt::Colour> out;
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 3; ++r)
                out.push_back(canvas::probe(p, c, r));
        return out;
    }
    Steps steps() const {
        return *stepsFromBoxes(QStringLiteral("4"), QStringLiteral("3"), canvas::kWidth,
                               canvas::kHeight);
    }

    ui::PictureBox area{nullptr, QStringLiteral("Picture1")};
};

const QByteArray kDifferences = "*\t0000ff\t*\t3\r\n"
                                "fff\t*\tffffffff\t6\r\n"
                                "zz\t*\t*\t9\r\n"
                                "*\t*\t*\t12\r\n";

TEST_F(RedrawTest, ChangedPointsInTheirOwnColoursOrInThePenColour) {
    load(lines().pixelSetA, kDifferences);
    int waits = 0;
    EXPECT_TRUE(redrawChanged(area, lines().pixelSetA, steps(), false, kPen,
                              Pacing{[&] { return ++waits > 0; }}));
    EXPECT_EQ(waits, 4);
    const vbrt::Colour red = vbrt::RGB(255, 0, 0), white = vbrt::RGB(255, 255, 255);
    const std::vector<vbrt::Colour> own{kGrey, red,   kGrey, vbrt::RGB(255, 15, 0),
                                        kGrey, white, 0,     kGrey,
                                        kGrey, kGrey, kGrey, kGrey};
    EXPECT_EQ(probes(area), own);
    EXPECT_EQ(area.FillStyle(), 0);
    EXPECT_EQ(area.FillColor(), 0);

    prepare(area);
    redrawChanged(area, lines().pixelSetA, steps(), true, kPen, Pacing::none());
    const std::vector<vbrt::Colour> pen{kGrey, kPen,  kGrey, kPen,  kGrey, kPen,
                                        kPen,  kGrey, kGrey, kGrey, kGrey, kGrey};
    EXPECT_EQ(probes(area), pen);
}

TEST_F(RedrawTest, TwoSetsInThePenColourWhereTheyDiffer) {
    load(lines().pixelSetA, "000000\t000000\t00ff00\t3\r\n"
                            "00ff00\t00ff00\t00ff00\t6\r\n"
                            "00ff00\t00ff00\t00ff00\t9\r\n"
                            "00ff00\t00ff00\t00ff00\t12\r\n");
    load(lines().pixelSetB, "000064\t000065\t00ff00\t3\r\n"
                            "00ff00\t00ff00\t00ff00\t6\r\n"
                            "00ff00\t00ff00\t00ff00\t9\r\n"
                            "00ff00\t00ff00\t00ff00\t12\r\n");
    const vbrt::Colour green = vbrt::RGB(0, 255, 0);
    std::vector<vbrt::Colour> expected(12, green);
    expected[0] = 0;
    expected[1] = kPen;
    compareRedraw(
        area, lines().pixelSetA, lines().pixelSetB, steps(), distanceDiffers,
        [] { return QStringLiteral("100"); }, kPen, Pacing::none());
    EXPECT_EQ(probes(area), expected);

    // The template's channel test: black against red 100 changes by brightness.
    prepare(area);
    expected[0] = kPen;
    compareRedraw(
        area, lines().pixelSetA, lines().pixelSetB, steps(), templateDiffers,
        [] { return QStringLiteral("30"); }, kPen, Pacing::none());
    EXPECT_EQ(probes(area), expected);

    prepare(area);
    compareRedraw(
        area, lines().pixelSetA, lines().pixelSetB, steps(), distanceDiffers,
        [] { return QStringLiteral("many"); }, kPen, Pacing::none());
    EXPECT_EQ(probes(area), std::vector<vbrt::Colour>(12, kPen));
}

TEST_F(RedrawTest, OverlayInAnotherSetsColoursOrInOwnColours) {
    load(lines().pixelSetA, kDifferences);
    load(lines().pixelSetC, "0000ff\t00ff00\tff0000\t3\r\n"
                            "000001\t000002\t000003\t6\r\n"
                            "zz0004\t000005\t000006\t9\r\n");
    overlayRedraw(area, lines().pixelSetA, lines().pixelSetC, steps(), Pacing::none());
    // C's "zz0004" cannot give its blue: that of the cell before stays.
    const std::vector<vbrt::Colour> overlay{
        kGrey, vbrt::RGB(0, 255, 0), kGrey, 1, kGrey, 3, 4, kGrey, kGrey, kGrey, kGrey, kGrey};
    EXPECT_EQ(probes(area), overlay);

    prepare(area);
    ownColourRedraw(area, lines().pixelSetA, steps(), Pacing::none());
    // Own colours: "zz" keeps the red of "ffffffff" before it.
    const std::vector<vbrt::Colour> own{kGrey,
                                        vbrt::RGB(255, 0, 0),
                                        kGrey,
                                        vbrt::RGB(255, 15, 0),
                                        kGrey,
                                        vbrt::RGB(255, 255, 255),
                                        vbrt::RGB(255, 0, 0),
                                        kGrey,
                                        kGrey,
                                        kGrey,
                                        kGrey,
                                        kGrey};
    EXPECT_EQ(probes(area), own);
}

TEST_F(RedrawTest, AStoppedPassDrawsNoFurtherColumn) {
    load(lines().pixelSetA, "0000ff\t3\r\n0000ff\t6\r\n");
    EXPECT_FALSE(ownColourRedraw(area, lines().pixelSetA, steps(), Pacing{[] { return false; }}));
    EXPECT_EQ(canvas::probe(area, 0, 0), vbrt::RGB(255, 0, 0));
    EXPECT_EQ(canvas::probe(area, 1, 0), kGrey);
}

class ChonghuaTest : public RedrawTest {
protected:
    shell::Form2& f2() { return shell::form2(); }
    void SetUp() override {
        RedrawTest::SetUp();
        prepare(f2().Picture1);
        f2().Text1(2).setText(QStringLiteral("4"));
        f2().Text1(3).setText(QStringLiteral("3"));
    }
};

TEST_F(ChonghuaTest, ReadsTheFileIntoSetAAndMarksItsChanges) {
    write("caculator.txt", kDifferences);
    f2().penColor = vbrt::RGB(9, 8, 7);
    EXPECT_EQ(f2().imaging.chonghua(path("caculator.txt"), true), 0);
    EXPECT_EQ(canvas::probe(f2().Picture1, 0, 1), vbrt::RGB(9, 8, 7));
    EXPECT_EQ(canvas::probe(f2().Picture1, 2, 0), vbrt::RGB(9, 8, 7));
    EXPECT_EQ(canvas::probe(f2().Picture1, 0, 0), kGrey);
    EXPECT_EQ(lines().pixelSetA(1, 1), "fff");
}

TEST_F(ChonghuaTest, NoStepsOrNoFileDrawNothing) {
    write("caculator.txt", kDifferences);
    f2().Text1(2).setText(QStringLiteral("0"));
    f2().imaging.chonghua(path("caculator.txt"), false);
    f2().Text1(2).setText(QStringLiteral("4"));
    dialogs.expectMsgBox(QStringLiteral("无法读取像素集合文件：") + path("absent.txt") +
                             QStringLiteral("（文件不存在）"),
                         QStringLiteral("Tessal Arvendel 之图像识别"), ui::vbOK, ui::vbOKOnly);
    f2().imaging.chonghua(path("absent.txt"), false);
    EXPECT_EQ(probes(f2().Picture1), std::vector<vbrt::Colour>(12, kGrey));
    // The file was read all the same: the load comes before the steps.
    EXPECT_EQ(lines().pixelSetA(0, 2), "0000ff");
}

} // namespace
