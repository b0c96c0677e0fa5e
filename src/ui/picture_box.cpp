#include "ui/picture_box.h"

#include "ui/clock.h"
#include "ui/picture_file.h"
#include "ui/screen.h"
#include "ui/twips.h"
#include "vbrt/errors.h"

#include <QFile>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace ui {

namespace {
int shiftOf(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? ShiftKey : 0) | (m & Qt::ControlModifier ? CtrlKey : 0) |
           (m & Qt::AltModifier ? AltKey : 0);
}
int buttonOf(Qt::MouseButton b) {
    return b == Qt::LeftButton     ? LeftButton
           : b == Qt::RightButton  ? RightButton
           : b == Qt::MiddleButton ? MiddleButton
                                   : 0;
}

// Boxes drawn on since their widget last painted, for the waits to show.
std::vector<PictureBox*>& drawnBoxes() {
    static std::vector<PictureBox*> boxes;
    return boxes;
}

// Whether the rectangle between the corners meets the area; not when a corner is no number.
bool meets(QPointF topLeft, QPointF bottomRight, const Area& a) {
    return topLeft.x() <= a.right && bottomRight.x() >= a.left && topLeft.y() <= a.bottom &&
           bottomRight.y() >= a.top;
}

int buttonsOf(Qt::MouseButtons b) {
    return (b & Qt::LeftButton ? LeftButton : 0) | (b & Qt::RightButton ? RightButton : 0) |
           (b & Qt::MiddleButton ? MiddleButton : 0);
}
} // namespace

