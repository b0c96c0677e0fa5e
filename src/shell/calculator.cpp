#include "shell/calculator.h"

#include "app/module1.h"
#include "dropcalc/plot.h"
#include "dropcalc/rounding.h"
#include "shell/form1.h"
#include "ui/picture_file.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/random.h"

#include <QStringList>

namespace shell {

using Panel = windows::ParameterPanel;
using dropcalc::DropInputs;

Calculator::Calculator(Form1& form) : f_(form) {
    f_.Command1.onClick = [this] { Command1_Click(); };
    f_.Command2.onClick = [this] { Command2_Click(); };
    f_.Picture1.onClick = [this] { Picture1_Click(); };
    f_.Picture1.onDblClick = [this] { Picture1_DblClick(); };
    f_.Text1.wire([this](ui::TextBox& t, int i) {
        t.onClick = [this, i] { Text1_Click(i); };
        t.onDblClick = [this, i] { Text1_DblClick(i); };
    });
}

QString Calculator::wc(double& x) const {
    return dropcalc::wcText(x);
}

void Calculator::Command1_Click() {
    const ui::Form::Run run(f_);
    if (!run)
        return;
    f_.WindowsMediaPlayer1.setVisible(false);
    app::Module1& m = app::module1();
    m.drawingMode = app::DrawingMode::DropSimulation;
    m.imageSampled = false;
    f_.Text1(Panel::kMomentsBox).setText(QString());
    f_.Label1(Panel::kDragCaption).setCaption(QStringLiteral("阻力为："));
    f_.Picture1.setBackColor(f_.Command6(0).BackColor());
    f_.panel.runOnDropInput([this] { calculate(); });
    f_.Label1(Panel::kDragCaption).setVisible(false);
}

void Calculator::calculate() {
    const double t = f_.panel.number(Panel::kTimeBox);
    const DropInputs in = f_.panel.dropInputs();
    const auto x = [&in](double tau) { return xAt(in, tau); };
    const auto y = [this, &in](double tau) { return yAt(in, tau); };
    dropcalc::DropState s = dropcalc::stateAt(in, t);

    // Every readout is worked out before the first is shown (wc raises for a number too large
    // to show): a drop whose numbers overflow is refused whole, the panel keeping the last
    // run's values.
    const dropcalc::Extents e = dropcalc::scanExtents(t, 100, x, y);
    const double halfY = dropcalc::verticalHalf(e), halfX = dropcalc::horizontalHalf(e);
    const double h = halfX > halfY ? halfX : halfY;
    dropcalc::requireFinite({halfX, halfY});
    double length = dropcalc::pathLength(t, x, y);
    double speed = std::sqrt(std::pow(s.vx, 2) + std::pow(s.vy, 2));
    const QStringList shown = {wc(s.hx), wc(s.hy), wc(s.vx), wc(s.vy), wc(speed), wc(length)};
    const QString moments = momentLines(in, s, t, h);

    f_.Text1(5).setText(shown[0]);
    f_.Text1(6).setText(shown[1]);
    f_.Text1(7).setText(shown[2]);
    f_.Text1(8).setText(shown[3]);
    if (!plotPath(in, t, h))
        return;
    f_.Text1(9).setText(shown[4]);
    f_.Text1(12).setText(shown[5]);
    f_.Text1(Panel::kMomentsBox).setText(moments);
}

namespace {
// A shade of the calculator's pen colour for each segment.
vbrt::Colour segmentColour(double pen) {
    return vbrt::Colour(vbrt::CLng(vbrt::Rnd() * pen));
}

// A fan of rays from the launch point to the samples, one shade each of the pen as it is at
// each ray. False when it stopped.
bool drawFan(ui::PictureBox& picture, double t, double step, auto x, auto y, const double& pen,
             const ui::Opening& opening) {
    picture.PSet(0, 0);
    bool going = true;
    dropcalc::forEachTime(t, step, [&](double tau) {
        const double px = x(tau), py = y(tau);
        if (!(going = opening.pauseShort()))
            return false;
        picture.setFillColor(vbrt::RGB(0, 0, 0));
        picture.setFillStyle(0);
        const vbrt::Colour c = segmentColour(pen);
        picture.Circle(0, 0, 0, c);
        if (dropcalc::drawable(px, py))
            picture.Line(0, 0, px, py, c);
        return true;
    });
    return going;
}

// The path over the fan, from the launch point. False when it stopped.
bool drawPath(ui::PictureBox& picture, double t, double step, auto x, auto y, const double& pen,
              const ui::Opening& opening) {
    using dropcalc::drawable;
    picture.PSet(0, 0);
    double lastX = 0, lastY = 0;
    bool going = true;
    dropcalc::forEachTime(t, step, [&](double tau) {
        const double px = x(tau), py = y(tau);
        if (!(going = opening.pauseShort()))
            return false;
        const vbrt::Colour c = segmentColour(pen);
        if (drawable(lastX, lastY) && drawable(px, py))
            picture.Line(lastX, lastY, px, py, c);
        lastX = px;
        lastY = py;
        return true;
    });
    return going;
}

// The frame with its axes, and the ellipse at nine tenths drawn step by step. False when it
// stopped.
bool drawFrameAndEllipse(ui::PictureBox& picture, double h, const ui::Opening& opening) {
    picture.PSet(0, 0);
    picture.setFillStyle(1);
    dropcalc::drawFrame(picture, h, h);
    picture.PSet(0, 0.9 * h);
    return dropcalc::drawPaced(picture, {0, 0, 0.9 * h, 0.9 * h, dropcalc::fullTurn()},
                               opening.shortPauses());
}
} // namespace

bool Calculator::plotPath(const DropInputs& in, double t, double h) {
    const ui::Opening opening(f_);
    const auto x = [&in](double tau) { return xAt(in, tau); };
    const auto y = [this, &in](double tau) { return yAt(in, tau); };

    f_.Picture1.setPicture(ui::LoadPicture(vbrt::appFile(QStringLiteral("\\I1.jpg"))));
    // A window of no size has nothing to draw into; the readouts are still shown.
    if (!dropcalc::usableWindow(h, h))
        return true;
    const double step = t / 100;
    f_.Picture1.Scale(-h, -h, h, h);
    return drawFan(f_.Picture1, t, step, x, y, penColor, opening) &&
           drawPath(f_.Picture1, t, step, x, y, penColor, opening) &&
           drawFrameAndEllipse(f_.Picture1, h, opening);
}

QString Calculator::momentLines(const DropInputs& in, const dropcalc::DropState& state, double t,
                                double h) {
    using dropcalc::forEachTime;
    const auto x = [&in](double tau) { return xAt(in, tau); };
    const auto y = [this, &in](double tau) { return yAt(in, tau); };
    // The special moments, found on the same 10,000 steps: the second sample close to the
    // launch height (ahead of the launch point, after t1) and the second close to the launch
    // vertical (behind it, after vx passed 0).
    const double eps = 0.2 * (h / 1000);
    const double fine = t / 10000;
    QStringList lines;
    int found = 0;
    forEachTime(t, fine, [&](double tau) {
        double px = x(tau), py = y(tau);
        if (tau > state.equalisedTime && py < 0 && std::abs(py) < eps && px > 0)
            ++found;
        if (found != 2)
            return true;
        lines << QStringLiteral("当 t=") + wc(tau) + QStringLiteral("时,  ") +
                     QStringLiteral("与 x 轴相交，水平距离为：") + wc(px) + QStringLiteral(".");
        return false;
    });
    found = 0;
    forEachTime(t, fine, [&](double tau) {
        double px = x(tau), py = y(tau);
        if (tau > state.zeroVxTime && std::abs(px) < eps && px < 0)
            ++found;
        if (found != 2)
            return true;
        lines << QStringLiteral("当t=") + wc(tau) +
                     QStringLiteral(" 时，与 y 轴相交，垂直距离为：") + wc(py);
        return false;
    });
    double zeroVx = state.zeroVxTime, equalised = state.equalisedTime;
    lines << QStringLiteral("当t=") + wc(zeroVx) + QStringLiteral(" 时，vx=0");
    lines << QStringLiteral("t=") + wc(equalised) + QStringLiteral("时，") +
                 QStringLiteral("vy为vfy。");
    // One moment per row, in the order they were looked for.
    return lines.join(vbrt::kCrLf);
}

} // namespace shell
