#pragma once

#include <QtGlobal>

namespace app {

// The largest treego.txt or tree.txt read (the parameter records and their log, which the
// picture save appends, the replay reads and start-up moves to the backups). A record or entry
// is under 300 bytes and one is added for each picture saved by hand, and both files go to
// their backups at every start: 64 MiB holds some 200,000 of them, far more than the saves of
// a run, and more than twice the records a replay takes.
inline constexpr qint64 kMaxRecordFileBytes = qint64(64) << 20;

} // namespace app
