#include "flow_fixture.h"
#include "pixelsets/set_file.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

using namespace flows;

namespace {

const QString kCaptured =
    QStringLiteral("采集成功，在进行下一步之前，请打开参与比较的第2幅图像，准备比较。或者 "
                   "采集好2张图片的像素文件。");
const QString kImportedAsk =
    QStringLiteral("已经成功导入像素集合,是否继续,是：表示对比图片,"
                   "并保存不同点（注意：需要预先导入参与比较的第2个图像），"
                   "否：表示对比并重画图片？（注意：需要预先采集参与比较的第2个图像的像素集合）");
const QString kRedrawNotice =
    QStringLiteral("重画图片,是：将打开其他图片的像素集合与第1次打开的像素集合进行对比重画？");

class Command11 : public FlowTest {
protected:
    void click() { f2().imaging.Command11_Click(); }
    std::vector<ui::Control*> hiddenSet() {
        return {&f2().Command1(9), &f2().Command11, &f2().Command1(7)};
    }
    void expectCompareStart(const QString& file) {
        dialogs.expectMsgBox(kFirstSetNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectOpenFile(file);
    }
    void expectClosing(int mark) {
        dialogs.expectMsgBox(kCompared + calc(), kTitle, ui::vbOK, ui::vbOKOnly)
            .expectMsgBox(kMarkAsk, kTitle, mark, ui::vbYesNo);
    }
};

TEST_F(Command11, CaptureIntoANewFile) {
    VisibilityWatch watch(hiddenSet());
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectSaveFile(path("a.txt"))
        .expectMsgBox(kCaptured, kTitle, ui::vbOK, ui::vbOKOnly);
    click();
    EXPECT_EQ(read("a.txt"), kLiveSet);
    EXPECT_EQ(dialogs.filters, QStringList{QStringLiteral("文本文件*.txt|*.txt")});
    EXPECT_EQ(f2().Command11.Caption(), "图像对比");
    EXPECT_EQ(f2().Command11.BackColor(), 39321);
    EXPECT_TRUE(watch.allHiddenSeen());
    EXPECT_TRUE(allVisible({&f2().Command1(9), &f2().Command11, &f2().Command1(7)}));
    EXPECT_TRUE(app::module1().imageSampled);
    EXPECT_TRUE(f2().CommonDialog1.CancelError);
}

TEST_F(Command11, CaptureOntoAnExistingFile) {
    for (int answer : {ui::vbYes, ui::vbNo}) {
        prepareWindow();
        write("a.txt", "old");
        dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
            .expectSaveFile(path("a.txt"))
            .expectMsgBox(kReplace, kReplaceTitle, answer, ui::vbYesNo);
        // Success only after a complete write: not after No.
        if (answer == ui::vbYes)
            dialogs.expectMsgBox(kCaptured, kTitle, ui::vbOK, ui::vbOKOnly);
        click();
        EXPECT_EQ(read("a.txt"), answer == ui::vbYes ? kLiveSet + "\r\n\r\n" : QByteArray("old"));
        EXPECT_EQ(f2().Command11.Caption(), "图像对比");
        EXPECT_TRUE(allVisible({&f2().Command1(9), &f2().Command11, &f2().Command1(7)}));
    }
}

TEST_F(Command11, ACancelledDialogStillFlipsTheSwitchAndWritesNothing) {
    // Capture (save dialog cancelled), then compare (open dialog cancelled): the switch
    // flips at every click that passes the grid check, whatever the dialog gives.
    write("caculator.txt", "earlier");
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectSaveFile({});
    click();
    EXPECT_EQ(f2().Command11.Caption(), "图像对比");
    EXPECT_EQ(f2().Command11.BackColor(), vbrt::Colour(39321));
    EXPECT_TRUE(allVisible({&f2().Command1(9), &f2().Command11, &f2().Command1(7)}));

    dialogs.expectMsgBox(kFirstSetNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectOpenFile({});
    click();
    EXPECT_EQ(f2().Command11.Caption(), "图像采集");
    EXPECT_EQ(f2().Command11.BackColor(), vbrt::Colour(39168));
    EXPECT_EQ(read("caculator.txt"), "earlier");
}

TEST_F(Command11, AFailedWriteSaysSoAndClaimsNoSuccess) {
    const QString target = path("no/folder/a.txt");
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectSaveFile(target)
        .expectMsgBox(QStringLiteral("无法写入文件：") + target +
                          QStringLiteral("（文件夹不存在）"),
                      kTitle, ui::vbOK, ui::vbOKOnly);
    click();
    EXPECT_TRUE(allVisible({&f2().Command1(9), &f2().Command11, &f2().Command1(7)}));
}

TEST_F(Command11, GridBoxesThatGiveNoGridPutTheDefaultsBack) {
    for (const char* columns : {"0.9", "", "abc", "-4", "100000"}) {
        f2().Text1(2).setText(QString::fromLatin1(columns));
        f2().Text2.setText(QStringLiteral("7"));
        app::module1().imageSampled = false;
        dialogs.expectMsgBox(kHelp, kNoTitle, ui::vbOK, ui::vbOKOnly);
        click();
        EXPECT_EQ(f2().Text1(2).Text(), "800") << columns;
        EXPECT_EQ(f2().Text1(3).Text(), "600") << columns;
        EXPECT_EQ(f2().Text2.Text(), "100") << columns;
        EXPECT_EQ(f2().Command11.Caption(), "图像采集") << columns;
        EXPECT_TRUE(app::module1().imageSampled) << columns;
        EXPECT_TRUE(dialogs.allShown()) << columns;
    }
}

class Command11Compare : public Command11 {
protected:
    void SetUp() override {
        Command11::SetUp();
        write("stored.txt", kStoredSet);
        f2().Command11.setCaption(QStringLiteral("图像对比"));
        f2().Command1(3).setVisible(false);
    }
};

TEST_F(Command11Compare, YesComparesAndMarksTheChangesInThePenColour) {
    VisibilityWatch watch(hiddenSet());
    expectCompareStart(path("stored.txt"));
    dialogs.expectMsgBox(kImportedAsk, kTitle, ui::vbYes, ui::vbYesNo);
    expectClosing(ui::vbYes);
    click();
    EXPECT_EQ(read("caculator.txt"), kLiveAgainstStored);
    EXPECT_EQ(probes(), liveWith({{at(1, 1), kPen}, {at(3, 2), kPen}}));
    EXPECT_EQ(f2().Command11.Caption(), "图像采集");
    EXPECT_EQ(f2().Command11.BackColor(), 39168);
    EXPECT_TRUE(f2().Picture1.AutoRedraw());
    EXPECT_TRUE(watch.allHiddenSeen());
    EXPECT_TRUE(
        allVisible({&f2().Command1(9), &f2().Command11, &f2().Command1(7), &f2().Command1(3)}));
    EXPECT_EQ(lines().pixelSetA(1, 1), "*") << "the marking reads the difference set";
}

TEST_F(Command11Compare, NoMarksTheChangesInTheirStoredColours) {
    expectCompareStart(path("stored.txt"));
    dialogs.expectMsgBox(kImportedAsk, kTitle, ui::vbYes, ui::vbYesNo);
    expectClosing(ui::vbNo);
    click();
    EXPECT_EQ(probes(), liveWith({{at(1, 1), vbrt::RGB(255, 255, 255)}, {at(3, 2), 0}}));
}

TEST_F(Command11Compare, NoToTheImportQuestionRedrawsFromTwoSetsFirst) {
    // Pictures of one colour per column, so that touching dots of a column agree; set B
    // differs from the stored set at the last row of the first column only.
    const auto column = [](int c, int) { return live(c, 0); };
    canvas::paint(f2().Picture1, column);
    QByteArray stored, second;
    for (int c = 0; c < 4; ++c) {
        const QByteArray cell = QByteArray::number(live(c, 0), 16).rightJustified(6, '0');
        stored += cell + '\t' + cell + '\t' + cell + '\t' + QByteArray::number(3 * c + 3) + "\r\n";
        second += cell + '\t' + cell + '\t' + (c == 0 ? "ffffff" : cell) + '\t' +
                  QByteArray::number(3 * c + 3) + "\r\n";
    }
    write("stored.txt", stored);
    write("second.txt", second);

    expectCompareStart(path("stored.txt"));
    dialogs.expectMsgBox(kImportedAsk, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kRedrawNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile(path("second.txt"));
    expectClosing(ui::vbNo);
    click();

    // The redraw put the pen colour where the sets differ, the stored colour elsewhere; the
    // comparison then found the pen dot changed, and the marking drew the stored colour over it.
    std::vector<vbrt::Colour> expected;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 3; ++r)
            expected.push_back(live(c, 0));
    EXPECT_EQ(probes(), expected);
    const QList<QByteArray> written = read("caculator.txt").split('\n');
    ASSERT_EQ(written.size(), 5);
    // The dot below a grid point touches it, so the sample above the pen dot may read either.
    EXPECT_TRUE(written[0] == "*\t*\t1e140a\t3\r" || written[0] == "*\t1e140a\t1e140a\t3\r")
        << written[0].toStdString();
    EXPECT_EQ(written[1], "*\t*\t*\t6\r");
    EXPECT_EQ(written[2], "*\t*\t*\t9\r");
    EXPECT_EQ(written[3], "*\t*\t*\t12\r");
    EXPECT_EQ(lines().pixelSetB(0, 3), "ffffff");
}

TEST_F(Command11Compare, ACancelledSecondDialogStillCompares) {
    expectCompareStart(path("stored.txt"));
    dialogs.expectMsgBox(kImportedAsk, kTitle, ui::vbNo, ui::vbYesNo)
        .expectMsgBox(kRedrawNotice, kTitle, ui::vbOK, ui::vbOKOnly)
        .expectOpenFile({});
    expectClosing(ui::vbYes);
    click();
    EXPECT_EQ(read("caculator.txt"), kLiveAgainstStored);
}

TEST_F(Command11Compare, ASetThatCannotBeReadEndsTheClickWithAMessage) {
    write("caculator.txt", "earlier");
    QString tooLong;
    for (int i = 0; i < 3001; ++i)
        tooLong += QString::number(i) + QStringLiteral("\r\n");
    write("huge.txt", tooLong.toUtf8());
    write("empty.txt", {});
    write("blank.txt", "\r\n\r\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.txt")).constData(), 0666), 0);
    write("big.txt", {});
    ASSERT_TRUE(QFile::resize(path("big.txt"), pixelsets::kMaxSetFileBytes + 1)); // sparse
    write("half.txt", kLiveSet.left(kLiveSet.indexOf("\r\n1E145A")));
    const QString unreadable = QStringLiteral("无法读取像素集合文件：%1（%2）");
    const QString noSamples = QStringLiteral("像素集合文件中没有任何数据：%1");
    struct Row {
        const char* file;
        QString message, title = kTitle;
        // Refused before the line table took it: the grid keeps what it held.
        bool gridKept = true;
    };
    const Row rows[] = {
        {"missing.txt", unreadable.arg(path("missing.txt"), QStringLiteral("文件不存在"))},
        {"fifo.txt", unreadable.arg(path("fifo.txt"), QStringLiteral("不是普通文件"))},
        {"big.txt", unreadable.arg(path("big.txt"), QStringLiteral("文件太大"))},
        {"huge.txt", QStringLiteral("目前，记录行已经超过软件所设定的阀值：3000条，请重试。"),
         kNoTitle},
        // Rather than compared against nothing.
        {"empty.txt", noSamples.arg(path("empty.txt"))},
        {"blank.txt", noSamples.arg(path("blank.txt"))},
        // Two of the four columns: walked on this grid, it would be compared where it holds
        // no samples.
        {"half.txt",
         QStringLiteral("像素集合文件不是按当前采集分辨率采集的完整像素集合：") + path("half.txt"),
         kTitle, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        lines().split("stale\tcells\r\n");
        lines().fillGrid(lines().pixelSetA);
        f2().Command11.setCaption(QStringLiteral("图像对比"));
        expectCompareStart(path(row.file));
        dialogs.expectMsgBox(row.message, row.title, ui::vbOK, ui::vbOKOnly);
        click();
        EXPECT_EQ(lines().pixelSetA(0, 1) == "stale", row.gridKept);
    }
    EXPECT_EQ(read("caculator.txt"), "earlier");
    EXPECT_TRUE(allVisible({&f2().Command1(9), &f2().Command11, &f2().Command1(7)}));
}

TEST_F(Command11Compare, AnotherComparisonHoldingTheWriterIsNotInterrupted) {
    app::LineTable::WriterHold monitoring(lines());
    dialogs.expectMsgBox(kBusy, kTitle, ui::vbOK, ui::vbOKOnly);
    click();
    EXPECT_EQ(f2().Command11.Caption(), "图像对比");
    EXPECT_FALSE(exists("caculator.txt"));
}

TEST_F(Command11Compare, WhileItRunsTheWriterIsHeldAndASecondClickIsIgnored) {
    int refusedRounds = 0;
    DuringWait round(0.5, [&] {
        // A monitoring round or a further click in the middle of the flow.
        app::LineTable::WriterHold hold(lines());
        refusedRounds += hold.held() ? 0 : 1;
        f2().imaging.Command11_Click();
    });
    expectCompareStart(path("stored.txt"));
    dialogs.expectMsgBox(kImportedAsk, kTitle, ui::vbYes, ui::vbYesNo);
    expectClosing(ui::vbYes);
    click();
    EXPECT_EQ(refusedRounds, 1);
    EXPECT_EQ(read("caculator.txt"), kLiveAgainstStored);
    EXPECT_FALSE(lines().writerBusy());
}

TEST_F(Command11Compare, AComparisonStoppedMidwayKeepsTheEarlierDifferenceSet) {
    f2().load();
    prepareWindow();
    f2().Command11.setCaption(QStringLiteral("图像对比"));
    write("caculator.txt", kLiveAgainstStored);
    QByteArray black;
    for (int c = 0; c < 4; ++c)
        black += "000000\t000000\t000000\t" + QByteArray::number(3 * c + 3) + "\r\n";
    write("stored.txt", black);
    // One second after the question, then a short wait before and after every column.
    DuringWait close(1.025, [&] { f2().unload(); });
    expectCompareStart(path("stored.txt"));
    dialogs.expectMsgBox(kImportedAsk, kTitle, ui::vbYes, ui::vbYesNo);
    click();
    EXPECT_FALSE(f2().isLoaded());
    EXPECT_EQ(read("caculator.txt"), kLiveAgainstStored);
}

TEST_F(Command11Compare, ADifferenceSetThatCannotBeWrittenSaysSo) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("caculator.txt"));
    expectCompareStart(path("stored.txt"));
    dialogs.expectMsgBox(kImportedAsk, kTitle, ui::vbYes, ui::vbYesNo)
        .expectMsgBox(QStringLiteral("无法写入文件：") + calc() +
                          QStringLiteral("（同名的是一个文件夹）"),
                      kTitle, ui::vbOK, ui::vbOKOnly);
    click();
    EXPECT_TRUE(QDir(calc()).isEmpty());
    EXPECT_EQ(files(), QStringList{"stored.txt"});
    EXPECT_TRUE(
        allVisible({&f2().Command1(9), &f2().Command11, &f2().Command1(7), &f2().Command1(3)}));
    EXPECT_EQ(probes(), liveWith({}));
}

TEST_F(Command11, AWindowClosedDuringTheWaitEndsTheFlowQuietly) {
    f2().load();
    prepareWindow();
    DuringWait close(0.5, [&] { f2().unload(); });
    dialogs.expectMsgBox(kSaveNotice, kTitle, ui::vbOK, ui::vbOKOnly).expectSaveFile(path("a.txt"));
    click();
    EXPECT_FALSE(f2().isLoaded());
    EXPECT_FALSE(exists("a.txt"));
}

} // namespace
