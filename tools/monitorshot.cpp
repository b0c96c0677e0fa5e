// Opens the monitoring window through its launcher on a synthetic camera that looks into an
// empty room, starts the smart monitoring, lets a visitor walk in once the reference is taken,
// and saves a picture of the window after the comparison raised the red alarm. Runs on virtual
// time, so the minute of monitoring before the comparison takes a few seconds.
//
//   monitorshot OUT.png
#include "app/module1.h"
#include "monitoring/monitoring.h"
#include "platform/synthetic_capture_driver.h"
#include "program_folder.h"
#include "screen_shot.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "ui/event_loop.h"
#include "vbrt/apppath.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

// A wide webcam frame: the drawing area it is stretched over is about as wide.
constexpr int kFrameWidth = 1280, kFrameHeight = 720;
// Virtual seconds per step of the monitoring's timers, and the most the run may take.
constexpr double kStep = 0.05;
constexpr double kReferenceWithin = 60, kAlarmWithin = 120;

// Qt's dialogs, but none is expected: one that shows up anyway is answered and reported.
class AnswerOk : public ui::QtDialogs {
public:
    int msgBox(const QString& prompt, int, const QString&) override {
        std::fprintf(stderr, "monitorshot: message box answered: %s\n", qPrintable(prompt));
        return ui::vbOK;
    }
};

// The empty room seen from its door: back wall with a window and a picture, side walls,
// ceiling, a wooden floor and a table with a lamp.
void drawRoom(QPainter& p) {
    const QPointF backTopLeft(200, 70), backTopRight(1080, 70);
    const QPointF backBottomLeft(200, 470), backBottomRight(1080, 470);

    QLinearGradient ceiling(0, 0, 0, 70);
    ceiling.setColorAt(0, QColor(205, 200, 190));
    ceiling.setColorAt(1, QColor(235, 230, 220));
    p.setBrush(ceiling);
    p.drawPolygon(QPolygonF({{0, 0}, {kFrameWidth, 0}, backTopRight, backTopLeft}));

    QLinearGradient side(0, 0, 200, 0);
    side.setColorAt(0, QColor(178, 166, 140));
    side.setColorAt(1, QColor(206, 194, 168));
    p.setBrush(side);
    p.drawPolygon(QPolygonF({{0, 0}, backTopLeft, backBottomLeft, {0, 640}}));
    QLinearGradient otherSide(kFrameWidth, 0, 1080, 0);
    otherSide.setColorAt(0, QColor(170, 158, 132));
    otherSide.setColorAt(1, QColor(200, 188, 162));
    p.setBrush(otherSide);
    p.drawPolygon(QPolygonF({{kFrameWidth, 0}, backTopRight, backBottomRight, {kFrameWidth, 640}}));

    QLinearGradient back(0, 70, 0, 470);
    back.setColorAt(0, QColor(232, 222, 198));
    back.setColorAt(1, QColor(218, 206, 180));
    p.setBrush(back);
    p.drawRect(QRectF(backTopLeft, backBottomRight));

    QLinearGradient floor(0, 470, 0, kFrameHeight);
    floor.setColorAt(0, QColor(142, 100, 64));
    floor.setColorAt(1, QColor(120, 82, 50));
    p.setBrush(floor);
    p.drawPolygon(QPolygonF({{0, 640},
                             backBottomLeft,
                             backBottomRight,
                             {kFrameWidth, 640},
                             {kFrameWidth, kFrameHeight},
                             {0, kFrameHeight}}));
    // Floor boards, running towards the back wall.
    p.setPen(QPen(QColor(105, 72, 44), 2));
    for (int i = 0; i <= 10; ++i) {
        const double atBack = 200 + 88.0 * i;
        p.drawLine(QPointF(atBack, 470), QPointF(-440 + 216.0 * i, kFrameHeight));
    }
    p.setPen(Qt::NoPen);

    // The window: evening sky, a house across the street, frame and curtains.
    const QRectF pane(780, 130, 230, 210);
    QLinearGradient sky(0, pane.top(), 0, pane.bottom());
    sky.setColorAt(0, QColor(70, 110, 170));
    sky.setColorAt(1, QColor(190, 200, 215));
    p.setBrush(sky);
    p.drawRect(pane);
    p.setBrush(QColor(120, 118, 125));
    p.drawRect(QRectF(800, 250, 120, 90));
    p.setBrush(QColor(240, 220, 140));
    p.drawRect(QRectF(820, 270, 22, 22));
    p.drawRect(QRectF(870, 270, 22, 22));
    p.setPen(QPen(QColor(250, 248, 240), 12));
    p.setBrush(Qt::NoBrush);
    p.drawRect(pane);
    p.drawLine(QPointF(pane.center().x(), pane.top()), QPointF(pane.center().x(), pane.bottom()));
    p.drawLine(QPointF(pane.left(), 220), QPointF(pane.right(), 220));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 60, 55));
    p.drawRect(QRectF(745, 115, 40, 250));
    p.drawRect(QRectF(1005, 115, 40, 250));

    // A framed picture of hills.
    p.setBrush(QColor(90, 60, 35));
    p.drawRect(QRectF(330, 140, 200, 130));
    p.setBrush(QColor(170, 200, 220));
    p.drawRect(QRectF(342, 152, 176, 106));
    p.setBrush(QColor(80, 140, 80));
    p.drawPolygon(
        QPolygonF({{342, 258}, {400, 200}, {450, 235}, {490, 190}, {518, 220}, {518, 258}}));

    // The table with a lamp on it.
    const QColor wood(110, 70, 40), darkWood(80, 50, 28);
    p.setBrush(wood);
    p.drawPolygon(QPolygonF({{300, 430}, {600, 430}, {640, 465}, {260, 465}}));
    p.setBrush(darkWood);
    p.drawRect(QRectF(260, 465, 380, 22));
    for (double x : {272.0, 610.0})
        p.drawRect(QRectF(x, 487, 18, 110));
    for (double x : {312.0, 572.0})
        p.drawRect(QRectF(x, 465, 14, 70));
    p.setBrush(QColor(60, 60, 62));
    p.drawRect(QRectF(410, 420, 50, 14));
    p.drawRect(QRectF(430, 350, 10, 72));
    p.setBrush(QColor(245, 225, 160));
    p.drawPolygon(QPolygonF({{400, 355}, {470, 355}, {455, 305}, {415, 305}}));
}

