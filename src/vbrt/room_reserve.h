#pragma once

#include <QString>
#include <QtGlobal>

namespace vbrt {

// Room on the disk set aside while the disk has some, for the writes that must not fail once
// it is full: a file of its own whose blocks are allocated, given back to the disk, as much
// as such a write needs, the moment it needs them. Other programs take whatever the disk
// frees, so the room is taken again as far as there is any, a little at a time.
class RoomReserve {
public:
    explicit RoomReserve(const QString& path);

    // The room set aside now.
    qint64 size() const;
    // Sets aside more, up to `bytes` in all, as far as the disk allows; never less than it has.
    void growTo(qint64 bytes);
    // Gives back room for a write of `bytes`, or all there is when that is more; false when
    // there was none.
    bool release(qint64 bytes);
    // Gives back all the room.
    bool releaseAll() { return release(size()); }

private:
    QString path_;
};

} // namespace vbrt
