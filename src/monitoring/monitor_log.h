#pragma once

#include "vbrt/file_writer.h"

#include <QDateTime>
#include <QString>

// The monitoring log CAMaRA/0.txt and the names of the snapshot pictures kept beside it.
namespace monitoring {

// CAMaRA/0.txt in the program's folder.
QString logPath();
// Makes the CAMaRA folder when it is missing and empties the log: every opening of the
// monitoring window starts a new one.
vbrt::WriteResult startLog();
// Appends one entry: the date and the time run together, CR LF, the text, CR LF. A log that
// cannot be written loses the entry, never the monitoring; the watch reports why.
vbrt::WriteResult writeLogEntry(const QString& text);

// The text without ":", "\" and "/", so that a date or time text can be part of a file name.
QString tiqut(const QString& s);

// Snapshot names, made from the date and time `at` and the alarm counter:
//   alarm    CAMaRA/<date><time>AMAZING  <seq>.BMP (saved at every alarming comparison)
//   upload   CAMaRA/<date><time>-<seq>.BMP         (saved by the alarm step)
//   short    <date><time>-<seq>.BMP                (the title an upload is offered under)
QString alarmSnapshotName(const QDateTime& at, double alarmSeq);
QString uploadSnapshotName(const QDateTime& at, double alarmSeq);
QString shortSnapshotName(const QDateTime& at, double alarmSeq);

} // namespace monitoring