// Shows the picture box's image inside its border and passes mouse and key events on.
class PictureWidget : public QWidget {
public:
    PictureWidget(QWidget* parent, PictureBox* box) : QWidget(parent), box_(box) {
        setFocusPolicy(Qt::ClickFocus);
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int b = box_->border_ ? 2 : 0;
        if (b) {
            p.fillRect(rect(), QColor(160, 160, 160));
            p.setPen(QColor(105, 105, 105));
            p.drawLine(0, 0, width() - 1, 0);
            p.drawLine(0, 0, 0, height() - 1);
            p.setPen(Qt::white);
            p.drawLine(0, height() - 1, width() - 1, height() - 1);
            p.drawLine(width() - 1, 0, width() - 1, height() - 1);
        }
        p.drawImage(b, b, box_->screen());
        box_->painted();
    }
    QPointF scalePoint(const QPointF& pos) const {
        const int b = box_->border_ ? 2 : 0;
        return box_->fromPixel(pos.x() - b, pos.y() - b);
    }
    void mousePressEvent(QMouseEvent* e) override {
        pressed_ = true;
        if (box_->onMouseDown) {
            const QPointF s = scalePoint(e->position());
            box_->onMouseDown(buttonOf(e->button()), shiftOf(e->modifiers()), s.x(), s.y());
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (box_->onMouseMove) {
            const QPointF s = scalePoint(e->position());
            box_->onMouseMove(buttonsOf(e->buttons()), shiftOf(e->modifiers()), s.x(), s.y());
        }
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const QPointF s = scalePoint(e->position());
        if (box_->onMouseUp)
            box_->onMouseUp(buttonOf(e->button()), shiftOf(e->modifiers()), s.x(), s.y());
        if (pressed_ && box_->onClick && rect().contains(e->position().toPoint()))
            box_->onClick();
        pressed_ = false;
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {
        pressed_ = false;
        if (box_->onDblClick)
            box_->onDblClick();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (box_->onKeyDown) {
            int code = e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z ? e->key()
                       : e->key() == Qt::Key_Escape                   ? 27
                                                                      : e->nativeVirtualKey();
            box_->onKeyDown(code, shiftOf(e->modifiers()));
        }
        if (box_->onKeyPress && !e->text().isEmpty()) {
            int key = e->text().at(0).unicode();
            box_->onKeyPress(key);
        }
    }

private:
    PictureBox* box_;
    bool pressed_ = false;
};

void PictureBox::resetToDesign() {
    Control::resetToDesign();
    p_.backColor = kButtonFace;
    border_ = 1;
    autoRedraw_ = false;
    autoSize_ = false;
    scaleMode_ = 1;
    scaleLeft_ = scaleTop_ = 0;
    userWidth_ = userHeight_ = 1;
    currentX_ = currentY_ = 0;
    drawWidth_ = 1;
    drawStyle_ = 0;
    fillStyle_ = 1;
    fillColor_ = 0;
    fontTransparent_ = true;
    mousePointer_ = kDefaultPointer;
    picture_ = QImage();
    persistent_ = QImage();
    screen_ = QImage();
    resizeImages();
}

int PictureBox::innerWidthPx() const {
    return std::max(0, twipsToPixels(p_.width) - (border_ ? 4 : 0));
}
int PictureBox::innerHeightPx() const {
    return std::max(0, twipsToPixels(p_.height) - (border_ ? 4 : 0));
}

double PictureBox::ScaleWidth() const {
    if (scaleMode_ == 0)
        return userWidth_;
    return scaleMode_ == 3 ? innerWidthPx() : pixelsToTwips(innerWidthPx());
}

double PictureBox::ScaleHeight() const {
    if (scaleMode_ == 0)
        return userHeight_;
    return scaleMode_ == 3 ? innerHeightPx() : pixelsToTwips(innerHeightPx());
}

void PictureBox::setScaleMode(int mode) {
    scaleMode_ = mode;
    if (mode != 0) {
        scaleLeft_ = scaleTop_ = 0;
    } else {
        userWidth_ = ScaleWidth();
        userHeight_ = ScaleHeight();
    }
}

void PictureBox::setScaleLeft(double v) {
    if (scaleMode_ != 0)
        setScaleMode(0);
    scaleLeft_ = v;
}
void PictureBox::setScaleTop(double v) {
    if (scaleMode_ != 0)
        setScaleMode(0);
    scaleTop_ = v;
}
void PictureBox::setScaleWidth(double v) {
    if (v == 0)
        vbrt::raise(vbrt::ErrInvalidCall);
    if (scaleMode_ != 0)
        setScaleMode(0);
    userWidth_ = v;
}
void PictureBox::setScaleHeight(double v) {
    if (v == 0)
        vbrt::raise(vbrt::ErrInvalidCall);
    if (scaleMode_ != 0)
        setScaleMode(0);
    userHeight_ = v;
}

void PictureBox::Scale(double x1, double y1, double x2, double y2) {
    if (x2 == x1 || y2 == y1)
        vbrt::raise(vbrt::ErrInvalidCall);
    scaleMode_ = 0;
    scaleLeft_ = x1;
    scaleTop_ = y1;
    userWidth_ = x2 - x1;
    userHeight_ = y2 - y1;
}

void PictureBox::Scale() {
    setScaleMode(1);
}

double PictureBox::pixelsPerUnitX() const {
    const double w = ScaleWidth();
    return w == 0 ? 0 : innerWidthPx() / w;
}
double PictureBox::pixelsPerUnitY() const {
    const double h = ScaleHeight();
    return h == 0 ? 0 : innerHeightPx() / h;
}

PictureBox::PixelMap PictureBox::pixelMap() const {
    return {scaleMode_ == 1, scaleLeft_, scaleTop_, pixelsPerUnitX(), pixelsPerUnitY()};
}

QPointF PictureBox::toPixel(double x, double y) const {
    return pixelMap()(x, y);
}

Area PictureBox::visiblePixels() const {
    const double margin = drawWidth_ + 2;
    return {-margin, -margin, innerWidthPx() + margin, innerHeightPx() + margin};
}

Area PictureBox::visibleArea() const {
    const Area px = visiblePixels();
    const QPointF a = fromPixel(px.left, px.top), b = fromPixel(px.right, px.bottom);
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
            std::max(a.y(), b.y())};
}

double PictureBox::radiusPx(double radius) const {
    return std::abs(radius * pixelsPerUnitX());
}

QPointF PictureBox::fromPixel(double px, double py) const {
    const double ux = pixelsPerUnitX(), uy = pixelsPerUnitY();
    return QPointF(ux == 0 ? scaleLeft_ : scaleLeft_ + px / ux,
                   uy == 0 ? scaleTop_ : scaleTop_ + py / uy);
}

QImage PictureBox::base() const {
    QImage img;
    paintBase(img);
    return img;
}

// An animation clears its box for every frame: the image it has is painted over rather than
// made anew, which costs an allocation of the whole box each time.
void PictureBox::paintBase(QImage& img) const {
    const QSize size(std::max(1, innerWidthPx()), std::max(1, innerHeightPx()));
    if (img.size() != size || img.format() != QImage::Format_RGB32)
        img = QImage(size, QImage::Format_RGB32);
    img.fill(vbrt::toQColor(p_.backColor));
    if (!picture_.isNull()) {
        QPainter p(&img);
        p.drawImage(0, 0, picture_);
    }
}

void PictureBox::resizeImages() {
    const QSize size(std::max(1, innerWidthPx()), std::max(1, innerHeightPx()));
    if (persistent_.size() == size)
        return;
    auto grow = [&](const QImage& old) {
        QImage img = base();
        if (!old.isNull()) {
            QPainter p(&img);
            p.drawImage(0, 0, old);
        }
        return img;
    };
    persistent_ = grow(persistent_);
    if (!screen_.isNull())
        screen_ = grow(screen_);
}

QImage& PictureBox::target() {
    if (autoRedraw_)
        return persistent_;
    if (screen_.isNull())
        screen_ = persistent_.copy();
    return screen_;
}

PictureBox::~PictureBox() {
    forget();
}

void PictureBox::forget() {
    if (!drawnSincePaint_)
        return;
    drawnSincePaint_ = false;
    std::erase(drawnBoxes(), this);
}

void PictureBox::painted() {
    shownAt_ = Clock::instance().monotonic();
    forget();
}

bool PictureBox::frameDue() const {
    return Clock::instance().monotonic() - shownAt_ >= kScreenFrame;
}

void PictureBox::showDrawn(bool now) {
    // Painting takes a box off the list; a box without a widget has nothing to show.
    for (PictureBox* box : std::vector<PictureBox*>(drawnBoxes())) {
        if (!box->w_)
            box->forget();
        else if (box->frameDue())
            now ? box->w_->repaint() : box->w_->update();
    }
}

void PictureBox::changed() {
    ++drawCount_;
    if (!w_)
        return;
    if (!drawnSincePaint_) {
        drawnSincePaint_ = true;
        drawnBoxes().push_back(this);
    }
    // Drawing comes by the thousand between two turns of the event loop (a dot per sample of
    // a column): the widget is asked to repaint once, at the next turn.
    if (repaintAsked_)
        return;
    repaintAsked_ = true;
    QMetaObject::invokeMethod(
        &repaintRequests_, [this] { showWhenDue(); }, Qt::QueuedConnection);
}

void PictureBox::showWhenDue() {
    repaintAsked_ = false;
    if (!w_ || !drawnSincePaint_)
        return;
    const double wait = kScreenFrame - (Clock::instance().monotonic() - shownAt_);
    if (wait <= 0) {
        w_->update();
        return;
    }
    // Shown a moment ago: again when the frame is over, unless a wait shows it sooner.
    repaintAsked_ = true;
    QTimer::singleShot(int(std::ceil(wait * 1000)), &repaintRequests_, [this] { showWhenDue(); });
}

void PictureBox::setBorderStyle(int style) {
    border_ = style ? 1 : 0;
    fitPicture();
    resizeImages();
    changed();
}

void PictureBox::setAutoSize(bool on) {
    autoSize_ = on;
    fitPicture();
}

void PictureBox::fitPicture() {
    if (!autoSize_ || picture_.isNull())
        return;
    const int edge = border_ ? 4 : 0;
    Move(p_.left, p_.top, pixelsToTwips(picture_.width() + edge),
         pixelsToTwips(picture_.height() + edge));
}

void PictureBox::setAutoRedraw(bool on) {
    if (on == autoRedraw_)
        return;
    autoRedraw_ = on;
    // Drawing made on screen only is not part of the persistent image: it goes with the
    // next repaint. Turning persistence off starts the screen from the persistent image.
    screen_ = QImage();
    changed();
}

void PictureBox::setPicture(const QImage& picture) {
    picture_ = picture;
    fitPicture();
    persistent_ = base();
    screen_ = QImage();
    changed();
}

void PictureBox::syncGeometry() {
    Control::syncGeometry();
    resizeImages();
    changed();
}

void PictureBox::syncColours() {
    // A new background colour clears the drawing.
    persistent_ = base();
    screen_ = QImage();
    changed();
}

QColor PictureBox::colourOf(vbrt::Colour c) const {
    return vbrt::toQColor(c == -1 ? p_.foreColor : c);
}

QRgb PictureBox::rgbOf(vbrt::Colour c) const {
    return vbrt::toRgb32(c == -1 ? p_.foreColor : c);
}

QPen PictureBox::pen(vbrt::Colour c) const {
    QPen pen(colourOf(c), drawWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (drawWidth_ == 1) {
        static const Qt::PenStyle styles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                              Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                              Qt::SolidLine};
        pen.setStyle(styles[std::clamp(drawStyle_, 0, 6)]);
    }
    return pen;
}

void PictureBox::PSet(double x, double y, vbrt::Colour colour) {
    const QPointF p = toPixel(x, y);
    QImage& img = target();
    if (drawWidth_ <= 1) {
        const int px = int(std::floor(p.x())), py = int(std::floor(p.y()));
        if (img.valid(px, py))
            img.setPixel(px, py, colourOf(colour).rgb());
    } else if (withinReach(p)) {
        QPainter painter(&img);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colourOf(colour));
        const double r = drawWidth_ / 2.0;
        painter.drawEllipse(p, r, r);
    }
    currentX_ = x;
    currentY_ = y;
    changed();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, vbrt::Colour colour) {
    const PixelMap map = pixelMap();
    QPointF a = map.exact(x1, y1), b = map.exact(x2, y2);
    bool shows = true;
    if (!withinReach(a) || !withinReach(b)) {
        // Cut in the scale's units, where no conversion can overflow.
        const std::optional<Segment> shown = clipSegment({x1, y1, x2, y2}, visibleArea());
        shows = shown.has_value();
        if (shown) {
            a = map(shown->x1, shown->y1);
            b = map(shown->x2, shown->y2);
        }
    }
    if (shows) {
        QPainter painter(&target());
        painter.setPen(pen(colour));
        painter.drawLine(a, b);
    }
    currentX_ = x2;
    currentY_ = y2;
    changed();
}

