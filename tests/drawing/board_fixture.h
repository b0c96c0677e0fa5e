#pragma once

#include "app/module1.h"
#include "app_fixture.h"
#include "drawing/drawing_board.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"

#include <QPointF>
#include <vector>

namespace testing_support {

// The drawing window as the freehand drawing launcher opens it.
class BoardTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        f1().show();
        f1().Command12_Click();
        ASSERT_TRUE(f2().isLoaded());
    }
    shell::Form1& f1() { return shell::form1(); }
    shell::Form2& f2() { return shell::form2(); }
    app::Module1& m() { return app::module1(); }
    drawing::DrawingBoard& board() { return f2().board; }

    // One stroke with the pen on: a press at the first point, then for every further point a
    // move there and one tick of the sampler, then the release at the last point.
    void drawStroke(const std::vector<QPointF>& points) {
        const QPointF& first = points.front();
        f2().Picture1_MouseDown(ui::LeftButton, 0, first.x(), first.y());
        for (size_t i = 1; i < points.size(); ++i) {
            f2().board.Picture1_MouseMove(ui::LeftButton, 0, points[i].x(), points[i].y());
            advance(0.01);
        }
        const QPointF& last = points.back();
        f2().board.Picture1_MouseUp(ui::LeftButton, 0, last.x(), last.y());
    }
    // The canvas's colour at a point of its scale, as &HBBGGRR.
    vbrt::Colour at(double x, double y) { return f2().Picture1.Point(x, y); }
};

} // namespace testing_support
