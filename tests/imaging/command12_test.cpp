#include "flow_fixture.h"

#include <QDir>

using namespace flows;

namespace {

const QString kCapturedNamed =
    QStringLiteral("采集成功，在进行下一步图像处理之前，请记住该图像所对应的像素文件名称。");
const QString kFirstImported =
    QStringLiteral("已经成功导入第1幅图像的像素集合,接下来请导入第2幅图像的像素集合。");
const QString kSecondImported =
    QStringLiteral("已经成功导入第2幅图像的像素集合,开始比较2个的不同之处。");
const QString kOverlayAskTitle = QStringLiteral("Tessal Arvendel 之 图像叠加");
const QString kOverlayTitle = QStringLiteral("Tessal Arvendel 之图像叠加");
const QString kOverlayBackground = QStringLiteral("是否打开1幅图片，作为叠加图片的背景。");
const QString kOverlayColours =
    QStringLiteral("叠加图片,是：将采用与另一幅图画的相同位置de像素重画，否：保持原来的像素重画？");
const QString kOverlayDone = QStringLiteral("叠加图片,绘画完毕！");

class Command12 : public FlowTest {
protected:
    void click(int index) { f2().imaging.Command12_Click(index); }
    std::vector<ui::Control*> companions(int index) {
        return {&f2().Command1(9), &f2().Command12(index), &f2().Command1(7)};
    }
    bool companionsVisible(int index) {
        return allVisible({&f2().Command1(9), &f2().Command12(index), &f2().Command1(7)});
    }
    // The boxes of a comparison of two sets that ends by marking the differences in the pen.
    void expectSetComparison(const QString& first, const QString& second) {
        dialogs.expectMsgBox(kFirstSetNotice, kTitle, ui::vbOK, ui::vbOKOnly)
            .expectOpenFile(path(first))
            .expectMsgBox(kFirstImported, kTitle, ui::vbOK, ui::vbOKOnly)
            .expectOpenFile(path(second))
            .expectMsgBox(kSecondImported, kTitle, ui::vbOK, ui::vbOKOnly)
            .expectMsgBox(kCompared + calc(), kTitle, ui::vbOK, ui::vbOKOnly)
            .expectMsgBox(kMarkAsk, kTitle, ui::vbYes, ui::vbYesNo);
    }
    QString overlayHint() {
        return QStringLiteral("接下来，导入的是需要叠加的像素集合, 它可以是”图像比较“得出的结果,") +
               dir.path() + "/caculator.txt" +
               QStringLiteral("，也可以是其他图像的像素集合（如果不是”图像比较“ "
                              "产生的结果，那么将重画此像素集合。），");
    }
};

TEST_F(Command12, CaptureNamesTheWrittenFile) {
    VisibilityWatch watch(companions(0));
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectSaveFile(path("a.txt"))
        .expectMsgBox(kCapturedNamed + path("a.txt"), kTitle, ui::vbOK, ui::vbOKOnly);
    click(0);
    EXPECT_EQ(read("a.txt"), kLiveSet);
    EXPECT_TRUE(watch.allHiddenSeen());
    EXPECT_TRUE(companionsVisible(0));
    EXPECT_TRUE(f2().Picture1.AutoRedraw());
}

TEST_F(Command12, CaptureOntoAnExistingFileAsksFirst) {
    write("a.txt", "old");
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectSaveFile(path("a.txt"))
        .expectMsgBox(kReplace, kReplaceTitle, ui::vbNo, ui::vbYesNo);
    click(0);
    EXPECT_EQ(read("a.txt"), "old");
    EXPECT_TRUE(companionsVisible(0));

    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectSaveFile(path("a.txt"))
        .expectMsgBox(kReplace, kReplaceTitle, ui::vbYes, ui::vbYesNo)
        .expectMsgBox(kCapturedNamed + path("a.txt"), kTitle, ui::vbOK, ui::vbOKOnly);
    click(0);
    EXPECT_EQ(read("a.txt"), kLiveSet + "\r\n\r\n");

    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectSaveFile({});
    click(0);
    EXPECT_TRUE(companionsVisible(0));
}

TEST_F(Command12, AReplaceStoppedMidwayKeepsTheEarlierSetWhole) {
    f2().load();
    prepareWindow();
    write("a.txt", kStoredSet);
    // Two one-second waits, then one short wait after each of the four columns.
    DuringWait close(2.015, [&] { f2().unload(); });
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectSaveFile(path("a.txt"))
        .expectMsgBox(kReplace, kReplaceTitle, ui::vbYes, ui::vbYesNo);
    click(0);
    EXPECT_FALSE(f2().isLoaded());
    EXPECT_EQ(read("a.txt"), kStoredSet);
    EXPECT_EQ(files(), QStringList{"a.txt"});
}

TEST_F(Command12, ACaptureOntoAFolderSaysItCannotWrite) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("sets"));
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectSaveFile(path("sets"))
        .expectMsgBox(kReplace, kReplaceTitle, ui::vbYes, ui::vbYesNo)
        .expectMsgBox(QStringLiteral("无法写入文件：") + path("sets") +
                          QStringLiteral("（同名的是一个文件夹）"),
                      kTitle, ui::vbOK, ui::vbOKOnly);
    click(0);
    EXPECT_TRUE(QDir(path("sets")).isEmpty());
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(companionsVisible(0));
}

