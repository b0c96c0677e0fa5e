#pragma once

#include "app/line_table.h"
#include "pixelsets/pixel_set.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <initializer_list>
#include <optional>
#include <vector>

namespace ui {
class CommandButton;
class CommonDialog;
class Control;
class Opening;
} // namespace ui
namespace windows {
class Form2Controls;
}

namespace imaging {

using pixelsets::Steps;

// The drawing window's image comparison: the line table procedures, the redraw of a
// difference set and the three button families that capture, compare and overlay pixel sets
// (Command11, Command12(0..2), Command9). The window owns one and this wires itself to the
// window's buttons.
class ImageComparison {
public:
    explicit ImageComparison(windows::Form2Controls& form);
    ImageComparison(const ImageComparison&) = delete;
    ImageComparison& operator=(const ImageComparison&) = delete;

    // Splits a whole text into the line table; a text the table cannot hold is refused with a
    // message and leaves it as it was. Always returns an empty text.
    QString zhong(const QString& text);
    // Split the line table into pixelSetA, pixelSetB, pixelSetC. Always an empty text.
    QString qingnv();
    QString qingnvb();
    QString qingnvc();

    // Reads a difference set into pixelSetA and marks every changed sample with a dot, in the
    // pen colour (oneColour) or in the colour its cell holds. Always 0; a file that cannot be
    // read (after a message saying why) or grid boxes that give no steps draw nothing.
    double chonghua(const QString& path, bool oneColour);

    void Command11_Click();
    void Command12_Click(int Index);
    void Command9_Click();

private:
    // The line table's split of a text, with the message when the table refuses it.
    bool splitText(QByteArray bytes);

    // The steps every flow shares (comparison_dialogues.cpp).
    struct Capture {
        std::vector<ui::Control*> hidden;
        std::vector<ui::Control*> shownAfter;
        // The message after a complete write; none when empty.
        QString success;
        bool successNamesFile = false;
    };
    enum class CaptureEnd { Cancelled, Done, Stopped };

    std::optional<Steps> checkGrid(const QString& defaultThreshold, const QString& help,
                                   bool helpFirst);
    CaptureEnd capture(const Steps& steps, const Capture& how, const ui::Opening& click);
    // The open or save dialog as every flow prepares it; the chosen name, empty when
    // cancelled.
    QString askFile(ui::CommonDialog& dialog, bool save);
    // Reads a set file into a grid; false (after a message) when it cannot be read, the line
    // table refuses it or it is no whole pixel set of the grid `steps` walk.
    bool loadSet(const QString& path, app::TextGrid& grid, const Steps& steps,
                 const QString& title);
    // The message and question after a comparison, and the marking of the changes.
    void closingDialogue(const ui::Opening& click);
    void busyMessage(const QString& title);
    void writeFailed(const QString& path, const QString& error);
    void flip(ui::CommandButton& button, const QString& caption, int colour);
    // A switch button's compare state up to the first set: refused with a message while
    // another flow holds the line table; else flips back to "capture" (for good, whatever the
    // dialogs give), shows the notice, asks for the set and loads it into pixelSetA. False when
    // the click ends there.
    bool openComparison(const app::LineTable::WriterHold& hold, ui::CommandButton& self,
                        const Steps& steps, const QString& notice);

    // Capture, then compare live or two sets (capture_and_compare.cpp).
    void captureAndCompare(const Steps& steps, const ui::Opening& click);
    void compareLive(const Steps& steps, const ui::Opening& click);
    void compareSets(const Steps& steps, const ui::Opening& click);
    // A set drawn over the picture (set_overlay.cpp).
    void overlay(const Steps& steps, const ui::Opening& click);
    // Capture a template, then compare with it (template_comparison.cpp).
    void templateCapture(const Steps& steps, const ui::Opening& click);
    void templateCompare(const Steps& steps, const ui::Opening& click);
    // The questions after the template is loaded, each No leading to the next, and what the
    // answer draws or writes. False when the flow stopped (its window went away, a pass was
    // stopped); a cancelled dialog or an unreadable set ends it as done.
    bool templateChoice(const Steps& steps, const ui::Opening& click);

    windows::Form2Controls& f_;
};

} // namespace imaging
