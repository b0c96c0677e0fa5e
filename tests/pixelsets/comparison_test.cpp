#include "app/module1.h"
#include "app_fixture.h"
#include "canvas.h"
#include "pixelsets/comparison.h"

using namespace testing_support;
using namespace pixelsets;

namespace {

Channels rgb(int r, int g, int b) {
    return Channels{int16_t(r), int16_t(g), int16_t(b)};
}

bool same(const Channels& a, const Channels& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

TEST(CellChannels, ReadFromTheRightAfterPaddingToSix) {
    struct Case {
        const char* cell;
        Channels before, after;
    };
    const Case cases[] = {
        {"ff0000", rgb(1, 2, 3), rgb(0, 0, 255)},
        {"0000FF", rgb(1, 2, 3), rgb(255, 0, 0)},
        {"ff", rgb(1, 2, 3), rgb(255, 0, 0)},
        {"fff", rgb(1, 2, 3), rgb(255, 15, 0)},
        {"ffffffff", rgb(1, 2, 3), rgb(255, 255, 255)},
        {"12345678", rgb(1, 2, 3), rgb(0x78, 0x56, 0x34)},
        {"", rgb(1, 2, 3), rgb(1, 2, 3)},         // nothing to read: all three stay
        {"*", rgb(1, 2, 3), rgb(1, 0, 0)},        // "00000*": only red cannot be read
        {"zz00ff", rgb(1, 2, 3), rgb(255, 0, 3)}, // blue cannot be read
        {"600", rgb(1, 2, 3), rgb(0, 6, 0)},      // a running count reads as a colour too
    };
    for (const Case& c : cases) {
        Channels ch = c.before;
        decodeCell(QByteArrayView(c.cell), ch);
        EXPECT_TRUE(same(ch, c.after)) << c.cell << ": " << ch.r << "," << ch.g << "," << ch.b;
    }
}

TEST(CellChannels, SixCharactersReadAsTheRuleForAnyCellReadsThem) {
    // Every pair of bytes in each place of an otherwise valid cell: the lookup by pairs gives
    // what the digit-by-digit reading gives, a channel whose digits are no number kept included.
    for (int at = 0; at < 6; at += 2)
        for (int pair = 0; pair < 0x10000; ++pair) {
            char cell[] = "a1B2c3";
            cell[at] = char(pair & 0xFF);
            cell[at + 1] = char(pair >> 8);
            Channels fast = rgb(1, 2, 3), general = rgb(1, 2, 3);
            const bool read = decodeCell(QByteArrayView(cell, 6), fast);
            ASSERT_EQ(read, detail::decodeOddCell(QByteArrayView(cell, 6), general)) << pair;
            ASSERT_TRUE(same(fast, general)) << "pair " << pair << " at " << at;
        }
}

TEST(Threshold, AWholeNumberHalvesToEvenOrNone) {
    const std::pair<const char*, std::optional<int16_t>> cases[] = {
        {"100", 100},       {"100.5", 100},        {"101.5", 102},
        {"30.5", 30},       {"31.5", 32},          {"-1", -1},
        {"", std::nullopt}, {"abc", std::nullopt}, {"40000", std::nullopt},
    };
    for (const auto& [text, t] : cases)
        EXPECT_EQ(threshold(QString::fromLatin1(text)), t) << text;
}

TEST(DistanceTest, DiffersOnlyAboveTheThreshold) {
    struct Case {
        Channels a, b;
        std::optional<int16_t> t;
        bool differs;
    };
    const Case cases[] = {
        {rgb(0, 0, 0), rgb(100, 0, 0), 100, false},
        {rgb(0, 0, 0), rgb(101, 0, 0), 100, true},
        {rgb(0, 0, 0), rgb(58, 58, 58), 100, false},
        {rgb(0, 0, 0), rgb(58, 58, 59), 100, true},
        {rgb(5, 5, 5), rgb(5, 5, 5), -1, true},
        {rgb(5, 5, 5), rgb(5, 5, 5), std::nullopt, true},
        {rgb(255, 255, 255), rgb(0, 0, 0), 441, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(distanceDiffers(c.a, c.b, c.t), c.differs)
            << c.b.r << "," << c.b.g << "," << c.b.b << " T " << c.t.value_or(-9999);
}

TEST(TemplateTest, TheChannelTestTable) {
    struct Case {
        Channels live, templ;
        bool changed;
    };
    const Case cases[] = {
        {rgb(100, 100, 100), rgb(140, 130, 100), false}, // dS 70 <= 230, max2 30 not above
        {rgb(0, 0, 0), rgb(60, 0, 0), true},             // dS 60 > 0
        {rgb(100, 100, 100), rgb(150, 140, 110), true},  // 50 and 40 above 30
        {rgb(10, 10, 10), rgb(50, 50, 10), true},        // dS 80 > 60 although max2 is 0
        {rgb(100, 100, 100), rgb(140, 140, 100), false}, // dS 80 <= 240, max2 0
        {rgb(60, 0, 0), rgb(0, 0, 0), true},             // the brighter one may come first
        {rgb(120, 120, 120), rgb(120, 120, 120), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(templateDiffers(c.live, c.templ, 30), c.changed)
            << c.templ.r << "," << c.templ.g << "," << c.templ.b;
        // A threshold that is no 16-bit number leaves no result: changed.
        EXPECT_TRUE(templateDiffers(c.live, c.templ, std::nullopt));
    }
}

class DifferenceFileTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        canvas::size(area);
        steps = *stepsFromBoxes(QStringLiteral("4"), QStringLiteral("3"), canvas::kWidth,
                                canvas::kHeight);
    }
    void load(app::TextGrid& grid, const QByteArray& text) {
        ASSERT_EQ(lines().split(text + "\r\n").status, app::LineTable::SplitStatus::Done);
        lines().fillGrid(grid);
    }
    app::LineTable& lines() { return app::module1().lines; }
    ThresholdText fixed(const char* t) {
        return [t] { return QString::fromLatin1(t); };
    }

    ui::PictureBox area{nullptr, QStringLiteral("Picture1")};
    Steps steps;
};

TEST_F(DifferenceFileTest, LiveAgainstSetKeepsTheStoredCellWhereASampleDiffers) {
    canvas::paint(area, [](int, int) { return 0; });
    load(lines().pixelSetA, "000064\t000065\t3A3A3A\t3\r\n"
                            "3B3A3A\tff\t000000\t6\r\n"
                            "FFFFFFFF\tzz\t\t9\r\n");
    const Comparison result = writeLiveDifference(path("caculator.txt"), area, lines().pixelSetA,
                                                  steps, fixed("100"), Pacing::none());
    EXPECT_EQ(result.status, WriteStatus::Written);
    EXPECT_EQ(result.differing, 9);
    // "zz" cannot give its red and keeps that of the cell before; the empty cells of the row
    // and of the missing fourth line keep all three, so they differ and stay empty.
    EXPECT_EQ(read("caculator.txt"), "*\t000065\t*\t3\r\n"
                                     "3b3a3a\t0000ff\t*\t6\r\n"
                                     "ffffffff\t0000zz\t\t9\r\n"
                                     "\t\t\t12\r\n");
}

TEST_F(DifferenceFileTest, AThresholdThatIsNoNumberMakesEverySampleDiffer) {
    canvas::paint(area, [](int c, int r) { return vbrt::RGB(c, r, 0); });
    QByteArray set;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 3; ++r)
            set += QByteArray::number(vbrt::RGB(c, r, 0), 16).rightJustified(6, '0') + '\t';
        set += QByteArray::number(3 * c + 3) + "\r\n";
    }
    load(lines().pixelSetA, set);
    writeLiveDifference(path("same.txt"), area, lines().pixelSetA, steps, fixed("0"),
                        Pacing::none());
    EXPECT_EQ(read("same.txt"), "*\t*\t*\t3\r\n*\t*\t*\t6\r\n*\t*\t*\t9\r\n*\t*\t*\t12\r\n");
    for (const char* t : {"", "letters", "32768"}) {
        writeLiveDifference(path("all.txt"), area, lines().pixelSetA, steps, fixed(t),
                            Pacing::none());
        EXPECT_EQ(read("all.txt").left(24), "000000\t000100\t000200\t3\r\n") << t;
        EXPECT_EQ(read("all.txt").count('*'), 0) << t;
    }
}

TEST_F(DifferenceFileTest, SetAgainstSetWritesTheSecondSetsCell) {
    area.Move(0, 0, 600, 450);
    const auto twoByThree =
        *stepsFromBoxes(QStringLiteral("2"), QStringLiteral("3"), area.Width(), area.Height());
    load(lines().pixelSetA, "FFFFFF\tFFFFFF\tFFFFFF\t3\r\nFFFFFF\tFFFFFF\tFFFFFF\t6\r\n\r\n");
    load(lines().pixelSetB, "FFFFFF\tFF0000\tFFFFFF\t3\r\nFFFFFF\tFFFFFF\tFFFFFF\t6\r\n");
    const Comparison result =
        writeSetDifference(path("caculator.txt"), area, lines().pixelSetA, lines().pixelSetB,
                           twoByThree, fixed("100"), Pacing::none());
    EXPECT_EQ(result.status, WriteStatus::Written);
    EXPECT_EQ(read("caculator.txt"), "*\tff0000\t*\t3\r\n*\t*\t*\t6\r\n");
}

TEST_F(DifferenceFileTest, TemplateWritesTheLiveCellInUpperCase) {
    // Live colour first, template colour second, as in the channel-test table.
    const std::pair<vbrt::Colour, const char*> samples[4][3] = {
        {{vbrt::RGB(100, 100, 100), "64828C"},
         {vbrt::RGB(0, 0, 0), "00003C"},
         {vbrt::RGB(100, 100, 100), "6E8C96"}},
        {{vbrt::RGB(10, 10, 10), "0A3232"},
         {vbrt::RGB(100, 100, 100), "648C8C"},
         {vbrt::RGB(171, 205, 239), "efcdab"}},
        {{0, "000000"}, {0, "000000"}, {0, "000000"}},
        {{0, "000000"}, {0, "000000"}, {0, "000000"}},
    };
    canvas::paint(area, [&](int c, int r) { return samples[c][r].first; });
    QByteArray set;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 3; ++r)
            set += QByteArray(samples[c][r].second) + '\t';
        set += QByteArray::number(3 * c + 3) + "\r\n";
    }
    load(lines().pixelSetA, set);
    const Comparison result = writeTemplateDifference(
        path("caculator.txt"), area, lines().pixelSetA, steps, fixed("30"), Pacing::none());
    EXPECT_EQ(result.differing, 3);
    EXPECT_EQ(read("caculator.txt"), "*\t000000\t646464\t3\r\n"
                                     "0A0A0A\t*\t*\t6\r\n"
                                     "*\t*\t*\t9\r\n"
                                     "*\t*\t*\t12\r\n");
}

