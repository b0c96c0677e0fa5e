#pragma once

#include "ui/clipping.h"
#include "ui/control.h"
#include "ui/ellipse_stamper.h"
#include "ui/twips.h"
#include "vbrt/file_writer.h"

#include <QImage>
#include <QObject>
#include <QtEndian>
#include <cmath>
#include <functional>
#include <optional>
#include <span>

namespace ui {

// Mouse buttons and shift keys as the mouse handlers receive them.
enum MouseButton { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
enum ShiftKeys { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };

// A drawing surface with a user scale. It draws into a backing image the size of its inner
// area; what is on screen is that image. With AutoRedraw on, drawing goes to the persistent
// image; with it off, drawing goes to the screen only and a Cls goes back to the persistent
// image. Coordinates are converted from the user scale in exactly one place (toPixel).
class PictureBox : public Control {
public:
    using Control::Control;
    ~PictureBox() override;

    static constexpr double kNoValue = NAN;

    // Grows with every change of the image: a reader that keeps pixels across a wait that lets
    // events run compares it before using them.
    uint64_t drawCount() const { return drawCount_; }

    // Shows every picture drawn on since it was last shown, once a frame of the screen has
    // passed since then on the program's clock: `now` paints it at once (busy waits call it so:
    // they let no event run, yet a paced drawing must be seen growing), else at the event
    // loop's next turn (the waits that let events run call it so). More often than a frame
    // only costs: a loop that lets events run after every segment would paint every segment.
    static void showDrawn(bool now);

    // 0 none, 1 fixed single (a sunken edge of 2 pixels on each side).
    int BorderStyle() const { return border_; }
    void setBorderStyle(int style);
    bool AutoRedraw() const { return autoRedraw_; }
    void setAutoRedraw(bool on);

    // Scale. ScaleMode 1 = twips (default), 3 = pixels, 0 = user (after Scale).
    int ScaleMode() const { return scaleMode_; }
    void setScaleMode(int mode);
    double ScaleLeft() const { return scaleLeft_; }
    double ScaleTop() const { return scaleTop_; }
    double ScaleWidth() const;
    double ScaleHeight() const;
    void setScaleLeft(double v);
    void setScaleTop(double v);
    void setScaleWidth(double v);
    void setScaleHeight(double v);
    // Scale (x1, y1)-(x2, y2): the top left corner is (x1, y1), the bottom right (x2, y2).
    void Scale(double x1, double y1, double x2, double y2);
    // Scale without arguments: back to twips.
    void Scale();

    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void setCurrentX(double v) { currentX_ = v; }
    void setCurrentY(double v) { currentY_ = v; }

    int DrawWidth() const { return drawWidth_; }
    void setDrawWidth(int w) { drawWidth_ = std::max(1, w); }
    // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 transparent, 6 inside solid.
    int DrawStyle() const { return drawStyle_; }
    void setDrawStyle(int s) { drawStyle_ = s; }
    // 0 solid, 1 transparent (default), 2..7 hatches (drawn solid here).
    int FillStyle() const { return fillStyle_; }
    void setFillStyle(int s) { fillStyle_ = s; }
    vbrt::Colour FillColor() const { return fillColor_; }
    void setFillColor(vbrt::Colour c) { fillColor_ = c; }
    // The pointer over the box: kDefaultPointer, or kPenPointer while a pen draws on it.
    static constexpr int kDefaultPointer = 0, kPenPointer = 4;
    int MousePointer() const { return mousePointer_; }
    void setMousePointer(int pointer);
    bool FontTransparent() const { return fontTransparent_; }
    void setFontTransparent(bool on) { fontTransparent_ = on; }

    // The background picture; a Cls goes back to it.
    QImage Picture() const { return picture_; }
    void setPicture(const QImage& picture);
    // With AutoSize on, the box takes the size of its picture (border included) whenever it
    // gets one; without a picture it keeps its size.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    // The persistent image (what is saved).
    QImage Image() const { return persistent_; }
    // What is on screen now.
    const QImage& screen() const { return autoRedraw_ || screen_.isNull() ? persistent_ : screen_; }

