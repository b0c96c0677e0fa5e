#pragma once

#include <QString>
#include <QtGlobal>

namespace vbrt {

// Room on the disk set aside while the disk has some, for the writes that must not fail once
// it is full: a file of its own whose blocks are allocated, given back to the disk the moment
// such a write needs them.
class RoomReserve {
public:
    explicit RoomReserve(const QString& path);

    // The room set aside now.
    qint64 size() const;
    // Sets aside more, up to `bytes` in all, as far as the disk allows; never less than it has.
    void growTo(qint64 bytes);
    // Gives the room back to the disk; false when there was none.
    bool release();

private:
    QString path_;
};

} // namespace vbrt
