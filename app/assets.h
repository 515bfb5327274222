#pragma once

#include <QByteArray>
#include <QImage>

namespace orvane {

// The program's pictures, compiled in as Qt resources (":/assets/<name>").
QByteArray asset_bytes(const char* name);  // e.g. "loading.gif"
QImage asset_image(const char* name);      // JPEGs decoded with libjpeg-turbo

// Baseline or progressive JPEG to an RGB image; a null image when the bytes are not a
// decodable JPEG.
QImage decode_jpeg(const QByteArray& bytes);

// asset_image for the screen's pixel ratio: on a 2x screen the "@2x" file, marked with
// device pixel ratio 2 so it is drawn at the same logical size.
QImage asset_image_for_ratio(const char* name, qreal device_pixel_ratio);

}  // namespace orvane
