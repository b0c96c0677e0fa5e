#include "alarm_point_fixture.h"
#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "app/program.h"
#include "forwarding_dialogs.h"
#include "platform/web_browser.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/form3.h"
#include "shell/forms.h"
#include "ui/twips.h"

#include <QTextBrowser>

using namespace testing_support;

namespace {

const QString kQuit = QStringLiteral("是否退出Tessal Arvendel？");
const QString kTitle = QStringLiteral("Tessal Arvendel");
const QString kPrompt = QStringLiteral("请输入网址：");

// Notes what the input boxes proposed.
class InputBoxWitness : public ForwardingDialogs {
public:
    using ForwardingDialogs::ForwardingDialogs;

    QStringList titles, proposals;

    std::optional<QString> inputBox(const QString& p, const QString& t, const QString& d) override {
        titles << t;
        proposals << d;
        return ForwardingDialogs::inputBox(p, t, d);
    }
};

class Form3Test : public AppTest {
protected:
    void startAll() {
        installAsset(QStringLiteral("22.bmp"));
        shell::form1().show();
        shell::form3().show();
    }
    shell::Form3& f3() { return shell::form3(); }
    QString shownText() const { return shell::form3().browser()->widget()->toPlainText(); }
};

} // namespace

TEST_F(Form3Test, TheAddressBoxProposesACaptionOfTenCharactersOrTheHomePage) {
    f3().show();
    InputBoxWitness witness(dialogs);
    struct Case {
        QString caption, proposal;
    };
    const Case cases[] = {
        {QStringLiteral("Form3"), shell::Form3::kHomePage},
        {QStringLiteral("123456789"), shell::Form3::kHomePage},
        {QStringLiteral("1234567890"), QStringLiteral("1234567890")},
        {QStringLiteral("/tmp/a.html"), QStringLiteral("/tmp/a.html")},
        {QStringLiteral("风雨同路一往无前九"), shell::Form3::kHomePage},
        {QStringLiteral("风雨同路，一往无前。"), QStringLiteral("风雨同路，一往无前。")},
    };
    EXPECT_EQ(f3().Caption(), QStringLiteral("Form3"));
    for (const Case& c : cases) {
        f3().setCaption(c.caption);
        dialogs.expectInputBox(kPrompt, std::nullopt);
        f3().Form_Click();
        EXPECT_EQ(witness.proposals.last(), c.proposal) << c.caption.toStdString();
        EXPECT_EQ(witness.titles.last(), kTitle);
    }
    EXPECT_TRUE(shell::Form3::kHomePage.startsWith(QStringLiteral("http")));
}

TEST_F(Form3Test, TheTypedAddressIsShownAndCancelKeepsThePage) {
    f3().show();
    write(QStringLiteral("page.html"), "<html><body><p>hello there</p></body></html>");
    dialogs.expectInputBox(kPrompt, path(QStringLiteral("page.html")));
    f3().Form_Click();
    EXPECT_TRUE(shownText().contains(QStringLiteral("hello there")));

    for (std::optional<QString> answer : {std::optional<QString>(), std::optional<QString>("")}) {
        dialogs.expectInputBox(kPrompt, answer);
        f3().Form_Click();
        EXPECT_TRUE(shownText().contains(QStringLiteral("hello there")));
    }

    // An address it cannot show is explained in the page, as typed.
    dialogs.expectInputBox(kPrompt, QStringLiteral("www.example.org"));
    f3().Form_Click();
    EXPECT_TRUE(shownText().contains(QStringLiteral("www.example.org")));
    EXPECT_EQ(f3().browser()->LocationURL(), QStringLiteral("www.example.org"));
}

TEST_F(Form3Test, TheBrowserKeepsNinetyPercentOfTheWindowFivePercentFromTheLeft) {
    f3().show();
    const int top = f3().WebBrowser1.Top();
    struct Case {
        int width, height;
        int bw, bh, left;
    };
    for (const Case& c : {Case{9600, 7200, 8640, 6480, 480}, Case{6000, 4000, 5400, 3600, 300},
                          Case{12000, 9000, 10800, 8100, 600}, Case{9999, 7777, 8999, 6999, 500}}) {
        f3().Move(f3().Left(), f3().Top(), c.width, c.height);
        EXPECT_EQ(f3().WebBrowser1.Width(), c.bw) << c.width;
        EXPECT_EQ(f3().WebBrowser1.Height(), c.bh) << c.height;
        EXPECT_EQ(f3().WebBrowser1.Left(), c.left) << c.width;
        EXPECT_EQ(f3().WebBrowser1.Top(), top);
        EXPECT_EQ(f3().browser()->widget()->width(), ui::twipsToPixels(c.bw));
    }
    // The browser stays inside the designed window.
    f3().Move(f3().Left(), f3().Top(), 9600, 7200);
    EXPECT_LE(top + f3().WebBrowser1.Height(), f3().ScaleHeight());
}

