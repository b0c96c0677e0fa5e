#include "pixelsets/plain_set.h"

namespace pixelsets {

QByteArray plainSetText(const ui::PictureBox& area,
                        const std::function<void(int column, int row, vbrt::Colour)>& sampled) {
    const ui::PictureBox::PointReader reader(area);
    Line text;
    walkGrid(
        area, kPlainSteps, [](int, double) {},
        [&](int c, int r, double x, float y) {
            const vbrt::Colour colour = reader.point(x, y);
            appendCell(text, colour);
            text += '\t';
            sampled(c, r, colour);
        },
        [&](int) {
            text += "\r\n";
            return true;
        },
        FarEdge::Included);
    return QByteArray(text.data(), qsizetype(text.size()));
}

} // namespace pixelsets
