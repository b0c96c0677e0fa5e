#pragma once

#include "vbrt/colour.h"

#include <QString>
#include <cstdint>
#include <unordered_map>

namespace app {

// The colours of the plain pixel set's last samples as decimal text, by column (from 1) and
// row (from 0), both 0..5000. Only the cells written are kept: the whole array of texts would
// take gigabytes for the few thousand samples a set has.
class SampleColours {
public:
    static constexpr int kUpper = 5000;

    // A cell never written reads as empty text; outside 0..5000 raises the subscript error.
    QString operator()(int column, int row) const;
    // A cell outside 0..5000 is not kept.
    void set(int column, int row, vbrt::Colour colour);

private:
    static bool inBounds(int column, int row) {
        return column >= 0 && column <= kUpper && row >= 0 && row <= kUpper;
    }
    static uint32_t key(int column, int row) { return uint32_t(column) * (kUpper + 1) + row; }

    std::unordered_map<uint32_t, vbrt::Colour> cells_;
};

} // namespace app
