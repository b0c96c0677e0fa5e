#pragma once

#include <QIODevice>
#include <QImage>
#include <QString>
#include <limits>

// The one way the program decodes a picture file: through the file reader, which refuses what
// is no regular file or is larger than its caller's limit, and only up to a size the program
// can hold, told by the picture's header before it is decoded.
namespace vbrt {

// Pictures larger than this are refused before they are decoded, whatever their file says.
constexpr qint64 kMaxPicturePixels = 100'000'000;

enum class PictureError { None, Unreadable, TooLarge, NotAPlainFile };

// Whether a photograph is turned as its camera's orientation tag says, or left as stored.
enum class Orientation { AsStored, AsTaken };

struct PictureRead {
    QImage image;
    PictureError error = PictureError::None;
    // Why the picture was not read, in the user's words; empty when it was.
    QString why;
};

// The picture (JPEG, BMP, GIF, PNG, told by its content, not its name) in a regular file of at
// most `fileLimit` bytes, in the format it decodes to, and taking at most `memoryLimit` bytes
// so decoded.
PictureRead readPicture(const QString& path, qint64 fileLimit,
                        Orientation orientation = Orientation::AsStored,
                        qint64 memoryLimit = std::numeric_limits<qint64>::max());

// The same, of a picture already open, as a file read whole.
PictureRead readPicture(QIODevice& device, Orientation orientation, qint64 memoryLimit);

// Whether `bytes` hold a picture that some reader of Qt's would decode.
bool isPicture(const QByteArray& bytes);

} // namespace vbrt
