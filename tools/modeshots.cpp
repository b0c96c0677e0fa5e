// Opens the main window, presses one launcher, lets the drawing window settle and saves a
// picture of it. Runs the program in a fresh folder with copies of its generated pictures, so
// the run leaves no log or records behind.
//
//   modeshots MODE OUT.png [seconds]
//   MODE: math | monitoring | freehand | overlay | dropsim | antimissile
#include "program_folder.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/desktop.h"
#include "vbrt/apppath.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <map>

namespace {

using Launcher = void (shell::Form1::*)();

const std::map<QString, Launcher>& launchers() {
    static const std::map<QString, Launcher> m = {
        {QStringLiteral("math"), &shell::Form1::Command10_Click},
        {QStringLiteral("monitoring"), &shell::Form1::Command11_Click},
        {QStringLiteral("freehand"), &shell::Form1::Command12_Click},
        {QStringLiteral("overlay"), &shell::Form1::Command13_Click},
        {QStringLiteral("dropsim"), &shell::Form1::Command8_Click},
        {QStringLiteral("antimissile"), &shell::Form1::Command9_Click},
    };
    return m;
}

int usage() {
    std::fprintf(stderr, "usage: modeshots MODE OUT.png [seconds]\nMODE:");
    for (const auto& [name, launcher] : launchers())
        std::fprintf(stderr, " %s", qPrintable(name));
    std::fprintf(stderr, "\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::useChineseDesktop();

    const QStringList args = QApplication::arguments();
    if (args.size() < 3 || !launchers().count(args.at(1)))
        return usage();
    const Launcher launcher = launchers().at(args.at(1));
    const QString out = args.at(2);
    const double seconds = args.size() > 3 ? args.at(3).toDouble() : 2.0;

    const QTemporaryDir folder;
    if (!useFreshProgramFolder(folder))
        return 1;

    shell::form1().show();
    (shell::form1().*launcher)();

    int status = 0;
    QTimer::singleShot(int(seconds * 1000), [&] {
        QWidget* window = shell::form2().window();
        if (!window || !window->grab().save(out)) {
            std::fprintf(stderr, "modeshots: could not save %s\n", qPrintable(out));
            status = 1;
        }
        // Leaves the loop without closing the windows, which would ask the quit question.
        QCoreApplication::exit(0);
    });
    QApplication::exec();
    // The windows go while the application still exists.
    shell::resetAll();
    return status;
}
