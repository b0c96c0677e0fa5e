#pragma once

#include <QtGlobal>

namespace app {

// The largest treego.txt read (the parameter records the picture save appends and the replay
// reads). A record is under 200 bytes and one is added for each picture saved by hand, and the
// file goes to its backup at every start: 64 MiB holds some 300,000 records, far more than the
// saves of a run, and three times the records a replay takes.
inline constexpr qint64 kMaxRecordFileBytes = qint64(64) << 20;

} // namespace app
