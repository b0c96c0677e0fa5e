// The drawing window lays its drawing area and its button column out in proportion to its
// own size, at load and at every resize.
#include "app/module1.h"
#include "shell/form2.h"
#include "ui/screen.h"

#include <cmath>

namespace shell {

namespace {
int twips(double v) {
    return int(std::lround(v));
}
} // namespace

void Form2::placeDrawingArea(double heightFactor) {
    const double w = Width(), h = Height(), b = Command1(0).Height();
    Picture1.Move(twips(w * 0.05), twips(h * 0.025 + b), twips(w * 0.9),
                  twips((h - b) * heightFactor));
    Image1.Move(twips(w * 0.05), twips(h * 0.02 + b), twips(w * 0.9),
                twips((h - b) * heightFactor));
}

void Form2::placeColumn(bool withFullCanvasButton) {
    const std::initializer_list<ui::CommandButton*> column = {
        &Command1(15), &Command1(14), &Command1(16), &Command1(17), &Command1(18),
        &Command1(19), &Command1(21), &Command9,     &Command11,    &Command13,
        &Command14,    &Command15,    &Command12(1), &Command12(2), &Command12(0)};
    for (ui::CommandButton* b : column) {
        if (b == &Command1(19) && !withFullCanvasButton)
            continue;
        b->setLeft(Picture1.Left() + Picture1.Width() + 100);
    }
}

void Form2::loadLayout() {
    placeDrawingArea(0.9);
    placeColumn(false);
}

void Form2::Form_Resize() {
    app::Module1& m = app::module1();
    if (!app::isSimulation(m.drawingMode)) {
        if (Height() <= 1000)
            return;
        if (Width() < 8000) {
            for (ui::CommandButton* b :
                 {&Command8, &Command7, &Command6, &Command5, &Command4, &Command3, &Command2})
                b->setVisible(false);
            Text2.setWidth(twips(Command2.Width() * 0.7));
            Text3.setWidth(twips(Command2.Width() * 0.7));
        } else if (!m.imageWorkMode) {
            for (ui::CommandButton* b :
                 {&Command7, &Command6, &Command5, &Command4, &Command3, &Command2})
                b->setVisible(true);
            Text2.setWidth(twips(Command2.Width() * 1.35));
            Text3.setWidth(twips(Command2.Width() * 1.35));
        }

        placeDrawingArea(0.85);
        placeColumn(true);

        Picture1.setAutoRedraw(true);
        paintBackground();

        // The math drawing mode's start-up ends with its first layout.
        if (m.mathDrawLayoutPending) {
            m.mathDrawLayoutPending = false;
            Picture1.setAutoRedraw(m.imagePresaved);
            Command8.setVisible(false);
            Command1(9).setVisible(true);
        }
    } else if (m.fullCanvasOn) {
        // The whole-screen canvas: window and drawing area take the screen's size where they
        // stand. Sizing the window runs this handler again, which then finds nothing to change.
        const int screenW = ui::Screen::Width(), screenH = ui::Screen::Height();
        Picture1.setBorderStyle(0);
        setWidth(screenW);
        setHeight(screenH);
        Picture1.setWidth(screenW);
        Picture1.setHeight(screenH);
        Image1.setWidth(screenW);
        Image1.setHeight(screenH);
    }
}

} // namespace shell