void PictureBox::LineTo(double x2, double y2, vbrt::Colour colour) {
    Line(currentX_, currentY_, x2, y2, colour);
}

void PictureBox::Box(double x1, double y1, double x2, double y2, vbrt::Colour colour, bool filled) {
    const PixelMap map = pixelMap();
    QPointF a = map.exact(x1, y1), b = map.exact(x2, y2);
    if (std::isnan(a.x()) || std::isnan(a.y()) || std::isnan(b.x()) || std::isnan(b.y())) {
        currentX_ = x2;
        currentY_ = y2;
        changed();
        return;
    }
    if (!withinReach(a) || !withinReach(b)) {
        // The sides of a box lie along the axes: those beyond the visible area can be moved
        // to its edge without changing what shows.
        const Area v = visiblePixels();
        for (QPointF* p : {&a, &b})
            *p = QPointF(std::clamp(p->x(), v.left, v.right), std::clamp(p->y(), v.top, v.bottom));
    }
    QPainter painter(&target());
    const QRectF r = QRectF(a, b).normalized();
    if (filled)
        painter.fillRect(r.adjusted(0, 0, 1, 1), colourOf(colour));
    else {
        if (fillStyle_ == 0)
            painter.fillRect(r, vbrt::toQColor(fillColor_));
        painter.setPen(pen(colour));
        painter.drawRect(r);
    }
    currentX_ = x2;
    currentY_ = y2;
    changed();
}

