#pragma once

#include "vbrt/file_writer.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace vbrt {

// A small record of the program's own that must survive however the program ends: written in
// place, in two slots taken in turn, each with its number and a checksum, so that a kill or a
// power cut at any moment leaves the last complete record to read. Once the file is made a
// record needs no new room on the disk, so it is written on a full disk too, and in a folder
// that takes no new files.
class SmallRecord {
public:
    static constexpr qsizetype kMaxBytes = 960;

    explicit SmallRecord(const QString& path);

    // The newest complete record; none when there is no file or no slot is whole.
    std::optional<QByteArray> read();
    // Makes the file, with no record in it, unless it is there.
    WriteResult prepare();
    // The record, on the disk once this returns (at most kMaxBytes).
    WriteResult write(QByteArrayView record);

private:
    QString path_;
    // The number of the newest record on the disk; the next goes to the other slot.
    quint64 last_ = 0;
};

} // namespace vbrt
