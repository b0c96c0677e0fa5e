#pragma once

#include <QImage>
#include <QPointF>
#include <array>
#include <cmath>

namespace ui {

// Small ellipses are drawn by the thousand (a dot per changed sample), and a painter per dot
// costs far more than the dot. Each shape is drawn once by QPainter, then stamped: the result
// is the painter's own, pixel for pixel.
//
// A stamper draws ellipses of one size, pen width and fill into one 32-bit image. It holds the
// image's pixels: it is valid until the image is resized, replaced or shared.
class EllipseStamper {
public:
    // Ellipses up to this radius in pixels can be stamped.
    static constexpr double kMaxRadius = 24;

    EllipseStamper(QImage& image, double rx, double ry, int penWidth, bool filled);

    // Whether such ellipses can be stamped into the image at all.
    bool usable() const { return bits_ != nullptr; }
    // Stamps the ellipse centred at `centre` (pixel coordinates); false, with nothing drawn,
    // where the stamp would not be the painter's own.
    bool stamp(const QPointF& centre, QRgb outline, QRgb fill);

    // The pixels of one shape as the painter drew them.
    struct Stamp;

private:
    // Where a centre lies on one axis: its whole pixel, its fraction of a pixel as it goes into
    // a key, and the power of two the shape's coordinates lie in (or the centre's own place).
    struct Place {
        int whole;
        int64_t fraction;
        int binade;
    };
    Place place(double centre, int size) const;
    // The shape of the ellipse centred at `centre`, placed at x and y, among those of every
    // stamper.
    const Stamp& sharedShape(const QPointF& centre, const Place& x, const Place& y);

    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0, height_ = 0;
    double rx_, ry_;
    int penWidth_;
    bool filled_;
    // The shape's radii as they go into its key.
    int64_t keyRx_ = 0, keyRy_ = 0;
    // How far the painter's pixels and coordinates reach from the centre.
    int reach_ = 0;
    double spread_ = 0;
    // A column of dots shares its abscissa, so its shapes differ only in where their centres
    // lie on the vertical axis: those met in the column are found by that alone, as long as
    // the shared ones they point to are not thrown away (shapesGeneration_ tells).
    double lastX_ = NAN;
    Place placeX_{};
    struct ColumnShape {
        int64_t fraction = -1;
        int binade = 0;
        const Stamp* stamp = nullptr;
    };
    std::array<ColumnShape, 64> columnShapes_{};
    uint64_t shapesGeneration_ = 0;
};

} // namespace ui
