#pragma once

#include "drawing/coma_state.h"
#include "drawing/figures.h"
#include "vbrt/colour.h"

#include <functional>
#include <optional>

namespace windows {
class Form2Controls;
class ParameterPanel;
} // namespace windows
namespace ui {
class CommandButton;
class PictureBox;
} // namespace ui

namespace drawing {

// Button colours of the curve animations: running, stopped, and 塔 after its drawing.
inline constexpr vbrt::Colour kCurveOn = 55488;
inline constexpr vbrt::Colour kCurveOff = vbrt::RGB(232, 227, 174);
inline constexpr vbrt::Colour kTowerDrawn = 217;

// Draws a figure on the canvas in one colour, pausing where the figure pauses. Each segment
// goes to the canvas in single precision and is cut to the visible area first, every one
// alike: the canvas itself would cut only those that reach far out (the radii reach 1e17),
// and the segments of one fan are drawn one way. A segment with an end that is no finite
// number is left out.
void paintFigure(ui::PictureBox& canvas, const Figure& figure, vbrt::Colour colour,
                 const std::function<void()>& pause);

// The six curve buttons of the drawing window (蛋, 死, 果壳, 生, 塔, 光), their one-second
// timers and the figures they draw. A figure is drawn in a window sized from the drop of the
// main window's panel, paced step by step, and followed by a one-second wait; neither the
// pacing nor the wait lets events run.
class CurveAnimations {
public:
    CurveAnimations(windows::Form2Controls& form, windows::ParameterPanel& panel);

    // The animations' counters, phases and frequencies; they outlive an unload of the window.
    ComaState state;

    // Start or stop an animation: a start shows its values in Text2 and draws at once.
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command7_Click();
    // 塔: draws once per click.
    void Command6_Click();

    // One animation step each; a redraw every few ticks.
    void Timer4_Timer();
    void Timer5_Timer();
    void Timer6_Timer();
    void Timer7_Timer();
    void Timer16_Timer();

    // The figures, always 0.
    double coma2();
    double coma3();
    double coma4();
    double coma5();
    double coma6();
    double coma7();

private:
    // How a figure ends and what it sets up before its loop.
    struct Closing {
        ui::CommandButton& button;
        vbrt::Colour colour = kCurveOn;
        bool wait = true;
        bool solidFill = false;
    };
    double drawFigure(const Closing& closing, const std::function<Figure(Centre, double)>& figure);
    // The window, scale and the two dots before a figure; the radius r0 when it may be drawn.
    std::optional<double> openFrame();
    void refuse();
    void toggle(ui::CommandButton& button, int timer, const std::function<void()>& starting);
    // The figure drawn anew on a cleared picture; what it returns.
    double redraw(double (CurveAnimations::*figure)());

    windows::Form2Controls& f_;
    windows::ParameterPanel& panel_;
    // While a figure's message is open the animation timers wait, so one message is not
    // followed by another at every tick.
    bool messageOpen_ = false;
};

} // namespace drawing