    // Drawing. A colour of -1 means ForeColor.
    void PSet(double x, double y, vbrt::Colour colour = -1);
    void Line(double x1, double y1, double x2, double y2, vbrt::Colour colour = -1);
    // Line -(x2, y2): from the current point.
    void LineTo(double x2, double y2, vbrt::Colour colour = -1);
    // Line (x1, y1)-(x2, y2), , B[F]: a box outline, or a box filled with the same colour.
    void Box(double x1, double y1, double x2, double y2, vbrt::Colour colour = -1,
             bool filled = false);
    // A circle, arc or ellipse; the radius is in horizontal units, aspect = height / width;
    // start and end angles in radians (NaN for a full circle). Filled per FillStyle.
    void Circle(double x, double y, double radius, vbrt::Colour colour = -1,
                double start = kNoValue, double end = kNoValue, double aspect = 1.0);
    // Print: the text at the current point, then the current point moves to the start of
    // the next line (or, with newline false, to the end of the text).
    void Print(const QString& text, bool newline = true);
    void Cls();
    // The picture scaled into the rectangle (its own size when width / height are NaN).
    void PaintPicture(const QImage& picture, double x, double y, double width = kNoValue,
                      double height = kNoValue);
    // The &HBBGGRR colour at a point, -1 outside the drawable area.
    vbrt::Colour Point(double x, double y) const;

    // How positions in scale units convert to pixel coordinates of the backing image, taken
    // once for many conversions.
    struct PixelMap {
        bool twips = true;
        double left = 0, top = 0, ux = 0, uy = 0;
        // The pixel coordinate itself, which far out may be huge, infinite or no number.
        // Twips divide exactly by an integer in the common case.
        double exactX(double v) const { return twips ? v / kTwipsPerPixel : (v - left) * ux; }
        double exactY(double v) const { return twips ? v / kTwipsPerPixel : (v - top) * uy; }
        // Clipped far outside the image, safe to turn into an integer.
        double x(double v) const { return clip(exactX(v)); }
        double y(double v) const { return clip(exactY(v)); }
        QPointF operator()(double x, double y) const { return QPointF(this->x(x), this->y(y)); }
        QPointF exact(double x, double y) const { return QPointF(exactX(x), exactY(y)); }
        bool operator==(const PixelMap&) const = default;
    };
    PixelMap pixelMap() const;
    // The drawable area in scale units, a pen's width and two pixels wider on each side: what
    // lies beyond it can not show.
    Area visibleArea() const;

    // Point() for many reads in a row: the image, its bounds and the scale are taken once.
    // Valid until the box next draws, resizes or changes its scale (take a new one after
    // every wait that lets events run).
    class PointReader {
    public:
        explicit PointReader(const PictureBox& box);
        // The pixel column and row a position falls in, as Point() converts it.
        int pixelX(double x) const;
        int pixelY(double y) const;
        // The &HBBGGRR colour of a pixel, -1 outside the drawable area.
        vbrt::Colour at(int px, int py) const {
            if (px < 0 || py < 0 || px >= width_ || py >= height_)
                return -1;
            return colour(reinterpret_cast<const QRgb*>(bits_ + py * stride_)[px]);
        }
        // at(px[k], py) for every k into out[k * step]: the row is looked up once.
        void readRow(int py, std::span<const int> px, vbrt::Colour* out, size_t step) const {
            if (py < 0 || py >= height_) {
                for (size_t k = 0; k < px.size(); ++k)
                    out[k * step] = -1;
                return;
            }
            const QRgb* row = reinterpret_cast<const QRgb*>(bits_ + py * stride_);
            for (size_t k = 0; k < px.size(); ++k)
                out[k * step] = uint(px[k]) < uint(width_) ? colour(row[px[k]]) : -1;
        }
        vbrt::Colour point(double x, double y) const { return at(pixelX(x), pixelY(y)); }
        void prefetch(int px, int py) const {
            if (px >= 0 && py >= 0 && px < width_ && py < height_)
                __builtin_prefetch(bits_ + py * stride_ + px * 4);
        }
        // Whether positions convert to the same pixels in both.
        bool sameScale(const PointReader& o) const { return map_ == o.map_; }
        // Whether both read the same pixels of the same image buffer.
        bool sameImage(const PointReader& o) const {
            return bits_ == o.bits_ && stride_ == o.stride_ && width_ == o.width_ &&
                   height_ == o.height_ && sameScale(o);
        }

    private:
        // AARRGGBB to 00BBGGRR.
        static vbrt::Colour colour(QRgb argb) { return vbrt::Colour(qbswap(argb) >> 8); }

        const uchar* bits_ = nullptr;
        qsizetype stride_ = 0;
        int width_ = 0, height_ = 0;
        PixelMap map_;
    };

    // Many filled dots in a row, each as Circle(x, y, radius, colour) draws it after
    // setFillStyle(0) and setFillColor(colour): the scale, the radius in pixels and the image
    // are taken once. Valid while nothing else draws and no event runs (take one per column
    // of a walk); the widget is asked to repaint when it goes.
    class Dots {
    public:
        Dots(PictureBox& box, double radius);
        ~Dots();
        Dots(const Dots&) = delete;
        Dots& operator=(const Dots&) = delete;
        void draw(double x, double y, vbrt::Colour colour);

