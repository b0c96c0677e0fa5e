#include "board_fixture.h"
#include "text_printers.h"
#include "vbrt/file_writer.h"

#include <functional>
#include <map>

using namespace testing_support;

namespace {

const QString kNotice = QStringLiteral("将要保存的是Tessal画画的像素集合；\r\n是否继续？");
const QString kTitle = QStringLiteral("Tessal Arvendel 之画画");
constexpr vbrt::Colour kWhite = 0xFFFFFF, kGreen = 0x00FF00;

class PlainPixelSet : public BoardTest {
protected:
    // A borderless canvas of this many twips in the twips scale, white but for the pixels at
    // the given points; markers filled green.
    void canvas(int width, int height, const std::map<std::pair<int, int>, vbrt::Colour>& dots) {
        ui::PictureBox& area = f2().Picture1;
        area.setBorderStyle(0);
        area.Scale();
        area.Move(0, 0, width, height);
        QImage picture(area.innerWidthPx(), area.innerHeightPx(), QImage::Format_RGB32);
        picture.fill(vbrt::toRgb32(kWhite));
        for (const auto& [at, colour] : dots)
            picture.setPixel(at.first / 15, at.second / 15, vbrt::toRgb32(colour));
        area.setPicture(picture);
        area.setFillStyle(0);
        area.setFillColor(kGreen);
    }
    // Enter on "se" in the row count box, saving under `name`.
    void save(const QString& name) {
        dialogs.expectMsgBox(kNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectSaveFile(name);
        f2().Text1(3).setText(QStringLiteral("se"));
        f2().Text1(3).type(QStringLiteral("\r"));
    }
};

// Per column its cells, each followed by a TAB, then CR LF.
QByteArray lines(int columns, int rows, const std::function<QByteArray(int c, int r)>& cell) {
    QByteArray text;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r)
            text += cell(c, r) + '\t';
        text += "\r\n";
    }
    return text;
}

} // namespace

TEST_F(PlainPixelSet, AWhiteAreaGivesAWhiteCellForEveryThousandAcrossAndHundredDown) {
    canvas(2500, 250, {});
    save(path("white.txt"));
    EXPECT_EQ(read("white.txt"), lines(3, 3, [](int, int) { return QByteArray("FFFFFF"); }));
    EXPECT_EQ(dialogs.filters.last(), QStringLiteral("文本文件*.txt|*.txt"));
}

TEST_F(PlainPixelSet, TheFileHoldsThePicturesColoursAndTheMarkersAreDrawnAfterwards) {
    // 10005 twips wide: markers of radius 100, which cover the next row's sample.
    canvas(10005, 300, {{{0, 0}, 0x000000}, {{1000, 100}, 0x0000FF}, {{10000, 200}, 0x030201}});
    save(path("set.txt"));
    const std::map<std::pair<int, int>, QByteArray> coloured = {
        {{0, 0}, "000000"}, {{1, 1}, "0000FF"}, {{10, 2}, "030201"}};
    EXPECT_EQ(read("set.txt"), lines(11, 4, [&](int c, int r) {
                  const auto it = coloured.find({c, r});
                  // y = 300 lies below the drawable area.
                  return r == 3                 ? QByteArray("FFFFFFFF")
                         : it == coloured.end() ? QByteArray("FFFFFF")
                                                : it->second;
              }));
    // Columns count from 1 there, rows from 0.
    EXPECT_EQ(board().sampleColors(1, 0), QStringLiteral("0"));
    EXPECT_EQ(board().sampleColors(11, 2), QStringLiteral("197121"));
    EXPECT_EQ(board().sampleColors(1, 3), QStringLiteral("-1"));
    EXPECT_EQ(board().sampleColors(12, 0), QString());
    // A marker at every sample, none between them.
    EXPECT_EQ(at(2000, 45), kGreen);
    EXPECT_EQ(at(5000, 285), kGreen);
    EXPECT_EQ(at(2500, 45), kWhite);
}

TEST_F(PlainPixelSet, OnlyEnterOnTheWordInTheRowCountBoxAndAYesWriteAndAFailedWriteIsReported) {
    canvas(1500, 150, {});
    struct Key {
        int box;
        const char* text;
        const char* key;
    };
    const Key nothing[] = {{0, "se", "\r"}, {2, "se", "\r"},  {3, "se", "e"},
                           {3, "SE", "\r"}, {3, " se", "\r"}, {3, "se ", "\r"}};
    for (const Key& k : nothing) {
        f2().Text1(k.box).setText(k.text);
        f2().Text1(k.box).type(k.key);
    }
    EXPECT_EQ(at(0, 0), kWhite);

    struct Case {
        const char* why;
        int answer; // to the replace question; 0 for a file that cannot be written
        const char* file;
        bool marked;
    };
    const Case cases[] = {
        {"not replaced", ui::vbNo, "old", false},
        {"replaced", ui::vbYes, "FFFFFF\tFFFFFF\t\r\nFFFFFF\tFFFFFF\t\r\n", true},
        // Sampled and marked all the same.
        {"not writable", 0, "old", true},
    };
    const QString missing = path("gone/set.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        canvas(1500, 150, {});
        write("set.txt", "old");
        const QString name = c.answer ? path("set.txt") : missing;
        dialogs.expectMsgBox(kNotice, kTitle, ui::vbOK).expectSaveFile(name);
        if (c.answer)
            dialogs.expectMsgBox(name + QStringLiteral("已经存在。\r\n要替换她吗？"),
                                 QStringLiteral("Tessal Arvendel  之 画画"), c.answer, ui::vbYesNo);
        else
            dialogs.expectMsgBox(vbrt::writeFailedMessage(name, vbrt::replaceFile(name, "x")),
                                 kTitle, ui::vbOK, ui::vbOKOnly);
        f2().Text1(3).setText(QStringLiteral("se"));
        f2().Text1(3).type(QStringLiteral("\r"));
        EXPECT_EQ(read("set.txt"), QByteArray(c.file));
        EXPECT_EQ(at(0, 0), c.marked ? kGreen : kWhite);
    }
    EXPECT_FALSE(exists("gone"));
}
