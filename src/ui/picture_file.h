#pragma once

#include "vbrt/file_writer.h"
#include "vbrt/picture_reader.h"

#include <QImage>
#include <QString>

namespace ui {

// The windows' pictures are decoded by the one picture reader, with its pixel limit.
using vbrt::kMaxPicturePixels;
using vbrt::PictureError;
// The largest picture file read: the largest picture as an uncompressed bitmap of 32 bits a
// pixel, with room for its headers.
constexpr qint64 kMaxPictureFileBytes = kMaxPicturePixels * 4 + (1 << 20);

// A picture file (JPEG, BMP, GIF, PNG) as an image; a null image when the file is missing,
// is no picture, is larger than kMaxPicturePixels or kMaxPictureFileBytes, or is no regular
// file (`error` says which). Nothing waits on a FIFO in a picture's place.
QImage LoadPicture(const QString& path, PictureError* error = nullptr);

// Writes the image as bitmap data under exactly this name, whatever its extension; the
// old file is replaced only by a complete new one.
vbrt::WriteResult SavePicture(const QImage& image, const QString& path);

} // namespace ui
