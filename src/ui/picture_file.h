#pragma once

#include <QImage>
#include <QString>

namespace ui {

// A picture file (JPEG, BMP, GIF, PNG) as an image; a null image when the file is missing
// or is no picture.
QImage LoadPicture(const QString& path);

// Writes the image as bitmap data under exactly this name, whatever its extension; the
// old file is replaced only by a complete new one. False when it cannot be written.
bool SavePicture(const QImage& image, const QString& path);

} // namespace ui
