#pragma once

#include "pixelsets/pixel_set.h"

#include <QByteArray>
#include <QString>

namespace app {
class TextGrid;
}
namespace shell {
class Form2;
}

namespace pixelsets {

// The drawing window's image comparison: the line table procedures and the redraw of a
// difference set.
class ImageComparison {
public:
    explicit ImageComparison(shell::Form2& form);
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
    // read or grid boxes that give no steps draw nothing.
    double chonghua(const QString& path, bool oneColour);

private:
    bool loadSet(const QString& path, app::TextGrid& grid, const QString& title);
    bool splitText(const QByteArray& utf8);

    shell::Form2& f_;
};

} // namespace pixelsets