TEST_F(Form3Test, TheBackgroundPictureIsReadAgainAtEveryResize) {
    installAsset(QStringLiteral("123.jpg"));
    f3().show();
    EXPECT_FALSE(f3().Picture().isNull());

    // A missing or broken picture leaves the window without one; it never stops the window.
    QFile::remove(path(QStringLiteral("123.jpg")));
    f3().Move(f3().Left(), f3().Top(), 8000, 6000);
    EXPECT_TRUE(f3().Picture().isNull());
    write(QStringLiteral("123.jpg"), "\xff\xd8 broken");
    f3().Move(f3().Left(), f3().Top(), 8100, 6000);
    EXPECT_TRUE(f3().Picture().isNull());
    installAsset(QStringLiteral("123.jpg"));
    f3().Move(f3().Left(), f3().Top(), 8200, 6000);
    EXPECT_FALSE(f3().Picture().isNull());
    EXPECT_TRUE(f3().isLoaded());
}

TEST_F(Form3Test, YesAsksOnceAndTakesEveryWindowDown) {
    startAll();
    shell::form2().show();
    dialogs.expectInputBox(kServerPrompt, std::nullopt);
    shell::form4().show();
    dialogs.expectMsgBox(kQuit, kTitle, ui::vbYes, ui::vbYesNo);
    EXPECT_TRUE(f3().requestClose());
    EXPECT_FALSE(shell::form1().isLoaded());
    EXPECT_FALSE(shell::form2().isLoaded());
    EXPECT_FALSE(f3().isLoaded());
    EXPECT_FALSE(shell::form4().isLoaded());
    EXPECT_TRUE(app::module1().quitConfirmed);
    EXPECT_TRUE(app::programEnded());
}

TEST_F(Form3Test, NoKeepsEverythingOpenAndTheNextCloseOfEitherWindowAsksNothing) {
    for (bool closeMainWindowNext : {false, true}) {
        startAll();
        dialogs.expectMsgBox(kQuit, kTitle, ui::vbNo, ui::vbYesNo);
        EXPECT_FALSE(f3().requestClose());
        EXPECT_TRUE(f3().isLoaded());
        EXPECT_TRUE(shell::form1().isLoaded());
        EXPECT_TRUE(app::module1().quitConfirmed);
        EXPECT_FALSE(app::programEnded());

        if (closeMainWindowNext)
            EXPECT_TRUE(shell::form1().requestClose());
        else
            EXPECT_TRUE(f3().requestClose());
        EXPECT_FALSE(shell::form1().isLoaded());
        EXPECT_FALSE(f3().isLoaded());
        EXPECT_TRUE(app::programEnded());
        shell::resetAll();
    }
}

TEST_F(Form3Test, ClosingTheMainWindowFirstAsksOnceForBoth) {
    startAll();
    dialogs.expectMsgBox(kQuit, kTitle, ui::vbYes, ui::vbYesNo);
    EXPECT_TRUE(shell::form1().requestClose());
    EXPECT_FALSE(f3().isLoaded());
    EXPECT_TRUE(app::programEnded());
}

TEST_F(Form3Test, AfterTheAlarmPointClosedNothingIsAsked) {
    startAll();
    dialogs.expectInputBox(kServerPrompt, std::nullopt);
    shell::form4().show();
    shell::form4().requestClose();
    EXPECT_TRUE(f3().requestClose());
    EXPECT_FALSE(shell::form1().isLoaded());
    EXPECT_TRUE(app::programEnded());
}

TEST_F(Form3Test, ExitWithoutAskingEndsAtOnceWithoutAnyCloseHandling) {
    startAll();
    shell::form2().show();
    shell::form1().exitWithoutAsking = true;
    EXPECT_FALSE(f3().requestClose());
    EXPECT_TRUE(app::programEnded());
    EXPECT_TRUE(shell::form1().isLoaded());
    EXPECT_TRUE(shell::form2().isLoaded());
    EXPECT_FALSE(app::module1().quitConfirmed);
}
