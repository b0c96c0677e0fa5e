#include "dropcalc/plot.h"

#include "ui/picture_box.h"
#include "vbrt/errors.h"

namespace dropcalc {

bool steppableTime(double t) {
    return std::isfinite(t) && t / 10000 > 0;
}

void requireFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v))
            vbrt::raise(vbrt::ErrOverflow);
}

void drawFrame(ui::PictureBox& picture, double halfX, double halfY) {
    const double x = 0.9 * halfX, y = 0.9 * halfY;
    picture.Box(-x, -y, x, y, 0xFF0000);
    picture.Line(0, -y, 0, y);
    picture.Line(0, y, 0.05 * halfX, 0.85 * halfY);
    picture.Line(0, y, -0.05 * halfX, 0.85 * halfY);
    picture.Line(-x, 0, x, 0);
    picture.Line(x, 0, 0.85 * halfX, 0.05 * halfY);
    picture.Line(x, 0, 0.85 * halfX, -0.05 * halfY);
}

namespace {
double pi() {
    return 4 * std::atan(1.0);
}
double turnStep() {
    return 2 * pi() / 150;
}
} // namespace

double fullTurn() {
    return 2 * pi();
}

double turnAndStep() {
    return 2 * pi() + turnStep();
}

bool drawPaced(ui::PictureBox& picture, const PacedEllipse& e, const std::function<bool()>& pause) {
    bool going = true;
    forEachTime(e.end, fullTurn() / e.stepsPerTurn, [&](double theta) {
        going = pause();
        if (going)
            picture.LineTo(e.cx + e.rx * std::sin(theta), e.cy + e.ry * std::cos(theta), e.colour);
        return going;
    });
    return going;
}

} // namespace dropcalc
