// Photographs the drawing window's full-screen layouts under a virtual display, each reached
// with the button a user presses, and the way out of each: 全屏 and 还原 over an imported
// picture in a window brought back by a click on the main window's picture, the two uses of 全画屏
// in the freehand drawing and the math drawing's 全屏 over an imported picture, the whole-screen
// canvases left with Esc. The open dialog answers with one of the program's generated pictures.
//
//   layoutshot OUT_PREFIX   (writes OUT_PREFIX-full-screen.png, -restored.png,
//                            -full-canvas-tools.png, -full-canvas-bare.png, -math-full-screen.png
//                            and -after-esc.png)
#include "program_folder.h"
#include "screen_shot.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "vbrt/apppath.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

void shoot(const char* name) {
    settle(400);
    shots::shoot(name);
}

// A left-button spiral over the middle of the canvas, a move every 15 ms.
void spiral(QWidget* canvas) {
    const auto at = [canvas](int i) {
        const double a = i * std::numbers::pi / 15, r = 0.02 + 0.25 * i / 90;
        return QPointF((0.5 + r * std::cos(a) * 0.6) * canvas->width(),
                       (0.5 + r * std::sin(a)) * canvas->height());
    };
    sendMouse(canvas, QEvent::MouseMove, at(0), Qt::NoButton);
    sendMouse(canvas, QEvent::MouseButtonPress, at(0), Qt::LeftButton);
    for (int i = 0; i <= 90; ++i) {
        sendMouse(canvas, QEvent::MouseMove, at(i), Qt::LeftButton);
        settle(15);
    }
    sendMouse(canvas, QEvent::MouseButtonRelease, at(90), Qt::NoButton);
}

void pressEscape(shell::Form2& f) {
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QApplication::sendEvent(f.Picture1.widget(), &esc);
}

// Esc must have closed the drawing window.
void expectClosed(const shell::Form2& f, const char* layout) {
    if (!f.isLoaded())
        return;
    std::fprintf(stderr, "Esc did not leave %s\n", layout);
    ++shots::failures;
}

// Qt's dialogs, but the open dialog picks the program's own landscape at once.
class PicksLandscape : public ui::QtDialogs {
public:
    std::optional<QString> openFile(const ui::FileDialogRequest&) override {
        return vbrt::appFile(QStringLiteral("\\picture1.jpg"));
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::useChineseDesktop();
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: layoutshot OUT_PREFIX\n");
        return 2;
    }
    shots::prefix = args[1];
    const QTemporaryDir folder;
    if (!useFreshProgramFolder(folder))
        return 1;

    PicksLandscape dialogs;
    ui::setDialogs(&dialogs);
    shell::Form1& main = shell::form1();
    main.show();
    main.Command12_Click();
    shell::Form2& f = shell::form2();
    QTimer::singleShot(500, [&] {
        // 全屏 and 还原: the window as a click on the main window's picture brings it back.
        f.unload();
        main.Image1_Click();
        settle(300);
        // The import sizes its plot window from the panel's drop, which needs numbers.
        for (int box : {0, 1, 2, 3, 4, 10, 13})
            main.Text1(box).setText(QStringLiteral("1"));
        f.Command1(9).press();
        f.Command1(18).press();
        shoot("full-screen");
        f.Command1(18).press();
        shoot("restored");

        // 全画屏 twice: the tools at the right edge, then the bare canvas with the pen on.
        main.Command12_Click();
        settle(300);
        f.Command1(19).press();
        settle(300);
        f.Command1(14).press();
        spiral(f.Picture1.widget());
        shoot("full-canvas-tools");
        f.Command1(19).press();
        spiral(f.Picture1.widget());
        shoot("full-canvas-bare");
        pressEscape(f);
        expectClosed(f, "全画屏");

        // The math drawing's 全屏 over a picture imported with 导入图像, left with Esc.
        main.Command10_Click();
        settle(300);
        f.Command1(9).press();
        f.Command10.press();
        shoot("math-full-screen");
        pressEscape(f);
        expectClosed(f, "数学画画 全屏");
        shoot("after-esc");

        shots::finish();
    });
    return QApplication::exec();
}
