#pragma once

#include <QtGlobal>

namespace app {
// placeholder until the replay's limit lands
constexpr qint64 kMaxRecordFileBytes = 64 << 20;
} // namespace app