TEST_F(Command12, CompareTwoSetsAndMarkTheirDifferences) {
    write("stored.txt", kStoredSet);
    write("live.txt", kLiveSet);
    expectSetComparison("stored.txt", "live.txt");
    click(1);
    EXPECT_EQ(read("caculator.txt"), "*\t*\t*\t3\r\n"
                                     "*\t1e4632\t*\t6\r\n"
                                     "*\t*\t*\t9\r\n"
                                     "*\t*\t1e7882\t12\r\n");
    EXPECT_EQ(probes(), liveWith({{at(1, 1), kPen}, {at(3, 2), kPen}}));
    EXPECT_TRUE(companionsVisible(1));
    EXPECT_EQ(lines().pixelSetB(1, 2), "1e4632");
}

TEST_F(Command12, CellsThatAreNoUtf8ComeBackByteForByte) {
    QByteArray second = kLiveSet;
    second.replace(0, 6,
                   "\xE9"
                   "0000FF");
    write("stored.txt", kStoredSet);
    write("odd.txt", second);
    expectSetComparison("stored.txt", "odd.txt");
    click(1);
    EXPECT_EQ(read("caculator.txt"), "\xE9"
                                     "0000ff\t*\t*\t3\r\n"
                                     "*\t1e4632\t*\t6\r\n"
                                     "*\t*\t*\t9\r\n"
                                     "*\t*\t1e7882\t12\r\n");
}

