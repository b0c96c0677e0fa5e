#include "support/chinese_font.h"
#include "support/pump_until.h"
#include "ui/controls.h"
#include "ui/event_loop.h"
#include "ui/form.h"
#include "ui/twips.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

using namespace ui;

namespace {
class Window : public Form {
public:
    Window() : Form(QStringLiteral("Window")) {}
    CommandButton Tall{this, "Tall"};
    Label Count{this, "Count"};

protected:
    void design() override {
        designWindow(QStringLiteral("窗口"), 0, 0, 6000, 4500, vbrt::RGB(192, 208, 192));
        Tall.setCaption(QStringLiteral("智能监控停止"));
        Tall.Move(120, 120, 372, 1932);
    }
};

class ButtonAndBorder : public ::testing::Test {
protected:
    void SetUp() override {
        EventLoop::instance().useVirtualTime(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    }
    void TearDown() override {
        w.unload();
        EventLoop::instance().useRealTime();
    }
    QString shownText() const { return qobject_cast<QPushButton*>(w.Tall.widget())->text(); }
    Window w;
};
} // namespace

// A byte count set thousands of times a second is shown once a frame: the first at once, the
// last one a frame later, while Caption() always holds the last.
TEST_F(ButtonAndBorder, ALabelShowsACaptionThatRacesOnceAFrameAndTheLastOneAlways) {
    w.show();
    auto* label = qobject_cast<QLabel*>(w.Count.widget());
    ASSERT_NE(label, nullptr);
    for (int bytes = 1; bytes <= 1000; ++bytes)
        w.Count.setCaption(QString::number(bytes));
    EXPECT_EQ(w.Count.Caption(), QStringLiteral("1000"));
    EXPECT_EQ(label->text(), QStringLiteral("1"));
    testing_support::pumpUntil([&] { return label->text() == QStringLiteral("1000"); }, 2);
    EXPECT_EQ(label->text(), QStringLiteral("1000"));

    // A caption still waiting when its window is unloaded and destroyed, as between tests:
    // the widget outlives the label until Qt deletes it later, and the wait touches neither.
    auto gone = std::make_unique<Window>();
    gone->show();
    gone->Count.setCaption(QStringLiteral("1"));
    gone->Count.setCaption(QStringLiteral("2"));
    gone->unload();
    gone.reset();
    testing_support::pumpUntil([] { return false; }, 0.1);
}

TEST_F(ButtonAndBorder, ANarrowButtonShowsItsCaptionOverSeveralLinesThatFit) {
    ASSERT_TRUE(testing_support::aChineseFontIsInstalled());
    w.load();
    const QString shown = shownText();
    const QStringList lines = shown.split(QLatin1Char('\n'));
    EXPECT_GE(lines.size(), 3) << shown.toStdString();
    EXPECT_EQ(lines.join(QString()), QStringLiteral("智能监控停止"));
    const QFontMetricsF metrics(w.Tall.widget()->font());
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), twipsToPixels(372)) << line.toStdString();
    EXPECT_EQ(w.Tall.Caption(), QStringLiteral("智能监控停止"));

    // Widened, the caption is one line again; a new caption wraps at once.
    w.Tall.setWidth(3000);
    EXPECT_EQ(shownText(), QStringLiteral("智能监控停止"));
    w.Tall.setWidth(372);
    w.Tall.setCaption(QStringLiteral("人工监控"));
    EXPECT_EQ(shownText(), QStringLiteral("人\n工\n监\n控"));
}

TEST(WrapCaption, BreaksBetweenWordsAndKeepsWhatFits) {
    const QFont font;
    const QFontMetricsF metrics(font);
    const int room = int(std::max(metrics.horizontalAdvance(QStringLiteral("Hello")),
                                  metrics.horizontalAdvance(QStringLiteral("world")))) +
                     2;
    EXPECT_EQ(wrapCaption(QStringLiteral("Hello world"), font, room),
              QStringLiteral("Hello\nworld"));
    EXPECT_EQ(wrapCaption(QStringLiteral("Hi"), font, room), QStringLiteral("Hi"));
    EXPECT_EQ(wrapCaption(QStringLiteral("a\nb"), font, room), QStringLiteral("a\nb"));
}

TEST_F(ButtonAndBorder, AFixedBorderKeepsTheWindowAtTheSizeTheProgramGivesIt) {
    w.load();
    QWidget* win = w.window();
    EXPECT_EQ(w.BorderStyle(), 2);
    EXPECT_EQ(win->minimumSize(), QSize(0, 0));

    w.setBorderStyle(1);
    const QSize inner(twipsToPixels(6000 - Form::kFrameWidth),
                      twipsToPixels(4500 - Form::kFrameHeight));
    EXPECT_EQ(win->minimumSize(), inner);
    EXPECT_EQ(win->maximumSize(), inner);
    w.Move(0, 0, 9000, 6000);
    const QSize moved(twipsToPixels(9000 - Form::kFrameWidth),
                      twipsToPixels(6000 - Form::kFrameHeight));
    EXPECT_EQ(win->minimumSize(), moved);
    EXPECT_EQ(win->maximumSize(), moved);

    // Sizable again; and the next load starts from the design's sizable border.
    w.setBorderStyle(2);
    EXPECT_EQ(win->minimumSize(), QSize(0, 0));
    w.setBorderStyle(1);
    w.unload();
    w.load();
    EXPECT_EQ(w.BorderStyle(), 2);
    EXPECT_EQ(w.window()->minimumSize(), QSize(0, 0));
}

TEST_F(ButtonAndBorder, AWindowWithoutABorderHasNoFrameAndStaysShown) {
    w.show();
    QWidget* win = w.window();
    w.Move(0, 0, 9000, 6000);
    w.setBorderStyle(0);
    EXPECT_TRUE(win->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(QSize(w.ScaleWidth(), w.ScaleHeight()), QSize(9000, 6000));
    EXPECT_EQ(win->size(), QSize(600, 400));

    // Framed again: the frame is taken from the inner area once more.
    w.setBorderStyle(1);
    EXPECT_FALSE(win->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(w.ScaleWidth(), 9000 - Form::kFrameWidth);
}
