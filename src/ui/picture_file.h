#pragma once

#include "vbrt/file_writer.h"

#include <QImage>
#include <QString>

namespace ui {

// Pictures larger than this are refused before they are decoded, whatever their file says.
constexpr qint64 kMaxPicturePixels = 100'000'000;

enum class PictureError { None, Unreadable, TooLarge };

// A picture file (JPEG, BMP, GIF, PNG) as an image; a null image when the file is missing,
// is no picture or is larger than kMaxPicturePixels (`error` says which).
QImage LoadPicture(const QString& path, PictureError* error = nullptr);

// Writes the image as bitmap data under exactly this name, whatever its extension; the
// old file is replaced only by a complete new one.
vbrt::WriteResult SavePicture(const QImage& image, const QString& path);

} // namespace ui