void PictureBox::Circle(double x, double y, double radius, vbrt::Colour colour, double start,
                        double end, double aspect) {
    const QPointF c = pixelMap().exact(x, y);
    double rx = radiusPx(radius);
    double ry = rx;
    if (aspect > 1) {
        ry = rx;
        rx = ry / aspect;
    } else if (aspect > 0) {
        ry = rx * aspect;
    }
    const bool whole = std::isnan(start) && std::isnan(end);
    // Angles count anticlockwise from three o'clock, in radians.
    const double a0 = std::isnan(start) ? 0 : std::abs(start);
    double a1 = std::isnan(end) ? 2 * M_PI : std::abs(end);
    double span = a1 - a0;
    if (span <= 0)
        span += 2 * M_PI;
    const QPointF topLeft(c.x() - rx, c.y() - ry), bottomRight(c.x() + rx, c.y() + ry);
    if (!meets(topLeft, bottomRight, visiblePixels())) {
        // Nothing of it can show.
    } else if (!withinReach(topLeft) || !withinReach(bottomRight)) {
        drawFarEllipse(c, rx, ry, colour, whole ? 0 : a0, whole ? 2 * M_PI : span);
    } else if (!whole || !stampablePen() ||
               !EllipseStamper(target(), rx, ry, drawWidth_, fillStyle_ == 0)
                    .stamp(c, rgbOf(colour), vbrt::toRgb32(fillColor_))) {
        QPainter painter(&target());
        painter.setPen(pen(colour));
        painter.setBrush(fillStyle_ == 0 ? QBrush(vbrt::toQColor(fillColor_)) : Qt::NoBrush);
        const QRectF rect(topLeft, bottomRight);
        if (whole) {
            painter.drawEllipse(rect);
        } else {
            // Qt wants 1/16 degree.
            painter.drawArc(rect, int(a0 * 180 / M_PI * 16), int(span * 180 / M_PI * 16));
        }
    }
    currentX_ = x;
    currentY_ = y;
    changed();
}

