// Runs the drop calculator on the main window in real time under a virtual display and saves
// what the screen shows while the plot grows and after it is done, then a frame of the orbit
// animation.
//
//   dropshot OUT_PREFIX     (writes OUT_PREFIX-plotting.png, -plotted.png, -orbit.png)
#include "app/forms.h"
#include "program_folder.h"
#include "shell/form1.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

class AnswerOk : public ui::QtDialogs {
public:
    int msgBox(const QString& prompt, int, const QString&) override {
        std::fprintf(stderr, "dropshot: message box answered: %s\n", qPrintable(prompt));
        return ui::vbOK;
    }
};

QString prefix;
int failures = 0;

// Lets the window repaint what the last handler changed.
void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// What the display shows now, not a fresh rendering of the window.
void shoot(const char* name) {
    const QString file = prefix + "-" + name + ".png";
    if (!QGuiApplication::primaryScreen()->grabWindow(0).save(file)) {
        std::fprintf(stderr, "dropshot: could not save %s\n", qPrintable(file));
        ++failures;
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::useChineseDesktop();
    if (QApplication::arguments().size() < 2) {
        std::fprintf(stderr, "usage: dropshot OUT_PREFIX\n");
        return 2;
    }
    prefix = QApplication::arguments().at(1);
    const QTemporaryDir folder;
    if (!useFreshProgramFolder(folder))
        return 1;
    AnswerOk dialogs;
    ui::setDialogs(&dialogs);

    shell::Form1& f = app::form1();
    f.show();
    // A drop thrown up and forward against the wind; three seconds of flight.
    const char* values[][2] = {{"0", "1"}, {"1", "8"}, {"2", "-2"}, {"3", "1"},
                               {"4", "-12"}, {"10", "3"}, {"13", "1"}};
    for (const auto& v : values)
        f.Text1(QString::fromLatin1(v[0]).toInt()).setText(QString::fromLatin1(v[1]));
    f.Command2.setVisible(true);

    // The calculator's waits let the timers run, so the screen is taken mid-plot; the orbit
    // animation that follows runs until the last picture is taken.
    QTimer::singleShot(2000, [] { shoot("plotting"); });
    QTimer::singleShot(300, [&] {
        f.Command1_Click();
        settle(300);
        shoot("plotted");
        QTimer::singleShot(3000, [] {
            shoot("orbit");
            std::fflush(nullptr);
            std::_Exit(failures ? 1 : 0);
        });
        f.Command2_Click();
    });
    return QApplication::exec();
}
