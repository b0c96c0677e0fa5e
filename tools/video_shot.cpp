// Photographs the main window playing the demo video: it opens the program's main window, clicks
// its video button (the open dialog answered with demo.avi), and saves the screen twice while
// the video plays, so the two pictures show the seek bar moving. The program itself has no
// command line; this tool is how the scripts drive it.
//
// usage: video_shot <program folder> <first.png> <second.png> [ms to first] [ms between]

#include "app/program.h"
#include "platform/media_player.h"
#include "shell/form1.h"
#include "shell/forms.h"
#include "shell/video_player.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "vbrt/apppath.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {

// The one dialog the tool expects is the video button's open dialog.
class DemoDialogs : public ui::Dialogs {
public:
    explicit DemoDialogs(QString video) : video_(std::move(video)) {}
    int msgBox(const QString&, int, const QString&) override { return ui::vbNo; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> openFile(const ui::FileDialogRequest&) override { return video_; }
    std::optional<QString> saveFile(const ui::FileDialogRequest&) override { return std::nullopt; }
    std::optional<vbrt::Colour> chooseColor(vbrt::Colour) override { return std::nullopt; }
    std::optional<int> popupMenu(const std::vector<ui::MenuItem>&) override { return std::nullopt; }

private:
    QString video_;
};

bool shoot(const QString& file) {
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    const bool ok = !screen.isNull() && screen.save(file);
    std::fprintf(stderr, "%s %s\n", ok ? "saved" : "cannot save", qPrintable(file));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::useChineseDesktop();
    if (argc < 4) {
        std::fprintf(stderr, "usage: video_shot <program folder> <first.png> <second.png> "
                             "[ms to first] [ms between]\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString first = QString::fromLocal8Bit(argv[2]);
    const QString second = QString::fromLocal8Bit(argv[3]);
    const int toFirst = argc > 4 ? std::atoi(argv[4]) : 1000;
    const int between = argc > 5 ? std::atoi(argv[5]) : 1300;

    vbrt::setAppPath(folder);
    DemoDialogs dialogs(folder + QStringLiteral("/demo.avi"));
    ui::setDialogs(&dialogs);
    // exit(), not quit(): quit() asks the windows to close, and they answer with the quit question.
    app::setEndAction([] { QCoreApplication::exit(0); });

    shell::Form1& f1 = shell::form1();
    f1.show();
    int status = 0;
    QTimer::singleShot(500, [&] {
        f1.Command14.press();
        QTimer::singleShot(toFirst, [&] {
            std::fprintf(stderr, "bar %d, state %d %s\n", f1.HScroll1.Value(),
                         f1.video.player().playState(), qPrintable(f1.video.player().lastError()));
            if (!shoot(first))
                status = 1;
            QTimer::singleShot(between, [&] {
                std::fprintf(stderr, "bar %d, state %d\n", f1.HScroll1.Value(),
                             f1.video.player().playState());
                if (!shoot(second))
                    status = 1;
                // Leave without the quit question.
                f1.exitWithoutAsking = true;
                f1.requestClose();
            });
        });
    });
    app.exec();
    // The windows and the player go while the application still exists.
    shell::resetAll();
    ui::setDialogs(nullptr);
    return status;
}
