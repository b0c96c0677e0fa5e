#include "flow_fixture.h"
#include "forwarding_dialogs.h"

using namespace flows;
using testing_support::ForwardingDialogs;

namespace {

const QString kTemplateHelp = QStringLiteral("按钮：“坐标变换”右边的2个文本框为图像采集的分辨率（X,"
                                             "Y），不能为“0”，左下角的文本框为“采集阀门限值”！");
const QString kTemplateNotice =
    QStringLiteral("将要导入的是图像对比所需要的模板像素集合；\r\n是否继续？");
const QString kAsk1 =
    QStringLiteral("已经成功导入像素集合,是否继续,是：表示对比图片，否：表示重画图片？");
const QString kAsk2 =
    QStringLiteral("重画图片,是：将打开其他图片的像素集合与第1次打开的像素集合进行对比重画，否："
                   "表示重画第1次打开的像素集合所示图片？");
const QString kAsk3 =
    QStringLiteral("重画图片,是：将采用与另一幅图画的相同位置像素重画，否：继续？");

// Notes what the grid box held when a message box came up.
class BoxAtMessage : public ForwardingDialogs {
public:
    BoxAtMessage(ui::Dialogs& script, const ui::TextBox& box)
        : ForwardingDialogs(script), box_(box) {}
    int msgBox(const QString& prompt, int style, const QString& title) override {
        seen = box_.Text();
        return ForwardingDialogs::msgBox(prompt, style, title);
    }
    QString seen;

private:
    const ui::TextBox& box_;
};

class Command9 : public FlowTest {
protected:
    void click() { f2().imaging.Command9_Click(); }
    bool companionsVisible() {
        return allVisible({&f2().Command1(9), &f2().Command9, &f2().Command1(7)});
    }
    void expectTemplate(const QString& file) {
        dialogs.expectMsgBox(kTemplateNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectOpenFile(file);
    }
};

TEST_F(Command9, TheGridCheckOfEachButtonWithItsDefaultsAndItsOrder) {
    struct Case {
        const char* name;
        std::function<void()> click;
        QString help, threshold;
        const char* boxWhileShown;
    };
    const Case cases[] = {
        {"template", [&] { f2().imaging.Command9_Click(); }, kTemplateHelp, "30", "0.5"},
        {"capture and compare", [&] { f2().imaging.Command11_Click(); }, kHelp, "100", "800"},
        {"overlay", [&] { f2().imaging.Command12_Click(2); }, kHelp, "100", "800"},
    };
    for (const Case& c : cases) {
        f2().Text1(2).setText(QStringLiteral("0.5"));
        f2().Text2.setText(QStringLiteral("55"));
        app::module1().imageSampled = false;
        dialogs.expectMsgBox(c.help, kNoTitle, ui::vbOK, ui::vbOKOnly);
        BoxAtMessage watch(dialogs, f2().Text1(2));
        c.click();
        EXPECT_EQ(watch.seen, QString::fromLatin1(c.boxWhileShown)) << c.name;
        EXPECT_EQ(f2().Text1(2).Text(), "800") << c.name;
        EXPECT_EQ(f2().Text1(3).Text(), "600") << c.name;
        EXPECT_EQ(f2().Text2.Text(), c.threshold) << c.name;
        EXPECT_TRUE(app::module1().imageSampled) << c.name;
        EXPECT_EQ(f2().Command9.Caption(), "图像采集") << c.name;
    }
}

TEST_F(Command9, CaptureWritesTheTemplateWithoutAMessage) {
    f2().Command1(7).setVisible(false);
    VisibilityWatch watch({&f2().Command1(9), &f2().Command9});
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectSaveFile(path("t.txt"));
    click();
    EXPECT_EQ(read("t.txt"), kLiveSet);
    EXPECT_EQ(f2().Command9.Caption(), "图像对比");
    EXPECT_EQ(f2().Command9.BackColor(), 39321);
    EXPECT_TRUE(watch.allHiddenSeen());
    EXPECT_TRUE(companionsVisible());
}

TEST_F(Command9, CaptureOntoAnExistingTemplate) {
    for (int answer : {ui::vbNo, ui::vbYes}) {
        prepareWindow();
        write("t.txt", "old");
        dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
            .expectSaveFile(path("t.txt"))
            .expectMsgBox(kReplace, kReplaceTitle, answer, ui::vbYesNo);
        click();
        EXPECT_EQ(read("t.txt"), answer == ui::vbYes ? kLiveSet + "\r\n\r\n" : QByteArray("old"));
        EXPECT_EQ(f2().Command9.Caption(), "图像对比");
        EXPECT_TRUE(companionsVisible());
    }
    // A cancelled dialog flips the switch all the same.
    prepareWindow();
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectSaveFile({});
    click();
    EXPECT_EQ(f2().Command9.Caption(), "图像对比");
    EXPECT_EQ(f2().Command9.BackColor(), vbrt::Colour(39321));
}

class Command9Compare : public Command9 {
protected:
    void SetUp() override {
        Command9::SetUp();
        f2().Command9.setCaption(QStringLiteral("图像对比"));
        f2().Text2.setText(QStringLiteral("30"));
        write("stored.txt", kStoredSet);
        write("live.txt", kLiveSet);
        write("diff.txt", kLiveAgainstStored);
        QByteArray red;
        for (int c = 0; c < 4; ++c)
            red += "0000FF\t0000FF\t0000FF\t" + QByteArray::number(3 * c + 3) + "\r\n";
        write("red.txt", red);
    }
};

TEST_F(Command9Compare, YesWritesTheLiveColoursOfTheChangedSamples) {
    VisibilityWatch watch({&f2().Command1(9), &f2().Command9, &f2().Command1(7)});
    expectTemplate(path("stored.txt"));
    dialogs.expectMsgBox(kAsk1, kTitle, ui::vbYes, ui::vbYesNo);
    click();
    // (2, 0) is within the colour distance the other buttons allow, but its brightness
    // difference 54 is above 50, the two smaller channels of the brighter colour.
    EXPECT_EQ(read("caculator.txt"), "*\t*\t*\t3\r\n"
                                     "*\t1E4632\t*\t6\r\n"
                                     "1E145A\t*\t*\t9\r\n"
                                     "*\t*\t1E7882\t12\r\n");
    EXPECT_EQ(probes(), liveWith({}));
    EXPECT_EQ(f2().Command9.Caption(), "图像采集");
    EXPECT_EQ(f2().Command9.BackColor(), 39168);
    EXPECT_TRUE(watch.allHiddenSeen());
    EXPECT_TRUE(companionsVisible());
}

TEST_F(Command9Compare, RedrawAgainstASecondSetWithTheChannelTest) {
    expectTemplate(path("stored.txt"));
    dialogs.expectMsgBox(kAsk1, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kAsk2, kTitle, ui::vbYes, ui::vbYesNo)
        .expectOpenFile(path("live.txt"));
    click();
    EXPECT_EQ(probes(), liveWith({{at(1, 1), kPen}, {at(2, 0), kPen}, {at(3, 2), kPen}}));
    EXPECT_TRUE(f2().Picture1.AutoRedraw());
    EXPECT_FALSE(exists("caculator.txt"));
    EXPECT_TRUE(companionsVisible());
}

TEST_F(Command9Compare, RedrawInAThirdSetsColoursOrInOwnColours) {
    expectTemplate(path("diff.txt"));
    dialogs.expectMsgBox(kAsk1, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kAsk2, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kAsk3, kTitle, ui::vbYes, ui::vbYesNo)
        .expectOpenFile(path("red.txt"));
    click();
    const vbrt::Colour red = vbrt::RGB(255, 0, 0);
    EXPECT_EQ(probes(), liveWith({{at(1, 1), red}, {at(3, 2), red}}));
    EXPECT_EQ(lines().pixelSetC(0, 1), "0000ff");

    prepareWindow();
    f2().Command9.setCaption(QStringLiteral("图像对比"));
    expectTemplate(path("diff.txt"));
    dialogs.expectMsgBox(kAsk1, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kAsk2, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kAsk3, kTitle, ui::vbNo, ui::vbYesNo);
    click();
    EXPECT_EQ(probes(), liveWith({{at(1, 1), vbrt::RGB(255, 255, 255)}, {at(3, 2), 0}}));
    EXPECT_TRUE(companionsVisible());
}

TEST_F(Command9Compare, CancelledDialogsDrawNothing) {
    expectTemplate(path("diff.txt"));
    dialogs.expectMsgBox(kAsk1, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kAsk2, kTitle, ui::vbYes, ui::vbYesNo)
        .expectOpenFile({});
    click();
    EXPECT_EQ(probes(), liveWith({}));
    EXPECT_TRUE(companionsVisible());

    f2().Command9.setCaption(QStringLiteral("图像对比"));
    expectTemplate(path("diff.txt"));
    dialogs.expectMsgBox(kAsk1, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kAsk2, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kAsk3, kTitle, ui::vbYes, ui::vbYesNo)
        .expectOpenFile({});
    click();
    EXPECT_EQ(probes(), liveWith({}));
    EXPECT_TRUE(companionsVisible());
}

TEST_F(Command9Compare, ACancelledTemplateDialogFlipsTheSwitchAndReadsNothing) {
    write("caculator.txt", "earlier");
    VisibilityWatch watch({&f2().Command1(9), &f2().Command9, &f2().Command1(7)});
    expectTemplate({});
    click();
    EXPECT_EQ(f2().Command9.Caption(), "图像采集");
    EXPECT_EQ(f2().Command9.BackColor(), vbrt::Colour(39168));
    EXPECT_FALSE(watch.allHiddenSeen());
    EXPECT_EQ(read("caculator.txt"), "earlier");
}

TEST_F(Command9Compare, AnUnreadableSecondSetEndsTheClickWithTheButtonsBack) {
    expectTemplate(path("stored.txt"));
    dialogs.expectMsgBox(kAsk1, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kAsk2, kTitle, ui::vbYes, ui::vbYesNo)
        .expectOpenFile(path("gone.txt"))
        .expectMsgBox(QStringLiteral("无法读取像素集合文件：") + path("gone.txt") +
                          QStringLiteral("（文件不存在）"),
                      kTitle, ui::vbOK, ui::vbOKOnly);
    click();
    EXPECT_EQ(probes(), liveWith({}));
    EXPECT_TRUE(companionsVisible());
}

} // namespace

namespace {

TEST_F(Command9, TheWindowsButtonsReachTheirHandlers) {
    f2().Text1(2).setText(QStringLiteral("0"));
    dialogs.expectMsgBox(kTemplateHelp, kNoTitle, ui::vbOK, ui::vbOKOnly);
    f2().Command9.press();
    for (ui::CommandButton* b : {&f2().Command11, &f2().Command12(0), &f2().Command12(2)}) {
        f2().Text1(2).setText(QStringLiteral("0"));
        dialogs.expectMsgBox(kHelp, kNoTitle, ui::vbOK, ui::vbOKOnly);
        b->press();
        EXPECT_TRUE(dialogs.allShown()) << b->name().toStdString() << b->Index();
    }
}

} // namespace