TEST_F(DifferenceFileTest, AWaitComesFirstAndAfterEveryColumnAndOnlyAFullFileReplaces) {
    canvas::paint(area, [](int, int) { return 0; });
    write("caculator.txt", "an older comparison");
    std::vector<QByteArray> seen;
    const Pacing watching{[&] {
        seen.push_back(read("caculator.txt"));
        return true;
    }};
    const Comparison done = writeLiveDifference(path("caculator.txt"), area, lines().pixelSetA,
                                                steps, fixed("100"), watching);
    EXPECT_EQ(done.status, WriteStatus::Written);
    EXPECT_EQ(seen, std::vector<QByteArray>(5, "an older comparison"));
    EXPECT_EQ(read("caculator.txt"), "*\t*\t*\t3\r\n*\t*\t*\t6\r\n*\t*\t*\t9\r\n*\t*\t*\t12\r\n");

    // Stopped before the first column or in the middle: the earlier comparison stays whole.
    for (const int stopAt : {1, 3}) {
        write("caculator.txt", "an older comparison");
        int waits = 0;
        const Pacing stopping{[&] { return ++waits < stopAt; }};
        const Comparison stopped = writeLiveDifference(
            path("caculator.txt"), area, lines().pixelSetA, steps, fixed("100"), stopping);
        EXPECT_EQ(stopped.status, WriteStatus::Stopped) << stopAt;
        EXPECT_EQ(read("caculator.txt"), "an older comparison") << stopAt;
    }

    QDir(dir.path()).mkdir("caculator");
    for (const char* target : {"missing/caculator.txt", "caculator"}) {
        const Comparison failed = writeLiveDifference(path(target), area, lines().pixelSetA, steps,
                                                      fixed("100"), Pacing::none());
        EXPECT_EQ(failed.status, WriteStatus::Failed) << target;
    }
    EXPECT_EQ(files(), QStringList{"caculator.txt"});
    EXPECT_TRUE(QDir(path("caculator")).isEmpty());
}

} // namespace
