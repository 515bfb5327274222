#include "app/assets.h"

#include <csetjmp>
#include <cstdio>

#include <QFile>
#include <QGuiApplication>
#include <QString>

#include <jpeglib.h>

namespace orvane {

namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void jpeg_fail(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  std::longjmp(errors->jump, 1);
}

void jpeg_quiet(j_common_ptr) {}

// No object with a destructor may live in this frame between setjmp and a longjmp.
bool decode_jpeg_into(const unsigned char* data, unsigned long size, QImage& out) {
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpeg_fail;
  errors.manager.output_message = jpeg_quiet;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  out = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
               QImage::Format_RGB888);
  if (out.isNull() || info.output_components != 3) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

QString with_ratio_suffix(const QString& name) {
  const int dot = name.lastIndexOf(u'.');
  return dot < 0 ? name + QStringLiteral("@2x")
                 : name.left(dot) + QStringLiteral("@2x") + name.mid(dot);
}

QByteArray resource_bytes(const QString& name) {
  QFile file(QStringLiteral(":/assets/") + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QImage image_from_bytes(const QByteArray& bytes) {
  QImage image = decode_jpeg(bytes);
  if (image.isNull()) image = QImage::fromData(bytes);
  return image;
}

}  // namespace

QImage decode_jpeg(const QByteArray& bytes) {
  if (bytes.size() < 4) return {};
  QImage image;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  if (!decode_jpeg_into(data, static_cast<unsigned long>(bytes.size()), image)) return {};
  return image;
}

QString asset_name_at_2x(const QString& name) { return with_ratio_suffix(name); }

QByteArray asset_bytes(const char* name) { return resource_bytes(QString::fromUtf8(name)); }

QImage asset_image(const char* name) {
  const qreal ratio = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
  return asset_image_for_ratio(name, ratio);
}

QImage asset_image_for_ratio(const char* name, qreal device_pixel_ratio) {
  const QString plain = QString::fromUtf8(name);
  if (device_pixel_ratio >= kSharpRatio) {
    QImage sharp = image_from_bytes(resource_bytes(with_ratio_suffix(plain)));
    if (!sharp.isNull()) {
      sharp.setDevicePixelRatio(2.0);
      return sharp;
    }
  }
  return image_from_bytes(resource_bytes(plain));
}

}  // namespace orvane
