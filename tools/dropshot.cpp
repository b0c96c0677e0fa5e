// Runs the drop calculator on the main window in real time under a virtual display and saves
// what the screen shows while the plot grows and after it is done, then a frame of the orbit
// animation; or the trajectory plot of a click on the drawing window's canvas, whose busy
// waits run no event, so the picture taken while it grows comes from another process.
//
//   dropshot main OUT_PREFIX      (writes OUT_PREFIX-plotting.png, -plotted.png, -orbit.png)
//   dropshot fall OUT_PREFIX      (writes OUT_PREFIX-fall-replot.png: a straight fall re-plotted
//                                  by a click on the main window's picture)
//   dropshot wide OUT_PREFIX      (writes OUT_PREFIX-wide-results.png: the calculator on the
//                                  inputs 反导模拟 fills in, results wider than their boxes)
//   dropshot drawing OUT_PREFIX   (writes OUT_PREFIX-drawing-growing.png, -drawing.png, and
//                                  -drawing-calc.png of the window's own calculator)
//   dropshot anti OUT_PREFIX      (writes OUT_PREFIX-anti-scene.png, -anti-search.png taken
//                                  during the search, and -anti-hit.png after the splash)
//   dropshot curves OUT_PREFIX    (writes OUT_PREFIX-curve-NAME.png of each curve animation
//                                  after its timer's first redraw, 塔 after its click, and
//                                  -curve-light-growing.png while 光 draws at its own pace)
//   dropshot replay OUT_PREFIX    (writes OUT_PREFIX-replay-auto-growing.png while "auto" draws
//                                  three saved records, -replay-auto.png after its pass,
//                                  -replay-autoplay.png after a pass of "autoplay", and
//                                  -rain-scene.png after one tick of the rain scene)
#include "app/module1.h"
#include "program_folder.h"
#include "screen_shot.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "trajectories/command_words.h"
#include "trajectories/drop_plots.h"
#include "trajectories/record_replay.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "vbrt/apppath.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace {

class AnswerOk : public ui::QtDialogs {
public:
    int msgBox(const QString& prompt, int, const QString&) override {
        std::fprintf(stderr, "dropshot: message box answered: %s\n", qPrintable(prompt));
        return ui::vbOK;
    }
};

using shots::finish;
using shots::shoot;

// Saves the screen from another process after `ms`, while this one is held by busy waits.
std::thread shootLater(const char* name, int ms) {
    const QString grab = QCoreApplication::applicationDirPath() + QStringLiteral("/screengrab");
    const std::string command = QStringLiteral("'%1' '%2-%3.png'")
                                    .arg(grab, shots::prefix, QString::fromLatin1(name))
                                    .toStdString();
    return std::thread([command, ms] {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        if (std::system(command.c_str()) != 0)
            ++shots::failures;
    });
}

// A drop as the panel's boxes 0, 1, 2, 3, 4, 10 and 13 take it: radius (mm), Vx0, VFx, VFy,
// Vy0, the time and the density.
void typePanel(shell::Form1& f, const std::array<const char*, 7>& values) {
    const int boxes[] = {0, 1, 2, 3, 4, 10, 13};
    for (size_t i = 0; i < values.size(); ++i)
        f.Text1(boxes[i]).setText(QString::fromLatin1(values[i]));
}

// A drop thrown up and forward against the wind; three seconds of flight.
void typeDrop(shell::Form1& f) {
    typePanel(f, {"1", "8", "-2", "1", "-12", "3", "1"});
}

// A drop let fall from rest in calm air, re-plotted by a click on the picture: with no
// horizontal motion its path lies along the vertical axis.
void straightFall(shell::Form1& f) {
    typePanel(f, {"1", "0", "0", "0", "0", "2", "1"});
    QTimer::singleShot(300, [&] {
        f.calculator.Picture1_Click();
        settle(300);
        shoot("fall-replot");
        finish();
    });
}

// The calculator on the inputs 反导模拟 fills in: results wider than their boxes, which show
// them from their start, signs first.
void wideResults(shell::Form1& f) {
    typePanel(f, {"50", "700", "1", "1", "-700", "10", "7"});
    QTimer::singleShot(300, [&] {
        f.calculator.Command1_Click();
        settle(300);
        shoot("wide-results");
        finish();
    });
}

void drawingWindow(shell::Form1& f) {
    QTimer::singleShot(300, [&] {
        f.Command8_Click();
        typeDrop(f);
        settle(500);
        std::thread shooter = shootLater("drawing-growing", 1800);
        shell::form2().dropPlots.Picture1_Click();
        shooter.join();
        settle(300);
        shoot("drawing");
        // The window's own calculator, in single colour, over a cleared canvas.
        shell::form2().Picture1.Cls();
        shell::form2().Command1_Click(4);
        shell::form2().Command1_Click(0);
        settle(300);
        shoot("drawing-calc");
        finish();
    });
}

// The anti-missile scene, then a click on the canvas at a point of the trial at 350 degrees
// (up and to the right), the search's trials, and the splash of the hit.
void antiMissile(shell::Form1& f) {
    QTimer::singleShot(300, [&] {
        f.Command9_Click();
        settle(500);
        shoot("anti-scene");
        shell::Form2& f2 = shell::form2();
        f.Text1(17).setText(QStringLiteral("1"));
        const double speed = std::hypot(700.0, 700.0), theta = 350.0 / 360 * 8 * std::atan(1.0);
        f2.trialVx = speed * std::cos(theta);
        f2.trialVy = speed * std::sin(theta);
        const double x = f2.dropPlots.f4(1.5), y = f2.dropPlots.f3(1.5);
        std::thread shooter = shootLater("anti-search", 600);
        f2.Picture1_MouseDown(ui::LeftButton, 0, x, y);
        shooter.join();
        settle(300);
        shoot("anti-hit");
        std::fprintf(stderr, "dropshot: angle %s, time %s\n", qPrintable(f.Text1(14).Text()),
                     qPrintable(f.Text1(10).Text()));
        finish();
    });
}

