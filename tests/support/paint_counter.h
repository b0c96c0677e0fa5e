#pragma once

#include <QEvent>
#include <QObject>

namespace testing_support {

// Counts the times a widget is painted, once installed as its event filter.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace testing_support
