#include "app/module1.h"
#include "app_fixture.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "text_printers.h"
#include "trajectories/command_words.h"

#include <QImage>

using namespace testing_support;

namespace {

// The mode timers the words switch, and the replay flag.
const int kTimers[] = {1, 2, 8, 9, 10, 11, 12};

class CommandWords : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        installAsset(QStringLiteral("picture1.jpg"));
        shell::form1().show();
        shell::form1().Command8_Click();
        ASSERT_TRUE(f().isLoaded());
    }
    shell::Form2& f() { return shell::form2(); }
    void allOn() {
        for (int t : kTimers)
            f().Timer(t).setEnabled(true);
        app::module1().fastPlot = true;
    }
    // "1 2 8 ..." of the timers that are on, and "fast" when the replay flag is set.
    QString state() {
        QStringList on;
        for (int t : kTimers) {
            if (f().Timer(t).Enabled())
                on << QString::number(t);
        }
        if (app::module1().fastPlot)
            on << QStringLiteral("fast");
        return on.join(' ');
    }
};

} // namespace

TEST_F(CommandWords, AClickStartsTheWordsModeStopsTheOthersAndEmptiesTheBox) {
    struct Case {
        const char* text;
        const char* after; // from every mode timer on and the replay flag set
    };
    const Case table[] = {
        {"auto", "8 9"},   {"autolook", "1 12"}, {"autoplay", "10 11 fast"},
        {"Auto", ""},      {" auto", ""},        {"", ""},
        {"autolook ", ""},
    };
    for (const Case& c : table) {
        allOn();
        f().Text2.setText(QString::fromUtf8(c.text));
        f().commandWords.Text2_Click();
        EXPECT_EQ(state(), QString::fromUtf8(c.after)) << "'" << c.text << "'";
        EXPECT_EQ(f().Text2.Text(), QString());
    }
}

TEST_F(CommandWords, AKeyPressChecksTheTextBeforeTheKeyAndLeavesIt) {
    struct Case {
        const char* text;
        int key;
        const char* after; // from every mode timer on and the replay flag set
    };
    const Case table[] = {
        {"auto", 13, "1 2 8 9 10 11 fast"},         {"autolook", 13, "1 2 9 10 11 12 fast"},
        {"autolook", 'x', "1 2 8 9 10 11 12 fast"}, {"auto", 'x', "1 2 8 9 10 11 fast"},
        {"autoplay", 13, "1 2 9 10 11 fast"},       {"", 13, "1 2 9 10 11 fast"},
    };
    for (const Case& c : table) {
        allOn();
        f().Text2.setText(QString::fromUtf8(c.text));
        int key = c.key;
        f().commandWords.Text2_KeyPress(key);
        EXPECT_EQ(state(), QString::fromUtf8(c.after)) << c.text << " " << c.key;
        EXPECT_EQ(key, c.key);
        EXPECT_EQ(f().Text2.Text(), QString::fromUtf8(c.text));
    }

    // Typed key by key, the word is complete only for the key after its last letter.
    for (int t : kTimers)
        f().Timer(t).setEnabled(false);
    f().Text2.setText(QString());
    f().Text2.type(QStringLiteral("autolook"));
    EXPECT_FALSE(f().Timer(12).Enabled());
    f().Text2.type(QStringLiteral("\r"));
    EXPECT_TRUE(f().Timer(12).Enabled());
    EXPECT_FALSE(f().Timer(8).Enabled());
}

TEST_F(CommandWords, TheSlideshowShowsEachListedPictureInItsProportionsAndPassesOverTheRest) {
    trajectories::Slideshow& show = f().slideshow;
    QImage wide(400, 200, QImage::Format_RGB32);
    wide.fill(Qt::red);
    ASSERT_TRUE(wide.save(path(QStringLiteral("a.bmp"))));
    write(QStringLiteral("b.txt"), "no picture");
    QImage square(100, 100, QImage::Format_RGB32);
    square.fill(Qt::blue);
    ASSERT_TRUE(square.save(path(QStringLiteral("c.bmp"))));
    const QString folder = dir.path() + "/";
    show.pictureList[0] = folder + "a.bmp";
    show.pictureList[1] = folder + "b.txt";
    show.pictureList[2] = folder + "c.bmp";
    show.pictureList[3] = folder + "a.bmp"; // left by an earlier, longer listing
    show.pictureCount = 3;
    show.pictureIndex = -2; // a start typed below the first shows from the first
    f().Image1.setStretch(false);
    f().Timer(1).setEnabled(true);

    const QString caption = QStringLiteral("Dorvel 画画         ");
    f().slideshow.Timer1_Timer();
    EXPECT_EQ(f().Caption(), caption + folder + "a.bmp");
    ui::PictureBox& canvas = f().Picture1;
    EXPECT_NEAR(double(canvas.Width()) / canvas.Height(), 2, 0.01);
    EXPECT_EQ(canvas.Point(canvas.ScaleWidth() / 2, canvas.ScaleHeight() / 2), 0x0000FF);
    EXPECT_EQ(f().Text1(2).Text(), QStringLiteral("1"));

    f().slideshow.Timer1_Timer();
    EXPECT_EQ(f().Caption(), caption + folder + "c.bmp");
    EXPECT_NEAR(double(canvas.Width()) / canvas.Height(), 1, 0.01);
    EXPECT_EQ(f().Text1(2).Text(), QStringLiteral("3"));

    f().slideshow.Timer1_Timer();
    EXPECT_FALSE(f().Timer(1).Enabled());
    EXPECT_EQ(f().Caption(), caption + folder + "c.bmp");

    // Halves go to the even neighbour: 0.5 shows the first entry, 1.5 the third.
    show.pictureIndex = 1.5;
    f().Timer(1).setEnabled(true);
    f().slideshow.Timer1_Timer();
    EXPECT_EQ(f().Caption(), caption + folder + "c.bmp");
    EXPECT_EQ(show.pictureIndex, 2.5);
}
