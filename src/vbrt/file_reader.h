#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>

// The one way the program reads a file. Only a regular file is read: a FIFO, a device, a
// socket or a folder in a file's place is refused before anything waits on it or reads it,
// and so is a file larger than its reader can sensibly be given (every reader names its own
// limit). Links are followed.
namespace vbrt {

// What stands in a file's place when it is no regular file, in the user's words; the writer
// says the same.
QString notAPlainFile();

enum class ReadError { None, Missing, NotAPlainFile, TooLarge, Failed };

struct ReadResult {
    QByteArray bytes;
    ReadError kind = ReadError::None;
    // Why the file was not read, in the user's words; empty when it was.
    QString error;

    bool ok() const { return kind == ReadError::None; }
    explicit operator bool() const { return ok(); }
};

// The message that tells the user a file could not be read, and why: the lead (by default
// "无法读取文件："), the path and the reason in brackets.
QString readFailedMessage(const QString& path, const QString& why,
                          const QString& lead = QStringLiteral("无法读取文件："));

// The whole of a regular file of at most `limit` bytes.
ReadResult readFile(const QString& path, qint64 limit);

// A regular file of at most `limit` bytes opened for reading, for readers that take it in
// pieces; null when it cannot be, with the reason in `failed` (its bytes stay empty).
std::unique_ptr<QFile> openFile(const QString& path, qint64 limit, ReadResult& failed);

} // namespace vbrt
