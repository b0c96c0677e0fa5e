#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <ostream>

// GoogleTest shows Qt's points, sizes and rectangles by their values instead of their bytes.
inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << "(" << p.x() << ", " << p.y() << ")";
}
inline void PrintTo(const QSize& s, std::ostream* os) {
    *os << s.width() << " x " << s.height();
}
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "(" << r.x() << ", " << r.y() << ") " << r.width() << " x " << r.height();
}
