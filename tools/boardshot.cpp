// Draws two strokes with the freehand pen through real mouse events on the drawing window's
// canvas under a virtual display, in real time (the pen samples every 10 ms), saves the
// screen, clears the canvas, replays the strokes with 自动 and saves the screen after each.
//
//   boardshot OUT_PREFIX   (writes OUT_PREFIX-board-drawn.png, -board-cleared.png and
//                           -board-replayed.png)
#include "program_folder.h"
#include "screen_shot.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

using shots::shoot;

// A left-button stroke through the points (fractions of the canvas), a move every 15 ms.
void stroke(QWidget* canvas, const std::vector<QPointF>& points) {
    const auto px = [canvas](QPointF p) {
        return QPointF(p.x() * canvas->width(), p.y() * canvas->height());
    };
    sendMouse(canvas, QEvent::MouseMove, px(points.front()), Qt::NoButton);
    sendMouse(canvas, QEvent::MouseButtonPress, px(points.front()), Qt::LeftButton);
    for (const QPointF& p : points) {
        sendMouse(canvas, QEvent::MouseMove, px(p), Qt::LeftButton);
        settle(15);
    }
    sendMouse(canvas, QEvent::MouseButtonRelease, px(points.back()), Qt::NoButton);
}

std::vector<QPointF> wave() {
    std::vector<QPointF> points;
    for (int i = 0; i <= 60; ++i)
        points.emplace_back(0.1 + 0.8 * i / 60, 0.3 + 0.12 * std::sin(i * std::numbers::pi / 10));
    return points;
}

std::vector<QPointF> ring() {
    std::vector<QPointF> points;
    for (int i = 0; i <= 60; ++i) {
        const double a = 2 * std::numbers::pi * i / 60;
        points.emplace_back(0.5 + 0.15 * std::cos(a), 0.68 + 0.2 * std::sin(a));
    }
    return points;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::useChineseDesktop();
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: boardshot OUT_PREFIX\n");
        return 2;
    }
    shots::prefix = args[1];
    const QTemporaryDir folder;
    if (!useFreshProgramFolder(folder))
        return 1;

    shell::Form1& main = shell::form1();
    main.show();
    main.Command12_Click();
    shell::Form2& f = shell::form2();
    QTimer::singleShot(500, [&f] {
        QWidget* canvas = f.Picture1.widget();
        f.Command1_Click(14);
        f.penColor = vbrt::RGB(220, 30, 30);
        stroke(canvas, wave());
        f.Command1_Click(21);
        f.penColor = vbrt::RGB(20, 60, 220);
        stroke(canvas, ring());
        settle(300);
        shoot("board-drawn");

        f.Picture1.Cls();
        settle(300);
        shoot("board-cleared");
        f.Command1_Click(15);
        settle(600);
        shoot("board-replayed");
        shots::finish();
    });
    return QApplication::exec();
}