void PictureBox::drawFarEllipse(QPointF c, double rx, double ry, vbrt::Colour colour, double start,
                                double span) {
    QImage& img = target();
    QPainter painter(&img);
    if (span >= 2 * M_PI && fillStyle_ == 0) {
        const QColor fill = vbrt::toQColor(fillColor_);
        for (int row = 0; row < img.height(); ++row) {
            const std::optional<Span> s = ellipseRow(c, rx, ry, row);
            if (!s)
                continue;
            const double first = std::max(s->first, 0.0);
            const double last = std::min(s->last, double(img.width() - 1));
            if (first <= last)
                painter.fillRect(QRect(int(first), row, int(last - first) + 1, 1), fill);
        }
    }
    painter.setPen(pen(colour));
    const double a0 = std::fmod(start, 2 * M_PI);
    for (const std::vector<QPointF>& line : ellipseRim(c, rx, ry, visiblePixels(), a0, span))
        painter.drawPolyline(line.data(), int(line.size()));
}

void PictureBox::Print(const QString& text, bool newline) {
    const QFont f = font();
    const QFontMetricsF fm(f);
    const QPointF at = pixelMap().exact(currentX_, currentY_);
    const QSizeF size(fm.horizontalAdvance(text), fm.height());
    if (withinReach(at) && meets(at, at + QPointF(size.width(), size.height()), visiblePixels())) {
        QPainter painter(&target());
        painter.setFont(f);
        if (!fontTransparent_)
            painter.fillRect(QRectF(at, size), vbrt::toQColor(p_.backColor));
        painter.setPen(vbrt::toQColor(p_.foreColor));
        painter.drawText(QPointF(at.x(), at.y() + fm.ascent()), text);
    }
    if (newline) {
        currentX_ = scaleLeft_;
        currentY_ += TextHeight(text);
    } else {
        currentX_ += TextWidth(text);
    }
    changed();
}

double PictureBox::TextWidth(const QString& text) const {
    const double ux = pixelsPerUnitX();
    return ux == 0 ? 0 : QFontMetricsF(font()).horizontalAdvance(text) / ux;
}

double PictureBox::TextHeight(const QString&) const {
    const double uy = pixelsPerUnitY();
    return uy == 0 ? 0 : QFontMetricsF(font()).height() / std::abs(uy);
}

void PictureBox::Cls() {
    if (autoRedraw_)
        paintBase(persistent_);
    screen_ = QImage();
    currentX_ = scaleLeft_;
    currentY_ = scaleTop_;
    changed();
}

