#include "ui/ellipse_stamper.h"

#include <QHash>
#include <QPainter>
#include <array>
#include <bit>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace ui {

namespace {
// The painter's arithmetic passes through single precision, so moved by whole pixels a shape
// keeps its pixels only while every coordinate of it stays within one power of two. A shape is
// therefore its radii, the fraction of a pixel its centre lies off the pixel grid, the power of
// two of each axis, the pen width and whether it is filled; it is drawn first at the place of
// its first dot, in an image of the target's size, and the key tells fractions apart to 2^-30
// of a pixel.
struct StampKey {
    int64_t rx, ry, fx, fy;
    int ex, ey, width;
    bool filled;
    bool operator==(const StampKey&) const = default;
};
struct StampKeyHash {
    size_t operator()(const StampKey& k) const {
        return qHashMulti(0, k.rx, k.ry, k.fx, k.fy, k.ex, k.ey, k.width, k.filled);
    }
};
constexpr double kKeyScale = double(1 << 30);
// Radii and fractions all lie between 0 and kMaxRadius.
int64_t scaled(double v) {
    return int64_t(v * kKeyScale + 0.5);
}

} // namespace

// The pixels a shape covers, relative to the whole pixel of its centre, and how far they
// reach on each side.
struct EllipseStamper::Stamp {
    struct Pixel {
        int16_t dx, dy;
        bool outline;
    };
    std::vector<Pixel> pixels;
    int left = 0, right = -1, top = 0, bottom = -1;
};

namespace {
using Stamp = EllipseStamper::Stamp;

// Grows each time the shared shapes are thrown away.
uint64_t shapesGeneration = 0;

Stamp drawStamp(const QPointF& c, double rx, double ry, int reach, int width, bool filled,
                const QSize& size) {
    static QImage scratch;
    if (scratch.size() != size)
        scratch = QImage(size, QImage::Format_ARGB32);
    const int x0 = int(std::floor(c.x())), y0 = int(std::floor(c.y()));
    const QRect around(x0 - reach, y0 - reach, 2 * reach + 1, 2 * reach + 1);
    QPainter painter(&scratch);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(around, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(QColor(255, 0, 0), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(filled ? QBrush(QColor(0, 255, 0)) : Qt::NoBrush);
    painter.drawEllipse(c, rx, ry);
    painter.end();
    Stamp s;
    const QRect inside = around & scratch.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const QRgb* m = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (qAlpha(m[x]) != 0)
                s.pixels.push_back({int16_t(x - x0), int16_t(y - y0), qRed(m[x]) != 0});
    }
    for (const Stamp::Pixel& p : s.pixels) {
        s.left = std::min(s.left, int(p.dx));
        s.right = std::max(s.right, int(p.dx));
        s.top = std::min(s.top, int(p.dy));
        s.bottom = std::max(s.bottom, int(p.dy));
    }
    return s;
}
} // namespace

EllipseStamper::EllipseStamper(QImage& image, double rx, double ry, int penWidth, bool filled)
    : rx_(rx), ry_(ry), penWidth_(penWidth), filled_(filled) {
    if (image.depth() != 32 || !(rx <= kMaxRadius) || !(ry <= kMaxRadius))
        return;
    keyRx_ = scaled(rx);
    keyRy_ = scaled(ry);
    reach_ = int(std::ceil(std::max(rx, ry))) + penWidth + 2;
    spread_ = std::max(rx, ry) + penWidth / 2.0 + 1;
    bits_ = image.bits();
    stride_ = image.bytesPerLine();
    width_ = image.width();
    height_ = image.height();
}

// Centres this far out are left to the painter.
constexpr double kFar = 65536;

inline EllipseStamper::Place EllipseStamper::place(double centre, int size) const {
    // std::floor, for the centres within kFar.
    int whole = int(centre);
    whole -= centre < whole;
    // The exponent of a double of at least 1.
    auto binade = [](double v) { return int(std::bit_cast<uint64_t>(v) >> 52); };
    const double low = centre - spread_, high = centre + spread_;
    // Across a power of two, or cut by an edge of the image, the shape is one of its own place
    // only.
    const bool inside = centre - reach_ >= 1 && centre + reach_ < size;
    return {whole, scaled(centre - whole),
            inside && binade(low) == binade(high) ? binade(low) : 4096 + whole};
}

const Stamp& EllipseStamper::sharedShape(const QPointF& c, const Place& x, const Place& y) {
    static std::unordered_map<StampKey, Stamp, StampKeyHash> cache;
    const StampKey key{keyRx_,   keyRy_,   x.fraction, y.fraction,
                       x.binade, y.binade, penWidth_,  filled_};
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    if (cache.size() > 4096) {
        cache.clear();
        ++shapesGeneration;
    }
    const QSize size(width_, height_);
    return cache.emplace(key, drawStamp(c, rx_, ry_, reach_, penWidth_, filled_, size))
        .first->second;
}

bool EllipseStamper::stamp(const QPointF& c, QRgb outline, QRgb fill) {
    if (!bits_ || std::abs(c.x()) > kFar || std::abs(c.y()) > kFar)
        return false;
    if (c.x() != lastX_ || shapesGeneration_ != shapesGeneration) {
        lastX_ = c.x();
        placeX_ = place(c.x(), width_);
        shapesGeneration_ = shapesGeneration;
        columnShapes_.fill({});
    }
    const Place x = placeX_, y = place(c.y(), height_);
    ColumnShape& known =
        columnShapes_[size_t(uint64_t(y.fraction + y.binade) * 0x9E3779B97F4A7C15u >> 58)];
    if (!known.stamp || known.fraction != y.fraction || known.binade != y.binade)
        known = {y.fraction, y.binade, &sharedShape(c, x, y)};
    const Stamp& s = *known.stamp;

    auto colourOf = [&](const Stamp::Pixel& p) { return p.outline ? outline : fill; };
    if (x.whole + s.left >= 0 && x.whole + s.right < width_ && y.whole + s.top >= 0 &&
        y.whole + s.bottom < height_) {
        uchar* const centre = bits_ + y.whole * stride_ + x.whole * 4;
        for (const Stamp::Pixel& p : s.pixels)
            reinterpret_cast<QRgb*>(centre + p.dy * stride_)[p.dx] = colourOf(p);
        return true;
    }
    // Cut by an edge of the image.
    for (const Stamp::Pixel& p : s.pixels) {
        const int px = x.whole + p.dx, py = y.whole + p.dy;
        if (px >= 0 && py >= 0 && px < width_ && py < height_)
            reinterpret_cast<QRgb*>(bits_ + py * stride_)[px] = colourOf(p);
    }
    return true;
}

} // namespace ui