TEST_F(Command12, CompareEndsSilentlyAtACancelledDialog) {
    write("stored.txt", kStoredSet);
    write("caculator.txt", "earlier");
    lines().split("earlier\r\n");
    lines().fillGrid(lines().pixelSetB);

    dialogs.expectMsgBox(kFirstSetNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectOpenFile({});
    click(1);
    EXPECT_EQ(lines().pixelSetA(0, 1), "");

    dialogs.expectMsgBox(kFirstSetNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(path("stored.txt"))
        .expectMsgBox(kFirstImported, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile({});
    click(1);
    EXPECT_EQ(lines().pixelSetA(1, 2), "ffffff");
    EXPECT_EQ(lines().pixelSetB(0, 1), "earlier");
    EXPECT_EQ(read("caculator.txt"), "earlier");
    EXPECT_TRUE(companionsVisible(1));
}

TEST_F(Command12, ASecondSetThatCannotBeReadIsNoCopyOfTheFirst) {
    write("stored.txt", kStoredSet);
    dialogs.expectMsgBox(kFirstSetNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(path("stored.txt"))
        .expectMsgBox(kFirstImported, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(path("gone.txt"))
        .expectMsgBox(QStringLiteral("无法读取像素集合文件：") + path("gone.txt") +
                          QStringLiteral("（文件不存在）"),
                      kTitle, ui::vbOK, ui::vbOKOnly);
    click(1);
    EXPECT_FALSE(exists("caculator.txt"));
    EXPECT_EQ(lines().pixelSetB(1, 2), "");
}

TEST_F(Command12, OverlayAnsweredNoDoesNothingMore) {
    app::module1().imageSampled = false;
    dialogs.expectMsgBox(kOverlayBackground, kOverlayAskTitle, ui::vbNo, ui::vbYesNo);
    click(2);
    EXPECT_TRUE(app::module1().imageSampled);
    EXPECT_TRUE(f2().Picture1.AutoRedraw());
    EXPECT_EQ(probes(), liveWith({}));
}

TEST_F(Command12, OverlayInAnotherSetsColours) {
    write("caculator.txt", kLiveAgainstStored);
    QByteArray red;
    for (int c = 0; c < 4; ++c)
        red += "0000FF\t0000FF\t0000FF\t" + QByteArray::number(3 * c + 3) + "\r\n";
    write("red.txt", red);
    dialogs.expectMsgBox(kOverlayBackground, kOverlayAskTitle, ui::vbYes, ui::vbYesNo)
        .expectMsgBox(overlayHint(), kOverlayAskTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(calc())
        .expectMsgBox(kOverlayColours, kOverlayTitle, ui::vbYes, ui::vbYesNo)
        .expectOpenFile(path("red.txt"))
        .expectMsgBox(kOverlayDone, kOverlayTitle, ui::vbOK, ui::vbOKOnly);
    click(2);
    const vbrt::Colour r = vbrt::RGB(255, 0, 0);
    EXPECT_EQ(probes(), liveWith({{at(1, 1), r}, {at(3, 2), r}}));
}

TEST_F(Command12, OverlayInOwnColours) {
    write("caculator.txt", kLiveAgainstStored);
    dialogs.expectMsgBox(kOverlayBackground, kOverlayAskTitle, ui::vbYes, ui::vbYesNo)
        .expectMsgBox(overlayHint(), kOverlayAskTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(calc())
        .expectMsgBox(kOverlayColours, kOverlayTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kOverlayDone, kOverlayTitle, ui::vbOK, ui::vbOKOnly);
    click(2);
    EXPECT_EQ(probes(), liveWith({{at(1, 1), vbrt::RGB(255, 255, 255)}, {at(3, 2), 0}}));
}

TEST_F(Command12, OverlayEndsSilentlyAtACancelledDialog) {
    write("caculator.txt", kLiveAgainstStored);
    dialogs.expectMsgBox(kOverlayBackground, kOverlayAskTitle, ui::vbYes, ui::vbYesNo)
        .expectMsgBox(overlayHint(), kOverlayAskTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile({});
    click(2);
    dialogs.expectMsgBox(kOverlayBackground, kOverlayAskTitle, ui::vbYes, ui::vbYesNo)
        .expectMsgBox(overlayHint(), kOverlayAskTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(calc())
        .expectMsgBox(kOverlayColours, kOverlayTitle, ui::vbYes, ui::vbYesNo)
        .expectOpenFile({});
    click(2);
    EXPECT_EQ(probes(), liveWith({}));
}

TEST_F(Command12, AGridBoxAtZeroStopsEveryIndexBeforeItsFirstBox) {
    for (int index : {0, 1, 2}) {
        f2().Text1(3).setText(QStringLiteral("0"));
        dialogs.expectMsgBox(kHelp, kNoTitle, ui::vbOK, ui::vbOKOnly);
        click(index);
        EXPECT_EQ(f2().Text1(3).Text(), "600");
        EXPECT_TRUE(dialogs.allShown()) << index;
    }
}

TEST_F(Command12, ClicksDuringAnOverlayAreIgnored) {
    write("caculator.txt", kLiveAgainstStored);
    DuringWait clicks(0.5, [&] {
        click(2); // the same button
        click(1); // another comparison
    });
    dialogs.expectMsgBox(kOverlayBackground, kOverlayAskTitle, ui::vbYes, ui::vbYesNo)
        .expectMsgBox(overlayHint(), kOverlayAskTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(calc())
        .expectMsgBox(kOverlayColours, kOverlayTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kOverlayDone, kOverlayTitle, ui::vbOK, ui::vbOKOnly);
    click(2);
    EXPECT_EQ(probes(), liveWith({{at(1, 1), vbrt::RGB(255, 255, 255)}, {at(3, 2), 0}}));
}

} // namespace
