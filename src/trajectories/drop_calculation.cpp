// The drawing window's own calculator (推导计算) and its plot options.
#include "app/module1.h"
#include "dropcalc/plot.h"
#include "dropcalc/rounding.h"
#include "trajectories/drop_plots.h"
#include "vbrt/convert.h"
#include "vbrt/random.h"
#include "windows/form2_controls.h"
#include "windows/parameter_panel.h"

#include <cmath>

namespace trajectories {

using windows::ParameterPanel;

using dropcalc::drawable;
using dropcalc::Family;
using dropcalc::forEachTime;

namespace {
constexpr vbrt::Colour kOriginBoxColour = vbrt::RGB(232, 227, 174);

QString restLine(double t1) {
    return QStringLiteral("t=") + dropcalc::wcText(t1) + QStringLiteral("时，") +
           QStringLiteral("vy为vfy。");
}
} // namespace

MomentReport momentReport(const dropcalc::DropInputs& in, const dropcalc::DropState& state,
                          double t) {
    const dropcalc::Drop d = dropcalc::Drop::forModel(in);
    const double vy0 = in.vy0, wy = in.windY;
    MomentReport r;
    // The blocks in the calculator's order; where several apply the last one's writes stand.
    if (vy0 <= 0 && wy >= 0) {
        r.momentCaption = true;
        r.text = restLine(d.t1);
    }
    if (vy0 >= 0 && wy >= 0 && wy > vy0) {
        r.dragCaption = false;
        r.momentCaption = true;
        if (t < d.t1)
            r.text = dropcalc::numberText(d.t1);
    }
    if (vy0 >= 0 && wy >= 0) {
        if (vy0 >= wy) {
            const double speed = std::sqrt(std::pow(state.vx, 2) + std::pow(state.vy, 2));
            r.dragCaption = true;
            r.momentCaption = false;
            r.text = dropcalc::numberText(d.k * std::pow(speed, 2));
        } else {
            r.text = dropcalc::numberText(d.t1);
        }
    }
    if (vy0 <= 0 && wy <= 0) {
        r.momentCaption = true;
        const bool rises = std::abs(vy0) > std::abs(wy);
        if (rises) {
            // When the drop, past its rest in the air, stops rising: only worked out for a
            // time past the rest and a wind below the terminal speed.
            QString stop;
            if (t > d.t1 && std::abs(wy) < d.vT) {
                const double untilStop = 1 / (2 * d.p) * std::log((1 - d.q * wy) / (1 + d.q * wy));
                stop = dropcalc::numberText(d.t1 + untilStop);
            }
            r.text = QStringLiteral("t=") + dropcalc::wcText(d.t1) + QStringLiteral("时，") +
                     QStringLiteral("\n\r") + QStringLiteral("vy达到vfy.") + vbrt::kCrLf +
                     QStringLiteral("t=") + stop + QStringLiteral("时，") + vbrt::kCrLf +
                     QStringLiteral("vy为0.");
        } else {
            double stopped = 0;
            if (std::abs(d.u0) < d.vT && std::abs(wy) < d.vT) {
                const double k2 = (1 + d.q * d.u0) / (1 - d.q * d.u0);
                stopped = 1 / (2 * d.p) * std::log((1 - d.q * wy) / (k2 * (1 + d.q * wy)));
            }
            r.text = QStringLiteral("t=") + dropcalc::wcText(stopped) + QStringLiteral("时，") +
                     QStringLiteral("vy为0.");
        }
    }
    return r;
}

void DropPlots::deriveAndPlot() {
    const ui::Form::Run run({&f_, &panel_.window()});
    if (!run)
        return;
    panel_.runOnDropInput([this] { plotAtTime(); });
}

void DropPlots::plotAtTime() {
    ui::PictureBox& canvas = f_.Picture1;
    const double t = panel_.number(ParameterPanel::kTimeBox);
    const dropcalc::DropInputs in = panel_.dropInputs();
    const dropcalc::DropState state = dropcalc::stateAt(in, t);

    // Every readout and the window are worked out before the panel shows any of them (a
    // number too large to show raises): a drop whose numbers overflow is refused whole, as
    // the main window's calculator refuses it.
    const MomentReport report = momentReport(in, state, t);
    const double speed = std::sqrt(std::pow(state.vx, 2) + std::pow(state.vy, 2));
    const QStringList shown = {dropcalc::wcText(state.hx + f_.originX),
                               dropcalc::wcText(state.hy + f_.originY), dropcalc::wcText(state.vx),
                               dropcalc::wcText(state.vy), dropcalc::wcText(speed)};
    // The report's moment comes first; f2 writes its own over it as it samples the path.
    QString lengthText;
    bool usable = false;
    panel_.keepMomentOnError([&] {
        if (report.text)
            panel_.box(ParameterPanel::kMomentsBox).setText(*report.text);
        lengthText = dropcalc::wcText(dropcalc::pathLength(
            t, [this](double tau) { return f1(tau); }, [this](double tau) { return f2(tau); }));
        usable = sizeWindow(t, dropcalc::kPlotSteps);
    });

    if (report.dragCaption)
        panel_.caption(ParameterPanel::kDragCaption).setVisible(*report.dragCaption);
    if (report.momentCaption)
        panel_.caption(ParameterPanel::kMomentCaption).setVisible(*report.momentCaption);
    panel_.box(5).setText(shown[0]);
    panel_.box(6).setText(shown[1]);
    panel_.box(7).setText(shown[2]);
    panel_.box(8).setText(shown[3]);

    const double h = t / dropcalc::kPlotSteps;
    if (usable && !f_.coordMode)
        applyWindow();
    const vbrt::Colour pen = f_.penColor;
    const auto x = [this](double tau) { return f1(tau) + f_.originX; };
    const auto y = [this](double tau) { return f2(tau) + f_.originY; };

    // A window of no size has nothing to draw in; the readouts are still written.
    if (usable) {
        canvas.PSet(f_.originX, f_.originY, pen);
        // The fan of chords from the origin, then the path over it: one colour, or each
        // stroke its own random share of the pen colour.
        const bool shaded = colorMode == ColourMode::RandomShares;
        const auto colour = [&] {
            return shaded ? vbrt::Colour(vbrt::CLng(vbrt::Rnd() * double(pen))) : pen;
        };
        forEachTime(t, h, [&](double tau) {
            const double px = x(tau), py = y(tau);
            f_.plotStepDelay();
            canvas.setFillColor(pen);
            canvas.setFillStyle(0);
            const vbrt::Colour c = colour();
            canvas.Circle(0, 0, 0, c);
            if (drawable(px, py))
                canvas.Line(f_.originX, f_.originY, px, py, c);
            return true;
        });
        canvas.PSet(f_.originX, f_.originY, pen);
        forEachTime(t, h, [&](double tau) {
            const double px = x(tau), py = y(tau);
            f_.plotStepDelay();
            const vbrt::Colour c = colour();
            if (drawable(px, py))
                canvas.LineTo(px, py, c);
            return true;
        });
    }

    if (usable && f_.drawEllipse) {
        canvas.PSet(0, 0, pen);
        canvas.setFillStyle(1);
        const double rx = 0.9 * f_.plotWindow[1], ry = 0.9 * f_.plotWindow[3];
        canvas.PSet(0, ry, pen);
        dropcalc::drawPaced(canvas, {0, 0, rx, ry, dropcalc::fullTurn()}, [this] {
            f_.plotStepDelay();
            return true;
        });
    }

    panel_.box(9).setText(shown[4]);
    panel_.box(12).setText(lengthText);
    panel_.caption(ParameterPanel::kDragCaption).setVisible(false);
}

void DropPlots::singleColour() {
    colorMode = ColourMode::SingleColour;
    f_.Command1(5).setVisible(true);
    f_.Command1(4).setVisible(false);
}

void DropPlots::randomColours() {
    colorMode = ColourMode::RandomShares;
    f_.Command1(4).setVisible(true);
    f_.Command1(5).setVisible(false);
}

void DropPlots::noEllipse() {
    f_.drawEllipse = false;
}

void DropPlots::drawChords() {
    f_.drawChord = true;
}

void DropPlots::transformCoordinates() {
    // The origin comes from the target boxes (the last point clicked on the canvas); texts
    // that are no numbers are refused before anything changes.
    const QString x = panel_.box(15).Text(), y = panel_.box(16).Text();
    if (!vbrt::IsNumeric(x) || !vbrt::IsNumeric(y)) {
        panel_.refuseDropInput();
        return;
    }
    f_.Picture1.setAutoRedraw(false);
    f_.Text1(2).setText(x);
    f_.Text1(3).setText(y);
    f_.coordMode = true;
    f_.originX = vbrt::CDbl(x);
    f_.originY = vbrt::CDbl(y);
    app::Module1& m = app::module1();
    m.replayOffsetX = f_.originX;
    m.replayOffsetY = f_.originY;
    f_.Text1(2).setBackColor(kOriginBoxColour);
    f_.Text1(3).setBackColor(kOriginBoxColour);
}

} // namespace trajectories