    private:
        PictureBox& box_;
        double radius_;
        PixelMap map_;
        // Made at the first dot, when the image is certain to be drawn on.
        std::optional<EllipseStamper> stamper_;
        bool stampable_ = false;
        // The colour of the last dot, as outline and fill pixels.
        struct {
            vbrt::Colour value;
            QRgb outline, fill;
        } colour_{};
        // The last abscissa and where it lies in the image.
        double x_ = NAN, px_ = 0;
        // The fill and current point of the box are left as the last dot's Circle leaves
        // them once the dots are done: nothing else draws meanwhile.
        struct Dot {
            double x, y;
            vbrt::Colour colour;
        };
        std::optional<Dot> last_;
        bool stamped_ = false;
    };
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;
    void Refresh();

    // Writes the persistent image as bitmap data under exactly this name, whatever its
    // extension.
    vbrt::WriteResult saveImage(const QString& path) const;

    // Inner (drawable) size in pixels.
    int innerWidthPx() const;
    int innerHeightPx() const;
    // Scale units to pixel coordinates of the backing image.
    QPointF toPixel(double x, double y) const;
    // Pixel coordinates to scale units.
    QPointF fromPixel(double px, double py) const;

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void(int button, int shift, double x, double y)> onMouseDown;
    std::function<void(int button, int shift, double x, double y)> onMouseMove;
    std::function<void(int button, int shift, double x, double y)> onMouseUp;
    std::function<void(int& keyAscii)> onKeyPress;
    std::function<void(int& keyCode, int shift)> onKeyDown;

protected:
    void resetToDesign() override;
    QWidget* createWidget(QWidget* parent) override;
    void syncGeometry() override;
    void syncColours() override;

private:
    friend class PictureWidget;
    // Pixel coordinates far outside the image are clipped here, before any integer conversion.
    static constexpr double kClip = 1e6;
    static double clip(double v) { return std::isnan(v) ? kClip : std::clamp(v, -kClip, kClip); }
    // How far out of the image the painter is given pixel coordinates: its fixed-point
    // arithmetic strokes wide pens wrongly past 32767 pixels, and ellipses soon after. Shapes
    // that reach farther are cut to the visible area first (see clipping.h).
    static constexpr double kPainterReach = 16384;
    static bool withinReach(QPointF p) {
        return std::abs(p.x()) <= kPainterReach && std::abs(p.y()) <= kPainterReach;
    }
    // visibleArea() in pixels.
    Area visiblePixels() const;
    QImage& target();
    // The radius of a circle in pixels.
    double radiusPx(double radius) const;
    // Circle for an ellipse that reaches farther than the painter: its fill row by row and
    // its rim cut to the visible area.
    void drawFarEllipse(QPointF centre, double rx, double ry, vbrt::Colour colour, double start,
                        double span);
    // Whether whole ellipses are drawn with a pen that can be stamped.
    bool stampablePen() const { return drawStyle_ == 0 || drawStyle_ == 6; }
    QImage base() const;
    void paintBase(QImage& img) const;
    void resizeImages();
    QColor colourOf(vbrt::Colour c) const;
    QRgb rgbOf(vbrt::Colour c) const;
    QPen pen(vbrt::Colour c) const;
    double pixelsPerUnitX() const;
    double pixelsPerUnitY() const;
    void changed();
    // The widget has just shown the picture as it is.
    void painted();
    // Off the list of pictures to show.
    void forget();
    bool frameDue() const;
    // Asks the widget to repaint once a frame has passed since it last did.
    void showWhenDue();

    void fitPicture();

    int border_ = 1;
    bool autoRedraw_ = false;
    bool autoSize_ = false;
    int scaleMode_ = 1;
    double scaleLeft_ = 0, scaleTop_ = 0, userWidth_ = 1, userHeight_ = 1;
    double currentX_ = 0, currentY_ = 0;
    int drawWidth_ = 1;
    int drawStyle_ = 0;
    int fillStyle_ = 1;
    vbrt::Colour fillColor_ = 0;
    bool fontTransparent_ = true;
    int mousePointer_ = kDefaultPointer;
    QImage picture_;
    QImage persistent_;
    QImage screen_;
    bool repaintAsked_ = false;
    // What a posted repaint request is tied to: it goes with the box, where the widget may
    // outlive it until its deferred deletion.
    QObject repaintRequests_;
    bool drawnSincePaint_ = false;
    double shownAt_ = -1e300; // on the program's monotonic clock
    uint64_t drawCount_ = 0;
};

} // namespace ui
