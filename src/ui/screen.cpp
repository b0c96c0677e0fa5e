#include "ui/screen.h"

#include "ui/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace ui {

namespace {
QSize overrideSize;

QSize pixelSize() {
    if (!overrideSize.isEmpty())
        return overrideSize;
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* s = app->primaryScreen())
            return s->geometry().size();
    return QSize(1024, 768);
}
} // namespace

int Screen::Width() {
    return pixelsToTwips(pixelSize().width());
}
int Screen::Height() {
    return pixelsToTwips(pixelSize().height());
}
void Screen::setPixelSize(const QSize& size) {
    overrideSize = size;
}

} // namespace ui
