#include "dropcalc/plot.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/video_player.h"
#include "ui/picture_file.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"

namespace shell {

using Panel = windows::ParameterPanel;
using dropcalc::DropInputs;

namespace {
constexpr vbrt::Colour kSunCore = vbrt::RGB(250, 180, 90);
constexpr vbrt::Colour kSunRing = vbrt::RGB(250, 180, 120);
constexpr vbrt::Colour kSunHalo = vbrt::RGB(250, 180, 220);
constexpr vbrt::Colour kEarth = 0xFF0000;
constexpr vbrt::Colour kEarthRing = vbrt::RGB(250, 180, 36);
constexpr vbrt::Colour kMoon = 0xFFFF;
constexpr vbrt::Colour kPath = 0xFF;
constexpr vbrt::Colour kBall = vbrt::RGB(0, 0, 0);
constexpr vbrt::Colour kReplotPaper = vbrt::RGB(192, 208, 192);

// The window of the drop's path over its whole time, the same for the orbit and the re-plot:
// not squared, so the figures stretch with it.
struct Window {
    double halfX = 0, halfY = 0;
    bool usable() const { return dropcalc::usableWindow(halfX, halfY); }
};

// A path along one axis only (a straight fall) has no extent across it: that side takes the
// other's half size, so the path is drawn along the axis. Half sizes no number can hold refuse
// the drop before anything is drawn.
Window pathWindow(const dropcalc::Extents& e) {
    Window w{dropcalc::horizontalHalf(e), dropcalc::verticalHalf(e)};
    dropcalc::requireFinite({w.halfX, w.halfY});
    if (w.halfX == 0)
        w.halfX = w.halfY;
    if (w.halfY == 0)
        w.halfY = w.halfX;
    return w;
}

// "坐标范围：(-b,b)--(-a,a)", the horizontal range first.
QString rangeText(const Calculator& calculator, Window w) {
    double left = -w.halfX, top = -w.halfY;
    return QStringLiteral("坐标范围：") + "(" + calculator.wc(left) + "," + calculator.wc(w.halfX) +
           ")" + "--" + "(" + calculator.wc(top) + "," + calculator.wc(w.halfY) + ")";
}
} // namespace

void Calculator::Command2_Click() {
    const ui::Form::Run run(f_);
    if (!run)
        return;
    f_.video.returnToPictureView();
    f_.panel.runOnDropInput([this] { orbit(); });
}

void Calculator::orbit() {
    const double t = f_.panel.number(Panel::kTimeBox);
    const DropInputs in = f_.panel.dropInputs();
    const Window w = pathWindow(dropcalc::scanExtents(
        t, 100, [&in](double tau) { return xAt(in, tau); },
        [this, &in](double tau) { return yAt(in, tau); }));
    const QString range = rangeText(*this, w);
    f_.exitWithoutAsking = true;
    f_.Picture1.setPicture(ui::LoadPicture(vbrt::appFile(QStringLiteral("\\1.jpg"))));
    if (w.usable()) {
        const double u = w.halfX / 50, rx = 0.9 * w.halfX, ry = 0.9 * w.halfY;
        f_.Picture1.Scale(-w.halfX, -w.halfY, w.halfX, w.halfY);
        f_.Picture1.PSet(0, 0);
        f_.Picture1.PSet(0, 0);
        f_.Picture1.PSet(0, ry);

        // Two and a half turns of the earth round the sun, twelve of the moon per turn. Each
        // frame draws the sun over the last frame's earth and moon, shows it, clears, and
        // draws the new earth and moon.
        const ui::Opening opening(f_);
        const double pi = 4 * std::atan(1.0);
        dropcalc::forEachTime(5 * pi, 2 * pi / 1500, [&](double theta) {
            const double sx = 0.25 * rx * std::sin(theta), sy = 0.25 * ry * std::cos(theta);
            f_.Picture1.setFillColor(kSunCore);
            f_.Picture1.setFillStyle(0);
            f_.Picture1.Circle(sx, sy, 1.8 * u, kSunCore);
            f_.Picture1.setFillColor(kSunRing);
            f_.Picture1.setFillStyle(1);
            f_.Picture1.Circle(sx, sy, 2.2 * u, kSunRing);
            f_.Picture1.setFillColor(kSunHalo);
            f_.Picture1.Circle(sx, sy, 2.7 * u, kSunHalo);
            pauseThenCls();
            if (!opening.alive())
                return false;

            f_.Picture1.setFillStyle(0);
            const double ex = 3 * sx + 20 * u * std::sin(theta);
            const double ey = 3 * sy + 20 * u * std::cos(theta);
            f_.Picture1.setFillColor(kEarth);
            f_.Picture1.Circle(ex, ey, 1.2 * u, kEarth);
            f_.Picture1.setFillStyle(1);
            f_.Picture1.setFillColor(kEarthRing);
            f_.Picture1.Circle(ex, ey, 2 * u, kEarthRing);
            if (!opening.pauseShort())
                return false;

            f_.Picture1.setFillStyle(0);
            const double mx = ex + 10 * u * std::sin(12 * theta);
            const double my = ey + 10 * u * std::cos(12 * theta);
            f_.Picture1.setFillColor(kMoon);
            f_.Picture1.Circle(mx, my, 1.2 * u, kMoon);
            return true;
        });
        if (!opening.alive())
            return;
    }
    f_.Text1(Panel::kMomentsBox).setText(range);
    f_.Label1(Panel::kDragCaption).setVisible(false);
}

void Calculator::Picture1_Click() {
    const ui::Form::Run run(f_);
    if (!run)
        return;
    f_.panel.runOnDropInput([this] { replot(); });
}

void Calculator::replot() {
    const double t = f_.panel.number(Panel::kTimeBox);
    const DropInputs in = f_.panel.dropInputs();
    const auto x = [&in](double tau) { return xAt(in, tau); };
    const auto y = [this, &in](double tau) { return yAt(in, tau); };
    const Window w = pathWindow(dropcalc::scanExtents(t, 100, x, y));
    const QString range = rangeText(*this, w);
    f_.Picture1.setPicture(QImage());
    f_.Picture1.setBackColor(kReplotPaper);
    if (w.usable()) {
        const double u = w.halfX / 50, rx = 0.9 * w.halfX, ry = 0.9 * w.halfY;
        const double step = t / 100;
        const ui::Opening opening(f_);
        const auto paced = opening.shortPauses();
        f_.Picture1.Scale(-w.halfX, -w.halfY, w.halfX, w.halfY);
        f_.Picture1.PSet(0, 0);

        // A ball along the path; the last one stays.
        bool going = true;
        dropcalc::forEachTime(t, step, [&](double tau) {
            const double px = x(tau), py = y(tau);
            pauseThenCls();
            if (!(going = opening.alive()))
                return false;
            f_.Picture1.setFillColor(kBall);
            f_.Picture1.setFillStyle(0);
            if (dropcalc::drawable(px, py))
                f_.Picture1.Circle(px, py, u, kBall);
            return true;
        });
        if (!going)
            return;

        f_.Picture1.PSet(0, 0);
        dropcalc::forEachTime(t, step, [&](double tau) {
            const double px = x(tau), py = y(tau);
            if (!(going = opening.pauseShort()))
                return false;
            if (dropcalc::drawable(px, py))
                f_.Picture1.LineTo(px, py, kPath);
            return true;
        });
        if (!going)
            return;

        f_.Picture1.setFillStyle(1);
        dropcalc::drawFrame(f_.Picture1, w.halfX, w.halfY);
        f_.Label1(Panel::kDragCaption).setCaption(QStringLiteral("坐标："));
        f_.Picture1.PSet(0, ry);
        if (!dropcalc::drawPaced(f_.Picture1, {0, 0, rx, ry, dropcalc::fullTurn()}, paced))
            return;
        f_.Picture1.PSet(0, ry);
        if (!dropcalc::drawPaced(f_.Picture1, {0, 0, rx, 0.3 * ry, dropcalc::fullTurn()}, paced))
            return;
    } else {
        f_.Label1(Panel::kDragCaption).setCaption(QStringLiteral("坐标："));
    }
    f_.Text1(Panel::kMomentsBox).setText(f_.Text1(Panel::kMomentsBox).Text() + range);
}

} // namespace shell
