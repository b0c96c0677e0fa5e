#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <functional>

// The system calls the program's writers change the disk with, and nothing else does. Each
// keeps errno as the system set it, so that the caller can say why in the user's words.
namespace vbrt::disk {

// The user's words for a system error number.
QString describe(int err);

// Writes all of `bytes` at `offset` (or at the end, for a negative offset).
bool writeAll(int fd, QByteArrayView bytes, qint64 offset = -1);
bool readAll(int fd, qint64 size, QByteArray& out);
// Takes a file to a size, giving back the room past it.
bool cutBack(int fd, qint64 size);
// fsync; what cannot be synced (a pipe, some special files) loses no write.
bool syncToDisk(int fd);
QByteArray folderOf(const QByteArray& path);
// A file made, renamed or removed in a folder is there for good only once the folder is.
bool syncFolder(const QByteArray& file);
// open(2) for a file that may be written or made.
int openForWriting(const QByteArray& path, int flags, int mode = 0666);
bool renameFile(const QByteArray& from, const QByteArray& to);
bool removeFile(const QByteArray& path);
bool setMode(int fd, unsigned mode);
// Blocks for the file from `offset` on, `length` bytes of them; the file grows to cover them.
bool allocate(int fd, qint64 offset, qint64 length);

// A test stands a process killed at one of its syncs to the disk: `stop` is asked before
// each sync, and from the first it answers true on, that sync and every change after it do
// nothing to the disk (they fail with EIO), as if the process had ended there. What was
// written before it stays, as the system keeps what a killed process wrote. An empty
// function lifts it.
void stopAtSync(std::function<bool()> stop);

} // namespace vbrt::disk