void PictureBox::PaintPicture(const QImage& picture, double x, double y, double width,
                              double height) {
    if (picture.isNull())
        vbrt::raise(vbrt::ErrInvalidPicture);
    const PixelMap map = pixelMap();
    const QPointF p0 = map.exact(x, y);
    QSizeF size(picture.width(), picture.height());
    if (!std::isnan(width) && !std::isnan(height)) {
        const QPointF p1 = map.exact(x + width, y + height);
        size = QSizeF(p1.x() - p0.x(), p1.y() - p0.y());
    }
    const QRectF onImage = QRectF(p0, size).normalized();
    QPainter painter(&target());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (withinReach(onImage.topLeft()) && withinReach(onImage.bottomRight())) {
        painter.drawImage(onImage, picture);
    } else if (const Area v = visiblePixels(); meets(onImage.topLeft(), onImage.bottomRight(), v)) {
        // Only the part of the picture that lands on the visible area is scaled there.
        const QRectF shown =
            onImage.intersected(QRectF(v.left, v.top, v.right - v.left, v.bottom - v.top));
        const double sx = picture.width() / onImage.width();
        const double sy = picture.height() / onImage.height();
        if (!shown.isEmpty())
            painter.drawImage(shown, picture,
                              QRectF((shown.left() - onImage.left()) * sx,
                                     (shown.top() - onImage.top()) * sy, shown.width() * sx,
                                     shown.height() * sy));
    }
    changed();
}

vbrt::Colour PictureBox::Point(double x, double y) const {
    const QPointF p = toPixel(x, y);
    const int px = int(std::floor(p.x())), py = int(std::floor(p.y()));
    const QImage& img = screen();
    if (px < 0 || py < 0 || px >= innerWidthPx() || py >= innerHeightPx() || !img.valid(px, py))
        return -1;
    return vbrt::fromRgb32(img.pixel(px, py));
}

PictureBox::PointReader::PointReader(const PictureBox& box) : map_(box.pixelMap()) {
    const QImage& img = box.screen();
    // The images are 32-bit RGB; anything else reads as outside.
    if (img.depth() != 32)
        return;
    bits_ = img.constBits();
    stride_ = img.bytesPerLine();
    width_ = std::min(box.innerWidthPx(), img.width());
    height_ = std::min(box.innerHeightPx(), img.height());
}

namespace {
int floorToInt(double p) {
    // Clipped positions are far inside the int range.
    return int(std::floor(p));
}
} // namespace

int PictureBox::PointReader::pixelX(double x) const {
    return floorToInt(map_.x(x));
}

int PictureBox::PointReader::pixelY(double y) const {
    return floorToInt(map_.y(y));
}

PictureBox::Dots::Dots(PictureBox& box, double radius)
    : box_(box), radius_(radius), map_(box.pixelMap()) {}

PictureBox::Dots::~Dots() {
    if (!last_)
        return;
    // As the last dot's Circle leaves them.
    box_.fillStyle_ = 0;
    box_.fillColor_ = last_->colour;
    box_.currentX_ = last_->x;
    box_.currentY_ = last_->y;
    if (stamped_)
        box_.changed();
}

void PictureBox::Dots::draw(double x, double y, vbrt::Colour colour) {
    last_ = {x, y, colour};
    if (!stamper_) {
        const double r = box_.radiusPx(radius_);
        stamper_.emplace(box_.target(), r, r, box_.drawWidth_, true);
        stampable_ = box_.stampablePen();
        colour_ = {colour, box_.rgbOf(colour), vbrt::toRgb32(colour)};
    }
    // A walk's dots mostly share their colour, a column's its abscissa.
    if (colour != colour_.value)
        colour_ = {colour, box_.rgbOf(colour), vbrt::toRgb32(colour)};
    if (x != x_) {
        x_ = x;
        px_ = map_.x(x);
    }
    if (stampable_ && stamper_->stamp(QPointF(px_, map_.y(y)), colour_.outline, colour_.fill)) {
        stamped_ = true;
        return;
    }
    box_.fillStyle_ = 0;
    box_.fillColor_ = colour;
    box_.Circle(x, y, radius_, colour);
}

void PictureBox::Refresh() {
    changed();
}

vbrt::WriteResult PictureBox::saveImage(const QString& path) const {
    return SavePicture(persistent_, path);
}

QWidget* PictureBox::createWidget(QWidget* parent) {
    auto* w = new PictureWidget(parent, this);
    if (mousePointer_ == kPenPointer)
        w->setCursor(Qt::CrossCursor);
    return w;
}

void PictureBox::setMousePointer(int pointer) {
    mousePointer_ = pointer;
    if (QWidget* w = widget())
        pointer == kPenPointer ? w->setCursor(Qt::CrossCursor) : w->unsetCursor();
}

} // namespace ui
