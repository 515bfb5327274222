#pragma once

#include <QByteArray>
#include <QImage>

namespace orvane {

// The program's pictures, compiled in as Qt resources (":/assets/<name>").
QByteArray asset_bytes(const char* name);  // e.g. "loading.gif"
QImage asset_image(const char* name);      // JPEGs decoded with libjpeg-turbo

}  // namespace orvane
