// The plotters of the parameter-record replay: one record's trajectory from its own origin,
// in the scale the replay's first record set.
#include "app/module1.h"
#include "trajectories/drop_plots.h"
#include "trajectories/record_replay.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"
#include "windows/form2_controls.h"
#include "windows/parameter_panel.h"

#include <QScopedValueRollback>

namespace trajectories {

using windows::ParameterPanel;

namespace {
// Samples of one record's trajectory.
constexpr int kRecordSteps = 200;
// The ring round the first record's origin: twice as fine as the plots' ellipses.
constexpr int kRingStepsPerTurn = 300;
} // namespace

double RecordReplay::rains(double t, double radius, double vx0, double windY, double vy0, double x,
                           double y, double windX) {
    return plotRecord({t, radius, vx0, windY, vy0, x, y, windX}, false);
}

double RecordReplay::rainst(double t, double radius, double vx0, double windY, double vy0, double x,
                            double y, double windX) {
    return plotRecord({t, radius, vx0, windY, vy0, x, y, windX}, true);
}

double RecordReplay::plotRecord(const Record& r, bool markSteps) {
    const std::pair<int, double> written[] = {{ParameterPanel::kTimeBox, r.t},
                                              {0, r.radius},
                                              {1, r.vx0},
                                              {3, r.windY},
                                              {4, r.vy0},
                                              {2, r.windX}};
    for (const auto& [box, value] : written)
        panel_.box(box).setText(vbrt::CStr(value));
    if (panel_.tryOnDropInput([&] { drawRecord(r, markSteps); }))
        quietUntilDrawn_ = false;
    else
        refuse();
    panel_.caption(ParameterPanel::kDragCaption).setVisible(false);
    f_.drawEllipse = false;
    return 0;
}

void RecordReplay::refuse() {
    if (saidThisPass_ || quietUntilDrawn_)
        return;
    saidThisPass_ = quietUntilDrawn_ = true;
    const QScopedValueRollback open(messageOpen_, true);
    panel_.refuseDropInput();
}

void RecordReplay::drawRecord(const Record& r, bool markSteps) {
    f_.drawChord = !markSteps;
    const auto paced = [this] { f_.plotStepDelay(); };
    DropPlots::StartedDrop drop{r.t, r.x, r.y, kRecordSteps, kRingStepsPerTurn, paced};
    if (markSteps) {
        // A filled circle at each step, its radius a 150th of the canvas in the drop's scale.
        drop.markStep = [this](double x, double y) {
            if (app::module1().fastPlot)
                f_.pauseTickBusy();
            else
                f_.plotStepDelay();
            ui::PictureBox& canvas = f_.Picture1;
            const double radius = float(canvas.ScaleWidth()) / 150;
            const vbrt::Colour pen = f_.penColor;
            canvas.setFillColor(pen);
            canvas.setFillStyle(0);
            vbrt::skipOnError([&] { canvas.Circle(x, y, radius, pen); });
        };
    }
    plots_.drawStartedDrop(drop);
}

} // namespace trajectories