// The math drawing window with the panel its launcher fills in. Each animation is started and
// stopped at once, then its timer's step runs until the first redraw, on a cleared picture.
void curves(shell::Form1& f) {
    QTimer::singleShot(300, [&] {
        f.Command10_Click();
        settle(500);
        shell::Form2& f2 = shell::form2();

        // 光 at its own pace, photographed while it grows.
        std::thread shooter = shootLater("curve-light-growing", 3000);
        f2.Command7.press();
        shooter.join();
        f2.Command7.press();

        app::module1().fastPlot = true;
        struct Animation {
            const char* name;
            ui::CommandButton& button;
            int timer, ticksToRedraw;
        };
        const Animation animations[] = {
            {"egg", f2.Command2, 5, 4},      {"death", f2.Command3, 6, 7},
            {"nutshell", f2.Command4, 4, 7}, {"life", f2.Command5, 7, 7},
            {"light", f2.Command7, 16, 7},
        };
        for (const Animation& a : animations) {
            f2.Picture1.setPicture(QImage());
            a.button.press();
            a.button.press();
            for (int i = 0; i < a.ticksToRedraw; ++i)
                f2.Timer(a.timer).fire();
            settle(300);
            shoot((std::string("curve-") + a.name).c_str());
        }
        f2.Picture1.setPicture(QImage());
        f2.Command6.press();
        settle(300);
        shoot("curve-tower");
        finish();
    });
}

// Three throws from their own origins, as the picture save records them.
const char kRecords[] = "1,1,6,0,-3,-2,-1,0,\r\n1.5,1,-4,0,-6,2,-1,0,\r\n0.8,1,3,0,2,0,-2,0,\r\n";

// Types a command word into the drawing window's box and clicks it.
void word(const char* text) {
    shell::form2().Text2.setText(QString::fromLatin1(text));
    shell::form2().commandWords.Text2_Click();
}

// Once a replay pass has drawn its last record: stops the replay (a click on the emptied box,
// between two of its ticks) and runs `then`.
void afterPass(std::function<void()> then) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, then] {
        const trajectories::RecordReplay& r = shell::form2().replay;
        if (r.replayCount() == 0 || r.replayIndex() < r.replayCount())
            return;
        poll->deleteLater();
        word("");
        settle(300);
        then();
    });
    poll->start(20);
}

void replay(shell::Form1& f) {
    QTimer::singleShot(300, [&] {
        f.Command12_Click();
        f.Text1(2).setText(QStringLiteral("0"));
        f.Text1(13).setText(QStringLiteral("1"));
        QFile records(vbrt::appFile(QStringLiteral("\\treego.txt")));
        if (!records.open(QIODevice::WriteOnly) || records.write(kRecords) < 0) {
            std::fprintf(stderr, "dropshot: cannot write the records\n");
            std::_Exit(1);
        }
        records.close();
        settle(500);
        // The first pass takes about 11 s: the ring, then 2 s a record and 4 s the last one.
        static std::thread shooter = shootLater("replay-auto-growing", 6000);
        word("auto");
        afterPass([] {
            shooter.join();
            shoot("replay-auto");
            app::module1().replayShiftX = 1;
            word("autoplay");
            afterPass([] {
                shoot("replay-autoplay");
                shell::Form2& f2 = shell::form2();
                f2.Picture1.Cls();
                f2.coordMode = false;
                f2.drawEllipse = true;
                f2.dropPlots.Timer2_Timer();
                settle(300);
                shoot("rain-scene");
                finish();
            });
        });
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::useChineseDesktop();
    const QStringList args = QApplication::arguments();
    if (args.size() < 3 ||
        !QStringList{"main", "fall", "wide", "drawing", "anti", "curves", "replay"}.contains(
            args[1])) {
        std::fprintf(stderr,
                     "usage: dropshot main|fall|wide|drawing|anti|curves|replay OUT_PREFIX\n");
        return 2;
    }
    shots::prefix = args[2];
    const QTemporaryDir folder;
    if (!useFreshProgramFolder(folder))
        return 1;
    AnswerOk dialogs;
    ui::setDialogs(&dialogs);

    shell::Form1& f = shell::form1();
    f.show();
    if (args[1] == "fall") {
        straightFall(f);
        return QApplication::exec();
    }
    if (args[1] == "wide") {
        wideResults(f);
        return QApplication::exec();
    }
    if (args[1] == "drawing") {
        drawingWindow(f);
        return QApplication::exec();
    }
    if (args[1] == "anti") {
        antiMissile(f);
        return QApplication::exec();
    }
    if (args[1] == "curves") {
        curves(f);
        return QApplication::exec();
    }
    if (args[1] == "replay") {
        replay(f);
        return QApplication::exec();
    }
    typeDrop(f);
    f.Command2.setVisible(true);

    // The calculator's waits let the timers run, so the screen is taken mid-plot; the orbit
    // animation that follows runs until the last picture is taken.
    QTimer::singleShot(2000, [] { shoot("plotting"); });
    QTimer::singleShot(300, [&] {
        f.calculator.Command1_Click();
        settle(300);
        shoot("plotted");
        QTimer::singleShot(3000, [] {
            shoot("orbit");
            finish();
        });
        f.calculator.Command2_Click();
    });
    return QApplication::exec();
}
