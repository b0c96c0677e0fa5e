#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The one way the program writes a file. A replaced file is written whole or not at all, an
// append that fails is cut back to where it began, and a failure comes back with its reason
// in the user's words: a full disk or a read-only folder never loses what was stored and is
// never reported as success.
namespace vbrt {

struct WriteResult {
    // Why the file was not written; empty when it was.
    QString error;

    bool ok() const { return error.isEmpty(); }
    explicit operator bool() const { return ok(); }
    bool operator==(const WriteResult&) const = default;
};

// The message that tells the user a file could not be written, and why.
QString writeFailedMessage(const QString& path, const WriteResult& result);
// Whether a write failed for want of room on the disk (or in the user's quota).
bool diskWasFull(const WriteResult& result);

// A file replaced whole or not at all. The new bytes go to a temporary file beside the target;
// every write and the final flush to the disk are checked, and only then does it take the
// target's place. In a folder that takes no new files an existing file is written in place
// instead: what it held is kept and put back when the write fails or is cancelled.
class ReplaceFile {
public:
    explicit ReplaceFile(const QString& path);
    ~ReplaceFile(); // cancels what was not committed
    ReplaceFile(const ReplaceFile&) = delete;
    ReplaceFile& operator=(const ReplaceFile&) = delete;

    WriteResult open();
    // False once any write failed; the later ones do nothing. error() says why.
    bool write(QByteArrayView bytes);
    // The new file in the target's place, or the old one as it was.
    WriteResult commit();
    // The old file as it was (or none, if there was none).
    void cancel();
    QString error() const { return error_; }

private:
    bool fail(int err);
    void discard();

    QString path_;
    QByteArray target_, temp_;
    int fd_ = -1;
    bool inPlace_ = false;
    QByteArray old_; // what an in-place write replaces
    qint64 written_ = 0;
    QString error_;
};

// A file that arrives in pieces, each written at its own place (a download over several
// connections). It is always a new file: created empty, never opened over one that exists.
class PieceFile {
public:
    PieceFile() = default;
    ~PieceFile();
    PieceFile(const PieceFile&) = delete;
    PieceFile& operator=(const PieceFile&) = delete;

    WriteResult create(const QString& path);
    WriteResult writeAt(qint64 offset, QByteArrayView bytes);
    // Closing a file that is not open does nothing.
    void close();
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Writes the whole file at once (replacing it).
WriteResult replaceFile(const QString& path, QByteArrayView bytes);
// Appends to the file, creating it when missing; a failed append leaves it as it was.
WriteResult appendToFile(const QString& path, QByteArrayView bytes);
// Takes back the end of a file from `size` on: an append the program made that a power cut
// left half done. A file no longer than that is left as it is.
WriteResult cutFileTo(const QString& path, qint64 size);
// Removes the temporary files a replace left in `folder` when the program was killed between
// its write and its rename; each is as large as the file it was to replace.
void removeLeftoverTemporaries(const QString& folder);

} // namespace vbrt
