#include "board_fixture.h"
#include "text_printers.h"
#include "vbrt/file_writer.h"

#include <functional>
#include <map>

using namespace testing_support;

namespace {

const QString kNotice = QStringLiteral("将要保存的是Tessal画画的像素集合；\r\n是否继续？");
const QString kNoticeTitle = QStringLiteral("Tessal Arvendel 之画画");
const QString kReplace = QStringLiteral("已经存在。\r\n要替换她吗？");
const QString kReplaceTitle = QStringLiteral("Tessal Arvendel  之 画画");
constexpr vbrt::Colour kWhite = 0xFFFFFF, kGreen = 0x00FF00;

class PlainPixelSet : public BoardTest {
protected:
    // A borderless canvas of this many twips in the twips scale, white but for the given
    // pixels (by their twips).
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
    }
    // Enter on "se" in the row count box.
    void enterSe() {
        f2().Text1(3).setText(QStringLiteral("se"));
        f2().Text1(3).type(QStringLiteral("\r"));
    }
    void expectNoticeAndSave(const QString& name) {
        dialogs.expectMsgBox(kNotice, kNoticeTitle, ui::vbOK, ui::vbOKOnly).expectSaveFile(name);
    }
};

// Lines of the file: per column its cells, each followed by a TAB, then CR LF.
QByteArray lines(int columns, const std::function<QByteArray(int column, int row)>& cell,
                 int rows) {
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
    expectNoticeAndSave(path(QStringLiteral("white.txt")));
    enterSe();
    EXPECT_EQ(read(QStringLiteral("white.txt")),
              lines(
                  3, [](int, int) { return QByteArray("FFFFFF"); }, 3));
    EXPECT_EQ(f2().Text1(3).Text(), QStringLiteral("se"));
    EXPECT_EQ(dialogs.filters.last(), QStringLiteral("文本文件*.txt|*.txt"));
}

TEST_F(PlainPixelSet, TheFileHoldsThePicturesColoursAndTheMarkersAreDrawnAfterwards) {
    // 10005 twips wide: markers of radius 100 that reach the next row's sample.
    canvas(10005, 300, {{{0, 0}, 0x000000}, {{1000, 100}, 0x0000FF}, {{10000, 200}, 0x030201}});
    f2().Picture1.setFillStyle(0);
    f2().Picture1.setFillColor(kGreen);
    m().sampleColors.set(30, 0, 7);
    expectNoticeAndSave(path(QStringLiteral("set.txt")));
    enterSe();

    const std::map<std::pair<int, int>, QByteArray> coloured = {
        {{0, 0}, "000000"}, {{1, 1}, "0000FF"}, {{10, 2}, "030201"}};
    const auto cell = [&](int c, int r) {
        // y = 300 lies below the drawable area.
        if (r == 3)
            return QByteArray("FFFFFFFF");
        const auto it = coloured.find({c, r});
        return it == coloured.end() ? QByteArray("FFFFFF") : it->second;
    };
    EXPECT_EQ(read(QStringLiteral("set.txt")), lines(11, cell, 4));
    // Columns count from 1 there, rows from 0; other cells keep their text.
    EXPECT_EQ(m().sampleColors(1, 0), QStringLiteral("0"));
    EXPECT_EQ(m().sampleColors(2, 1), QStringLiteral("255"));
    EXPECT_EQ(m().sampleColors(11, 2), QStringLiteral("197121"));
    EXPECT_EQ(m().sampleColors(3, 0), QStringLiteral("16777215"));
    EXPECT_EQ(m().sampleColors(1, 3), QStringLiteral("-1"));
    EXPECT_EQ(m().sampleColors(30, 0), QStringLiteral("7"));
    EXPECT_EQ(m().sampleColors(12, 0), QString());
    // A marker at every sample: red rings filled in the fill colour.
    EXPECT_EQ(at(2000, 45), kGreen);
    EXPECT_EQ(at(5000, 300 - 15), kGreen);
    EXPECT_EQ(at(2500, 45), kWhite);
}

TEST_F(PlainPixelSet, OnlyEnterOnTheExactWordInTheRowCountBoxSaves) {
    struct Case {
        int box, key;
        const char* text;
    };
    const Case cases[] = {{0, 13, "se"}, {1, 13, "se"},  {2, 13, "se"}, {3, 'e', "se"},
                          {3, 13, "SE"}, {3, 13, " se"}, {3, 13, "se "}};
    canvas(2500, 250, {});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box << " " << c.key << " '" << c.text << "'");
        f2().Text1(c.box).setText(QString::fromUtf8(c.text));
        int key = c.key;
        f2().board.Text1_KeyPress(c.box, key);
        EXPECT_EQ(key, c.key);
        EXPECT_EQ(at(0, 0), kWhite) << "no marker";
    }
}

TEST_F(PlainPixelSet, CancelAndNoWriteNothingAndAFailedWriteIsReported) {
    struct Case {
        const char* why;
        std::function<void(const QString& name)> script;
        const char* file; // what the chosen file holds afterwards
        bool marked;
    };
    const QString missing = path(QStringLiteral("gone/set.txt"));
    const Case cases[] = {
        {"cancelled",
         [this](const QString&) {
             dialogs.expectMsgBox(kNotice, kNoticeTitle, ui::vbOK).expectSaveFile(std::nullopt);
         },
         "old", false},
        {"not replaced",
         [this](const QString& name) {
             expectNoticeAndSave(name);
             dialogs.expectMsgBox(name + kReplace, kReplaceTitle, ui::vbNo, ui::vbYesNo);
         },
         "old", false},
        {"replaced",
         [this](const QString& name) {
             expectNoticeAndSave(name);
             dialogs.expectMsgBox(name + kReplace, kReplaceTitle, ui::vbYes, ui::vbYesNo);
         },
         "FFFFFF\tFFFFFF\t\r\nFFFFFF\tFFFFFF\t\r\n", true},
        // The samples are taken and marked all the same.
        {"not writable",
         [&](const QString&) {
             expectNoticeAndSave(missing);
             dialogs.expectMsgBox(
                 vbrt::writeFailedMessage(missing, vbrt::replaceFile(missing, "x")), kNoticeTitle,
                 ui::vbOK, ui::vbOKOnly);
         },
         "old", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        canvas(1500, 150, {});
        f2().Picture1.setFillStyle(0);
        f2().Picture1.setFillColor(kGreen);
        write(QStringLiteral("set.txt"), "old");
        c.script(path(QStringLiteral("set.txt")));
        enterSe();
        EXPECT_EQ(read(QStringLiteral("set.txt")), QByteArray(c.file));
        EXPECT_EQ(at(0, 0), c.marked ? kGreen : kWhite);
        EXPECT_FALSE(exists(QStringLiteral("gone")));
    }
}