// Somebody who walked in and stands in the middle of the room.
void drawVisitor(QPainter& p) {
    const QColor coat(40, 120, 110), trousers(60, 90, 150), skin(214, 168, 136), hair(35, 28, 22);
    p.setPen(Qt::NoPen);
    // Legs and shoes.
    p.setBrush(trousers);
    p.drawRoundedRect(QRectF(600, 450, 62, 235), 12, 12);
    p.drawRoundedRect(QRectF(680, 450, 62, 235), 12, 12);
    p.setBrush(QColor(20, 20, 20));
    p.drawRoundedRect(QRectF(588, 675, 80, 30), 10, 10);
    p.drawRoundedRect(QRectF(676, 675, 80, 30), 10, 10);
    // Coat with arms.
    p.setBrush(coat);
    QPainterPath body;
    body.addRoundedRect(QRectF(580, 235, 184, 255), 40, 40);
    p.drawPath(body);
    p.drawRoundedRect(QRectF(540, 250, 52, 215), 24, 24);
    p.drawRoundedRect(QRectF(752, 250, 52, 215), 24, 24);
    p.setBrush(skin);
    p.drawEllipse(QRectF(542, 455, 46, 46));
    p.drawEllipse(QRectF(756, 455, 46, 46));
    // Neck and head.
    p.drawRect(QRectF(652, 205, 40, 40));
    p.drawEllipse(QRectF(622, 110, 100, 120));
    p.setBrush(hair);
    QPainterPath top;
    top.moveTo(622, 165);
    top.cubicTo(615, 80, 730, 80, 722, 165);
    top.cubicTo(700, 130, 650, 130, 622, 165);
    p.drawPath(top);
}

QImage cameraFrame(bool withVisitor) {
    QImage frame(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    QPainter p(&frame);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    drawRoom(p);
    if (withVisitor)
        drawVisitor(p);
    return frame;
}

// Runs the monitoring's timers on virtual time, with the window's events in between, until
// `done` holds. False when it did not within `seconds`.
bool runUntil(const std::function<bool()>& done, double seconds) {
    for (double t = 0; t < seconds; t += kStep) {
        QCoreApplication::processEvents();
        if (done())
            return true;
        ui::EventLoop::instance().advance(kStep);
    }
    return done();
}

int shoot(const QString& out, platform::SyntheticCamera& camera) {
    shell::form1().Command11_Click();
    settle(500);
    shell::Form2& f = shell::form2();
    f.Command13.press();

    const QString reference = vbrt::appFile(QStringLiteral("\\model.txt"));
    if (!runUntil([&] { return QFile::exists(reference); }, kReferenceWithin)) {
        std::fprintf(stderr, "monitorshot: no reference was taken\n");
        return 1;
    }
    camera.setFrame(cameraFrame(true));
    const monitoring::Monitoring& m = f.monitoring;
    if (!runUntil([&] { return m.lastComparison().result == monitoring::CompareResult::Error; },
                  kAlarmWithin)) {
        std::fprintf(stderr, "monitorshot: the comparison gave no alarm (value %g)\n",
                     m.alarmLevel());
        return 1;
    }
    settle(300);
    std::fprintf(stderr, "monitorshot: alarm value %g, %g samples changed\n", m.alarmLevel(),
                 m.lastComparison().differing);
    if (!f.window() || !f.window()->grab().save(out)) {
        std::fprintf(stderr, "monitorshot: could not save %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::useChineseDesktop();
    if (QApplication::arguments().size() < 2) {
        std::fprintf(stderr, "usage: monitorshot OUT.png\n");
        return 2;
    }
    const QString out = QApplication::arguments().at(1);

    const QTemporaryDir folder;
    if (!useFreshProgramFolder(folder))
        return 1;
    AnswerOk dialogs;
    ui::setDialogs(&dialogs);
    const auto camera = platform::installSyntheticCaptureDriver();
    camera->setFrame(cameraFrame(false));
    ui::EventLoop::instance().useVirtualTime(QDateTime(QDate(2026, 12, 8), QTime(21, 30, 0)));

    const int status = shoot(out, *camera);
    shell::resetAll();
    ui::setDialogs(nullptr);
    return status;
}
