#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace orvane {

// The program's pictures, compiled in as Qt resources (":/assets/<name>").
QByteArray asset_bytes(const char* name);  // e.g. "loading.gif"
QImage asset_image(const char* name);      // JPEGs decoded with libjpeg-turbo

// Baseline or progressive JPEG to an RGB image; a null image when the bytes are not a
// decodable JPEG.
QImage decode_jpeg(const QByteArray& bytes);

// asset_image for the screen's pixel ratio: from kSharpRatio up the "@2x" file, marked
// with device pixel ratio 2 so it is drawn at the same logical size.
QImage asset_image_for_ratio(const char* name, qreal device_pixel_ratio);

// From 150 % on, a 2x picture scaled down looks sharper than a 1x one scaled up.
constexpr qreal kSharpRatio = 1.5;
QString asset_name_at_2x(const QString& name);  // "close.jpg" -> "close@2x.jpg"

}  // namespace orvane
