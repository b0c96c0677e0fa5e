// A snapshot of the drawing area kept in drawimage.jpg, and the drawing area restored from it.
#include "trajectories/drop_plots.h"
#include "ui/picture_file.h"
#include "vbrt/apppath.h"
#include "windows/form2_controls.h"
#include "windows/parameter_panel.h"

namespace trajectories {

using windows::ParameterPanel;

namespace {
QString snapshotFile() {
    return vbrt::appFile(QStringLiteral("\\drawimage.jpg"));
}
} // namespace

bool DropPlots::drawrainready() {
    f_.Picture1.setAutoRedraw(true);
    return f_.Picture1.saveImage(snapshotFile()).ok();
}

bool DropPlots::drawoutput() {
    bool painted = false;
    panel_.runOnDropInput([&] {
        sizeWindow(panel_.number(ParameterPanel::kTimeBox), dropcalc::kPlotSteps);
        // The window is kept for the plots that follow; the picture goes over the whole area.
        ui::PictureBox& canvas = f_.Picture1;
        canvas.Scale(0, 0, canvas.Width(), canvas.Height());
        canvas.setAutoRedraw(true);
        const QImage snapshot = ui::LoadPicture(snapshotFile());
        if (!snapshot.isNull()) {
            canvas.setPicture(snapshot);
            canvas.PaintPicture(canvas.Picture(), 0, 0, canvas.Width(), canvas.Height());
            canvas.Refresh();
            painted = true;
        }
        canvas.setAutoRedraw(false);
    });
    return painted;
}

} // namespace trajectories
