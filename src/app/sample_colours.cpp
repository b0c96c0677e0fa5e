#include "app/sample_colours.h"

#include "vbrt/errors.h"

namespace app {

QString SampleColours::operator()(int column, int row) const {
    if (!inBounds(column, row))
        vbrt::raise(vbrt::ErrSubscript);
    const auto it = cells_.find(key(column, row));
    return it == cells_.end() ? QString() : QString::number(it->second);
}

void SampleColours::set(int column, int row, vbrt::Colour colour) {
    if (inBounds(column, row))
        cells_[key(column, row)] = colour;
}

} // namespace app
